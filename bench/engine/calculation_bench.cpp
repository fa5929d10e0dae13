// Speed of the two calculations, texts included, on a full grid (999
// entries) and on a very long history (100,000 entries): the engine's and,
// in the same run, the previous implementation's (names ending in
// "_previous"), which built a string per cell and needed a copy of the
// history for the lender's table as well.
#include <benchmark/benchmark.h>

#include "korvalen/engine/calculation.h"
#include "previous_calculation.h"

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

struct Engine {
    static engine::ResultTable Lender(const engine::HistoryList& history, const engine::CaseRecord& settings,
                                      const engine::CalculationOptions& options) {
        return engine::RunLenderCalculation(history, settings, options);
    }
    static engine::ResultTable Recalculation(engine::HistoryList& copy, const engine::CaseRecord& settings,
                                             const engine::CalculationOptions& options) {
        return engine::RunCalculation(engine::CalculationKind::Recalculation, copy, settings, options);
    }
};

struct Previous {
    static engine::previous::ResultTable Lender(const engine::HistoryList& history, const engine::CaseRecord& settings,
                                                const engine::CalculationOptions& options) {
        // It took only a writable list.
        engine::HistoryList copy = engine::CopyHistory(history);
        return engine::previous::RunCalculation(engine::CalculationKind::LenderCalculation, copy, settings, options);
    }
    static engine::previous::ResultTable Recalculation(engine::HistoryList& copy, const engine::CaseRecord& settings,
                                                       const engine::CalculationOptions& options) {
        return engine::previous::RunCalculation(engine::CalculationKind::Recalculation, copy, settings, options);
    }
};

// What the wizard does when the lender's page is left: the lender's table
// on the history, then the recalculation on a fresh copy.
template <typename Implementation>
void BM_BothTables(benchmark::State& state) {
    const engine::HistoryList history = MakeLongHistory(static_cast<int>(state.range(0)));
    const engine::CaseRecord settings = BenchCase(static_cast<int>(state.range(1)), state.range(0));
    const engine::CalculationOptions options{false, Silent};
    for (auto _ : state) {
        auto a = Implementation::Lender(history, settings, options);
        engine::HistoryList copy = engine::CopyHistory(history);
        auto b = Implementation::Recalculation(copy, settings, options);
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <typename Implementation>
void BM_LenderTable(benchmark::State& state) {
    const engine::HistoryList history = MakeLongHistory(static_cast<int>(state.range(0)));
    const engine::CaseRecord settings = BenchCase(static_cast<int>(state.range(1)), state.range(0));
    const engine::CalculationOptions options{false, Silent};
    for (auto _ : state) {
        auto table = Implementation::Lender(history, settings, options);
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <typename Implementation>
void BM_Recalculation(benchmark::State& state) {
    const engine::HistoryList history = MakeLongHistory(static_cast<int>(state.range(0)));
    const engine::CaseRecord settings = BenchCase(static_cast<int>(state.range(1)), state.range(0));
    const engine::CalculationOptions options{false, Silent};
    engine::HistoryList copy = engine::CopyHistory(history);
    for (auto _ : state) {
        auto table = Implementation::Recalculation(copy, settings, options);
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

BENCHMARK(BM_BothTables<Engine>)->Name("BM_BothTables")->Apply(Sizes);
BENCHMARK(BM_BothTables<Previous>)->Name("BM_BothTables_previous")->Apply(Sizes);
BENCHMARK(BM_LenderTable<Engine>)->Name("BM_LenderTable")->Apply(Sizes);
BENCHMARK(BM_LenderTable<Previous>)->Name("BM_LenderTable_previous")->Apply(Sizes);
BENCHMARK(BM_Recalculation<Engine>)->Name("BM_Recalculation")->Apply(Sizes);
BENCHMARK(BM_Recalculation<Previous>)->Name("BM_Recalculation_previous")->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
