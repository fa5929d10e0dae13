// The table engine beside plain SQLite doing the same work through its C API
// with the same settings (rollback journal, synchronous=EXTRA, the same
// columns and key index), so the cost of the layer shows:
//   Insert      1,000,000 history rows (10,000 cases of 100) in transactions of 300
//   CaseCounts  the range count of each of the 10,000 cases' history
//   ReadCase    one case's 300 history rows by range
//   OpenFind    opening the history table and finding one key
// Run with --benchmark_filter to pick; the data of Insert is reused by the
// others (built first when Insert is not run).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using korvalen::tablestore::Database;
using korvalen::tablestore::FieldDef;
using korvalen::tablestore::FieldType;
using korvalen::tablestore::Table;

constexpr int kCases = 10000;
constexpr int kRowsPerCase = 100;
constexpr int kBatch = 300;
// One more case, with 300 rows, for ReadCase.
constexpr int kLongCase = 20000;
constexpr int kLongCaseRows = 300;

// A temporary folder for the whole run, removed at exit.
const fs::path& Root() {
    static const korvalen::testsupport::TempFolder folder("tablestore-bench");
    return folder.path();
}

std::vector<FieldDef> HistoryFields() {
    return {{"CODE", FieldType::Int16, 0, true},  {"SEQ", FieldType::Int16, 0, true},
            {"SEQNO", FieldType::Int16, 0, true}, {"DATE", FieldType::Date},
            {"KARIIRE", FieldType::Int32},        {"HENSAI", FieldType::Int32},
            {"RIRITSU", FieldType::Float}};
}

// Calls row(seq, seqno) for every row, in transactions of kBatch rows.
template <class Begin, class Row, class Commit>
void EveryRow(Begin begin, Row row, Commit commit) {
    int inBatch = 0;
    auto add = [&](int seq, int seqno) {
        if (inBatch == 0) begin();
        row(seq, seqno);
        if (++inBatch == kBatch) {
            commit();
            inBatch = 0;
        }
    };
    for (int seq = 0; seq < kCases; ++seq) {
        for (int seqno = 0; seqno < kRowsPerCase; ++seqno) add(seq, seqno);
    }
    for (int seqno = 0; seqno < kLongCaseRows; ++seqno) add(kLongCase, seqno);
    if (inBatch) commit();
}

// --- our layer -------------------------------------------------------------

fs::path OursFolder(int n) { return Root() / ("ours" + std::to_string(n)); }

void FillOurs(const fs::path& folder) {
    fs::create_directories(folder);
    Database db;
    db.setDirectory(folder);
    Table t(db, "SinseiT32");
    t.setFieldDefs(HistoryFields());
    t.setIndexDef("CODE;SEQ;SEQNO");
    t.create();
    t.open();
    auto code = t.fieldByName("CODE"), seqField = t.fieldByName("SEQ"), seqnoField = t.fieldByName("SEQNO"),
         date = t.fieldByName("DATE"), kariire = t.fieldByName("KARIIRE"), hensai = t.fieldByName("HENSAI"),
         riritsu = t.fieldByName("RIRITSU");
    EveryRow([&] { db.startTransaction(); },
             [&](int seq, int seqno) {
                 t.append();
                 code.setInteger(9999);
                 seqField.setInteger(seq);
                 seqnoField.setInteger(seqno);
                 date.setDate(40000 + seqno);
                 kariire.setInteger(seqno % 2 ? 0 : 50000);
                 hensai.setInteger(seqno % 2 ? 20000 : 0);
                 riritsu.setFloat(29.2);
                 t.post();
             },
             [&] { db.commit(); });
}

// --- plain SQLite ----------------------------------------------------------

fs::path PlainFile(int n) { return Root() / ("plain" + std::to_string(n) + ".db"); }

void Check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

