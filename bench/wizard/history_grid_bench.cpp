// One commit of the history grid on a full history of 999 entries: the
// entry moves to the other end of the list, so the commit re-sorts, writes
// rows 1 to 999 anew, sets the totals, looks for the leap-year periods and
// the grid repaints what is in sight. Goal: 16 ms (one frame).
#include <benchmark/benchmark.h>

#include <QApplication>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/history_page.h"

namespace {

using namespace korvalen;

// Answers every box at once, as a user who keeps pressing OK.
class SilentMessages final : public platform::MessageService {
public:
    void ShowPlain(const std::string&) override { ++shown; }
    platform::Answer Show(platform::MessageType, platform::Buttons, const std::string&) override {
        ++shown;
        return platform::Answer::Ok;
    }
    long shown = 0;
};

// Repayments every 8 to 14 days over 27 years with a borrowing every tenth
// entry, so seven leap years give warnings at every rate commit.
engine::HistoryList FullHistory() {
    engine::HistoryList list;
    engine::DayNumber date = engine::DayNumberFromCivil(2000, 1, 10);
    for (int i = 0; i < wizard::kHistoryGridRows; ++i) {
        auto e = std::make_unique<engine::HistoryEntry>();
        e->date = date;
        e->order = i;
        e->borrowing = i % 10 == 0 ? 300000 : 0;
        e->repayment = i % 10 == 0 ? 0 : 30000;
        e->rate = 292000;
        list.push_back(std::move(e));
        date += 8 + i % 7;
    }
    return list;
}

void BM_GridCommit999(benchmark::State& state) {
    SilentMessages messages;
    engine::HistoryList history = FullHistory();
    wizard::HistoryPage page(messages);
    page.SetHistory(&history);
    page.SetContractRate(29.2);
    page.FillFromHistory();
    page.show();
    wizard::HistoryGrid& grid = page.Grid();
    QWidget* viewport = page.StringGrid2()->viewport();
    const std::string early = engine::FormatGridDate(engine::DayNumberFromCivil(1999, 12, 1));
    const std::string late = engine::FormatGridDate(engine::DayNumberFromCivil(2030, 1, 10));
    bool toEnd = true;
    for (auto _ : state) {
        // The first entry is dated last, then the last one first again.
        const int row = toEnd ? 1 : wizard::kHistoryGridRows;
        grid.SetCellText({wizard::kDateCol, row}, toEnd ? late : early);
        grid.SetCursor({wizard::kRateCol, row});
        grid.CommitKey(wizard::GridKey::Tab);
        viewport->repaint();
        toEnd = !toEnd;
    }
    state.counters["warnings_per_commit"] =
        benchmark::Counter(static_cast<double>(messages.shown) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_GridCommit999)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    printing::InstallFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
