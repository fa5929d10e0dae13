// The statement of a full grid (999 entries, 21 pages): rendering the
// preview's page images, and writing the PDF file. Goal: under 1 s each.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "korvalen/engine/calculation.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/testsupport/temp_folder.h"

namespace {

using namespace korvalen;

// A borrowing every tenth entry and repayments in between, recalculated as
// the wizard does; no start date and no remarks, so 48 rows a page.
printing::StatementInput FullStatement() {
    engine::CaseRecord header;
    header.GYOSYA_NAME = "アコム株式会社";
    header.NAME = "山田太郎";
    header.RIRITSU = 29.2;
    header.KABARAI_RIRITSU = 5;
    engine::HistoryList history;
    engine::DayNumber date = engine::DayNumberFromCivil(2000, 1, 10);
    for (int i = 0; i < 999; ++i) {
        auto entry = std::make_unique<engine::HistoryEntry>();
        entry->date = date;
        entry->order = i + 1;
        entry->borrowing = i % 10 == 0 ? 300000 : 0;
        entry->repayment = i % 10 == 0 ? 0 : 35000;
        entry->rate = engine::RateToFixed(29.2);
        history.push_back(std::move(entry));
        date += 8 + i % 7;
    }
    engine::HistoryList copy = engine::CopyHistory(history);
    engine::CalculationOptions options;
    options.onWarning = [](const engine::CalculationWarning&) {};
    const engine::ResultTable table =
        engine::RunCalculation(engine::CalculationKind::Recalculation, copy, header, options);
    return printing::StatementFrom(header, table, 999, false);
}

const printing::StatementInput& Statement() {
    static const printing::StatementInput input = FullStatement();
    return input;
}

void BM_PreviewPageImages(benchmark::State& state) {
    const printing::PageRange all{1, printing::StatementPageCount(Statement())};
    for (auto _ : state) {
        std::vector<QImage> pages = printing::RenderStatementPages(Statement(), all);
        benchmark::DoNotOptimize(pages.data());
        if (pages.size() != 21) state.SkipWithError("not 21 pages");
    }
}
BENCHMARK(BM_PreviewPageImages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatementPdf(benchmark::State& state) {
    const printing::PageRange all{1, printing::StatementPageCount(Statement())};
    testsupport::TempFolder folder("printing-bench");
    const QString path = QString::fromStdString(folder / "statement.pdf");
    for (auto _ : state) printing::WriteStatementPdf(Statement(), path, all);
}
BENCHMARK(BM_StatementPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    printing::InstallFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