sqlite3* OpenPlain(const fs::path& file) {
    sqlite3* db = nullptr;
    // Single-threaded use, as the table engine's own connections.
    Check(db, sqlite3_open_v2(file.string().c_str(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr));
    sqlite3_busy_timeout(db, 5000);
    Check(db, sqlite3_exec(db, "PRAGMA synchronous=EXTRA", nullptr, nullptr, nullptr));
    return db;
}

void FillPlain(const fs::path& file) {
    sqlite3* db = OpenPlain(file);
    Check(db, sqlite3_exec(db,
                           "CREATE TABLE rows(\"#row\" INTEGER PRIMARY KEY, CODE INTEGER, SEQ INTEGER, SEQNO INTEGER,"
                           " DATE INTEGER, KARIIRE INTEGER, HENSAI INTEGER, RIRITSU REAL);"
                           "CREATE UNIQUE INDEX rows_key ON rows(CODE, SEQ, SEQNO);",
                           nullptr, nullptr, nullptr));
    sqlite3_stmt* insert = nullptr;
    Check(db,
          sqlite3_prepare_v2(db, "INSERT INTO rows(CODE,SEQ,SEQNO,DATE,KARIIRE,HENSAI,RIRITSU) VALUES(?,?,?,?,?,?,?)",
                             -1, &insert, nullptr));
    EveryRow([&] { Check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr)); },
             [&](int seq, int seqno) {
                 sqlite3_bind_int(insert, 1, 9999);
                 sqlite3_bind_int(insert, 2, seq);
                 sqlite3_bind_int(insert, 3, seqno);
                 sqlite3_bind_int(insert, 4, 40000 + seqno);
                 sqlite3_bind_int(insert, 5, seqno % 2 ? 0 : 50000);
                 sqlite3_bind_int(insert, 6, seqno % 2 ? 20000 : 0);
                 sqlite3_bind_double(insert, 7, 29.2);
                 Check(db, sqlite3_step(insert));
                 sqlite3_reset(insert);
             },
             [&] { Check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr)); });
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

// The data the reading benchmarks use: the last one Insert made.
int g_oursMade = 0;
int g_plainMade = 0;

const fs::path& OursData() {
    static fs::path folder;
    if (g_oursMade == 0) FillOurs(OursFolder(++g_oursMade));
    folder = OursFolder(g_oursMade);
    return folder;
}

const fs::path& PlainData() {
    static fs::path file;
    if (g_plainMade == 0) FillPlain(PlainFile(++g_plainMade));
    file = PlainFile(g_plainMade);
    return file;
}

constexpr double kRows = double(kCases) * kRowsPerCase + kLongCaseRows;

void Insert_Ours(benchmark::State& state) {
    for (auto _ : state) FillOurs(OursFolder(++g_oursMade));
    state.counters["rows/s"] = benchmark::Counter(kRows * double(state.iterations()), benchmark::Counter::kIsRate);
}

void Insert_PlainSQLite(benchmark::State& state) {
    for (auto _ : state) FillPlain(PlainFile(++g_plainMade));
    state.counters["rows/s"] = benchmark::Counter(kRows * double(state.iterations()), benchmark::Counter::kIsRate);
}

void CaseCounts_Ours(benchmark::State& state) {
    Database db;
    db.setDirectory(OursData());
    Table t(db, "SinseiT32");
    t.open();
    std::int64_t total = 0;
    for (auto _ : state) {
        for (int seq = 0; seq < kCases; ++seq) {
            t.setRange({9999, seq});
            total += t.recordCount();
        }
    }
    if (total != std::int64_t(kCases) * kRowsPerCase * state.iterations()) state.SkipWithError("wrong counts");
}

void CaseCounts_PlainSQLite(benchmark::State& state) {
    sqlite3* db = OpenPlain(PlainData());
    sqlite3_stmt* count = nullptr;
    Check(db, sqlite3_prepare_v2(db, "SELECT count(*) FROM rows WHERE CODE=? AND SEQ=?", -1, &count, nullptr));
    std::int64_t total = 0;
    for (auto _ : state) {
        for (int seq = 0; seq < kCases; ++seq) {
            sqlite3_bind_int(count, 1, 9999);
            sqlite3_bind_int(count, 2, seq);
            Check(db, sqlite3_step(count));
            total += sqlite3_column_int64(count, 0);
            sqlite3_reset(count);
        }
    }
    sqlite3_finalize(count);
    sqlite3_close(db);
    if (total != std::int64_t(kCases) * kRowsPerCase * state.iterations()) state.SkipWithError("wrong counts");
}

