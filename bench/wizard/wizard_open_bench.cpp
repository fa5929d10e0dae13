// Opening the input wizard on a stored case of 999 entries, as the main
// window opens it: made, the case loaded from the tables (for 参照 the
// recalculation copy made and the lender's calculation shown as well),
// shown and painted, and destroyed again. Goal: 0.2 s.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/drive_kind.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/printing/print_dialog.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/data_module.h"
#include "korvalen/testsupport/temp_folder.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/tavo50a_form.h"
#include "korvalen/wizard/wizard_launcher.h"

namespace {

using namespace korvalen;

constexpr std::int32_t kToday = 45000;
constexpr int kEntries = 999;

class NoDate final : public wizard::DatePicker {
public:
    std::string PickDate(QWidget*) override { return {}; }
};

// A PC whose database holds case 0: 500,000 borrowed, then a repayment of
// 8,000 every ten days, with another borrowing every hundred entries.
struct BenchPc {
    BenchPc()
        : programFolder(root.folder("vex/Korvalen")),
          settings((root.path() / "config").string()),
          clock(kToday),
          db(settings, messages, drives, clock, {programFolder, "BENCH-PC", "山田　太郎", "1.0.0.0", {}}) {
        std::filesystem::create_directories(programFolder);
        db.DataModuleCreate();
        engine::CaseRecord header;
        header.GYOSYA_NAME = "アコム株式会社";
        header.NAME = "山田太郎";
        header.RIRITSU = 29.2;
        header.KABARAI_RIRITSU = 5;
        engine::HistoryList history;
        const engine::DayNumber first = engine::DayNumberFromCivil(1990, 1, 10);
        for (int i = 0; i < kEntries; ++i) {
            auto entry = std::make_unique<engine::HistoryEntry>();
            entry->date = first + 10 * i;
            entry->order = i;
            entry->borrowing = i % 100 == 0 ? 500000 : 0;
            entry->repayment = i % 100 == 0 ? 0 : 8000;
            entry->rate = engine::RateToFixed(29.2);
            history.push_back(std::move(entry));
        }
        storage::SaveCase(db.TableDatabase1(), header, history);
    }

    testsupport::TempFolder root{"wizard-bench"};
    std::string programFolder;
    platform::IniSettingsStore settings;
    platform::ScriptedMessages messages;
    platform::SystemDriveClassifier drives;
    platform::FixedClock clock;
    storage::KorvalenDB db;
    NoDate datePicker;
    printing::PrintDialog printDialog;
    printing::PrintServices print{printDialog, messages, clock};
};

BenchPc& Pc() {
    static BenchPc pc;
    return pc;
}

void BM_OpenWizard999(benchmark::State& state) {
    BenchPc& pc = Pc();
    const auto opening = static_cast<wizard::WizardOpening>(state.range(0));
    for (auto _ : state) {
        wizard::TTavo50AF form({pc.db, pc.messages, pc.datePicker, pc.print});
        wizard::WizardLauncher::Prepare(form, opening, {0, 0});
        form.show();
        QCoreApplication::processEvents();
        if (static_cast<int>(form.History().size()) != kEntries) state.SkipWithError("the case did not load");
    }
}
BENCHMARK(BM_OpenWizard999)
    ->ArgName("opening")
    ->Arg(static_cast<int>(wizard::WizardOpening::Change))
    ->Arg(static_cast<int>(wizard::WizardOpening::Reference))
    ->Unit(benchmark::kMillisecond);

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
