// Speed of the two calculations, texts included, on a full grid (999
// entries) and on a very long history (100,000 entries).
#include <benchmark/benchmark.h>

#include "korvalen/engine/calculation.h"

namespace {

using namespace korvalen;

// Repayments every 8 to 14 days with a borrowing every tenth entry. The
// repayments outrun the borrowings a little, so the balance falls through
// both limit-rate steps and ends overpaid, as the cases that reach a lawyer do.
engine::HistoryList MakeLongHistory(int count) {
    engine::HistoryList list;
    engine::DayNumber date = engine::DayNumberFromCivil(2000, 1, 10);
    for (int i = 0; i < count; ++i) {
        auto e = std::make_unique<engine::HistoryEntry>();
        e->date = date;
        e->order = i;
        e->borrowing = i % 10 == 0 ? 300000 + (i % 7) * 100000 : 0;
        e->repayment = i % 10 == 0 ? 0 : 70000;
        e->rate = 292000;
        list.push_back(std::move(e));
        date += 8 + i % 7;
    }
    return list;
}

engine::CaseRecord BenchCase(int method, std::int64_t entries) {
    engine::CaseRecord c;
    c.RIRITSU = 29.2;
    c.KEISAN_KIND = method;
    // Over a hundred thousand entries the overpayment grows so large that its
    // interest would outgrow 32 bits; the interest is still computed at 0 %.
    c.KABARAI_RIRITSU = entries > 999 ? 0 : 5;
    return c;
}

void Silent(const engine::CalculationWarning&) {}

// What the wizard does when the lender's page is left: the lender's table
// on the history, then the recalculation on a fresh copy.
void BM_BothTables(benchmark::State& state) {
    const engine::HistoryList history = MakeLongHistory(static_cast<int>(state.range(0)));
    const engine::CaseRecord settings = BenchCase(static_cast<int>(state.range(1)), state.range(0));
    const engine::CalculationOptions options{false, Silent};
    for (auto _ : state) {
        engine::HistoryList lender = engine::CopyHistory(history);
        engine::HistoryList copy = engine::CopyHistory(history);
        engine::ResultTable a =
            engine::RunCalculation(engine::CalculationKind::LenderCalculation, lender, settings, options);
        engine::ResultTable b = engine::RunCalculation(engine::CalculationKind::Recalculation, copy, settings, options);
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <engine::CalculationKind kind>
void BM_OneTable(benchmark::State& state) {
    const engine::HistoryList history = MakeLongHistory(static_cast<int>(state.range(0)));
    const engine::CaseRecord settings = BenchCase(static_cast<int>(state.range(1)), state.range(0));
    const engine::CalculationOptions options{false, Silent};
    engine::HistoryList copy = engine::CopyHistory(history);
    for (auto _ : state) {
        engine::ResultTable table = engine::RunCalculation(kind, copy, settings, options);
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"entries", "method"});
    for (int entries : {999, 100000}) {
        for (int method : {0, 1}) b->Args({entries, method});
    }
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_BothTables)->Apply(Sizes);
BENCHMARK(BM_OneTable<engine::CalculationKind::LenderCalculation>)->Name("BM_LenderTable")->Apply(Sizes);
BENCHMARK(BM_OneTable<engine::CalculationKind::Recalculation>)->Name("BM_Recalculation")->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