void ReadCase_Ours(benchmark::State& state) {
    Database db;
    db.setDirectory(OursData());
    Table t(db, "SinseiT32");
    t.open();
    auto seqno = t.fieldByName("SEQNO"), date = t.fieldByName("DATE"), kariire = t.fieldByName("KARIIRE"),
         hensai = t.fieldByName("HENSAI"), riritsu = t.fieldByName("RIRITSU");
    std::int64_t sum = 0;
    for (auto _ : state) {
        t.setRange({9999, kLongCase});
        for (t.first(); !t.eof(); t.next()) {
            sum += seqno.asInteger() + date.asDate() + kariire.asInteger() + hensai.asInteger() +
                   static_cast<std::int64_t>(riritsu.asFloat());
        }
    }
    benchmark::DoNotOptimize(sum);
}

void ReadCase_PlainSQLite(benchmark::State& state) {
    sqlite3* db = OpenPlain(PlainData());
    sqlite3_stmt* read = nullptr;
    Check(db, sqlite3_prepare_v2(db,
                                 "SELECT \"#row\",CODE,SEQ,SEQNO,DATE,KARIIRE,HENSAI,RIRITSU FROM rows"
                                 " WHERE CODE=? AND SEQ=? ORDER BY CODE,SEQ,SEQNO",
                                 -1, &read, nullptr));
    std::int64_t sum = 0;
    for (auto _ : state) {
        sqlite3_bind_int(read, 1, 9999);
        sqlite3_bind_int(read, 2, kLongCase);
        while (sqlite3_step(read) == SQLITE_ROW) {
            sum += sqlite3_column_int(read, 3) + sqlite3_column_int(read, 4) + sqlite3_column_int(read, 5) +
                   sqlite3_column_int(read, 6) + static_cast<std::int64_t>(sqlite3_column_double(read, 7));
        }
        sqlite3_reset(read);
    }
    sqlite3_finalize(read);
    sqlite3_close(db);
    benchmark::DoNotOptimize(sum);
}

void OpenFind_Ours(benchmark::State& state) {
    Database db;
    db.setDirectory(OursData());
    int seq = 0;
    std::int64_t sum = 0;
    for (auto _ : state) {
        Table t(db, "SinseiT32");
        t.open();
        if (t.findKey({9999, seq, 50})) sum += t.fieldByName("KARIIRE").asInteger();
        t.close();
        seq = (seq + 7919) % kCases;
    }
    benchmark::DoNotOptimize(sum);
}

void OpenFind_PlainSQLite(benchmark::State& state) {
    const fs::path file = PlainData();
    int seq = 0;
    std::int64_t sum = 0;
    for (auto _ : state) {
        sqlite3* db = OpenPlain(file);
        sqlite3_stmt* find = nullptr;
        Check(db, sqlite3_prepare_v2(db,
                                     "SELECT \"#row\",CODE,SEQ,SEQNO,DATE,KARIIRE,HENSAI,RIRITSU FROM rows"
                                     " WHERE CODE=? AND SEQ=? AND SEQNO=?",
                                     -1, &find, nullptr));
        sqlite3_bind_int(find, 1, 9999);
        sqlite3_bind_int(find, 2, seq);
        sqlite3_bind_int(find, 3, 50);
        if (sqlite3_step(find) == SQLITE_ROW) sum += sqlite3_column_int(find, 5);
        sqlite3_finalize(find);
        sqlite3_close(db);
        seq = (seq + 7919) % kCases;
    }
    benchmark::DoNotOptimize(sum);
}

}  // namespace

BENCHMARK(Insert_Ours)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(Insert_PlainSQLite)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(CaseCounts_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CaseCounts_PlainSQLite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadCase_Ours)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(ReadCase_PlainSQLite)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(OpenFind_Ours)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(OpenFind_PlainSQLite)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
