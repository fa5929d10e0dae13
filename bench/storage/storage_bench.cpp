// Case operations on a database folder, through the storage code the program
// uses:
//   DuplicateCase/N  copying a case of N history entries (the copy is deleted
//                    again outside the timing)
//   LoadCase/N       reading it back
// The figures should grow in step with N: a duplicate of 999 entries is one
// short transaction that holds the folder's write lock for its own copy only.
#include <benchmark/benchmark.h>

#include <string>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/table_setup.h"
#include "korvalen/testsupport/temp_folder.h"

namespace {

using namespace korvalen;

// A folder with the four tables and one case of `entries` history entries.
struct CaseFolder {
    explicit CaseFolder(int entries) {
        database.setDirectory(folder.path());
        storage::CreateAndUpgradeTables(database);
        engine::CaseRecord header;
        header.SEQ = 0;
        header.GYOSYA_NAME = "アコム";
        header.NAME = "山田　太郎";
        header.RIRITSU = 29.2;
        engine::HistoryList history;
        for (int i = 0; i < entries; ++i) {
            auto entry = std::make_unique<engine::HistoryEntry>();
            entry->date = 36526 + i * 30;
            entry->borrowing = i % 4 == 0 ? 50000 : 0;
            entry->repayment = i % 4 == 0 ? 0 : 12000;
            entry->rate = engine::RateToFixed(29.2);
            history.push_back(std::move(entry));
        }
        storage::SaveCase(database, header, history);
    }
    testsupport::TempFolder folder{"storage-bench"};
    tablestore::Database database;
};

void DuplicateCase(benchmark::State& state) {
    CaseFolder source(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const std::int32_t copy = storage::DuplicateCase(source.database, 0);
        state.PauseTiming();
        storage::DeleteCase(source.database, copy);
        state.ResumeTiming();
    }
    state.counters["entries/s"] =
        benchmark::Counter(double(state.range(0)) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void LoadCase(benchmark::State& state) {
    CaseFolder source(static_cast<int>(state.range(0)));
    std::size_t entries = 0;
    for (auto _ : state) entries += storage::LoadCase(source.database, 0)->history.size();
    benchmark::DoNotOptimize(entries);
}

}  // namespace

BENCHMARK(DuplicateCase)->Arg(100)->Arg(333)->Arg(999)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadCase)->Arg(100)->Arg(999)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
