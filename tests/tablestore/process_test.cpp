// Other processes on the same folder: a writer killed at random moments, and
// several writers at once.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/child_process.h"
#include "table_layouts.h"

namespace korvalen::tablestore {
namespace {

using namespace std::chrono_literals;

#ifdef KORVALEN_SANITIZE
constexpr int kKills = 8;
#else
constexpr int kKills = 30;
#endif

using testsupport::ChildProcess;

const std::string kChild = std::string(KORVALEN_BIN_DIR) + "/tablestore_test_child";

// Journals and super-journals in the folder.
std::vector<std::string> LeftOvers(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        std::string n = e.path().filename().string();
        if (n.find("-journal") != std::string::npos || n.find("-mj") != std::string::npos) names.push_back(n);
    }
    return names;
}

void CreateFolder(Database& db) {
    for (const auto& layout : {fixtures::CaseTable(), fixtures::HistoryTable(), fixtures::OptionsTable()}) {
        fixtures::Create(db, layout);
    }
}

int Counter(Database& db) {
    Table options(db, "Opcfg");
    options.open();
    EXPECT_LE(options.recordCount(), 1);
    options.first();
    return options.fieldByName("HENSAIHOUHOU_TAB").asInteger();
}

// The rows of each case in the history, by case number.
std::vector<int> HistoryCounts(Database& db, int cases) {
    Table history(db, "SinseiT32");
    history.open();
    std::vector<int> counts(static_cast<std::size_t>(cases) + 2, 0);
    for (history.first(); !history.eof(); history.next()) {
        int seq = history.fieldByName("SEQ").asInteger();
        if (seq >= 0 && seq <= cases + 1)
            ++counts[static_cast<std::size_t>(seq)];
        else
            ++counts.back();
    }
    return counts;
}

TEST(CrashTest, AKilledWriterLeavesExactlyTheCommittedTransactions) {
    fixtures::TempFolder folder("tablestore-crash");
    std::mt19937 random(20240601);
    int lastReported = 0;
    int roundsWithJournals = 0;
    int superJournalsLeft = 0;
    {
        Database db;
        db.setDirectory(folder.path());
        CreateFolder(db);
    }
    for (int round = 0; round < kKills; ++round) {
        {
            ChildProcess child(kChild, {"commits", folder.path().string()});
            std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(20, 400)(random)));
            child.Kill();
            child.Wait(10s);
            for (const std::string& line : child.Lines()) {
                ASSERT_NE(line.rfind("error", 0), 0u) << line;
                lastReported = std::stoi(line);
            }
        }
        const std::vector<std::string> left = LeftOvers(folder.path());
        if (!left.empty()) ++roundsWithJournals;
        for (const std::string& name : left) superJournalsLeft += name.find("-mj") != std::string::npos;
        // A fresh reader rolls the hot journals back and sees whole cases.
        Database db;
        db.setDirectory(folder.path());
        const int committed = Counter(db);
        // The open cleared what the killed commit left over the folder.
        for (const std::string& name : LeftOvers(folder.path())) {
            EXPECT_EQ(name.find("-mj"), std::string::npos) << name << " still there, round " << round;
        }
        ASSERT_GE(committed, lastReported) << "a reported commit was lost, round " << round;
        ASSERT_LE(committed, lastReported + 1) << "round " << round;
        lastReported = committed;
        {
            Table header(db, "SinseiT13");
            header.open();
            ASSERT_EQ(header.recordCount(), committed) << "round " << round;
            if (committed > 0) {
                header.last();
                EXPECT_EQ(header.fieldByName("SEQ").asInteger(), committed);
                EXPECT_EQ(header.fieldByName("NAME").asString(), "債務者" + std::to_string(committed));
            }
        }
        std::vector<int> counts = HistoryCounts(db, committed);
        for (int k = 1; k <= committed; ++k) {
            ASSERT_EQ(counts[static_cast<std::size_t>(k)], k + 3 <= committed ? 20 : 40)
                << "case " << k << " of " << committed << ", round " << round;
        }
        ASSERT_EQ(counts[0] + counts.back(), 0) << "rows of an uncommitted case, round " << round;
        for (const char* table : {"SinseiT13", "SinseiT32", "Opcfg"}) {
            TableCheck check = db.checkTable(table);
            ASSERT_TRUE(check.ok()) << table << ": " << (check.findings.empty() ? "" : check.findings[0]);
        }
    }
    EXPECT_GT(lastReported, 0) << "no transaction ever committed";
    EXPECT_GT(roundsWithJournals, 0) << "no kill ever interrupted a transaction";
    std::cout << "super-journals left by a kill: " << superJournalsLeft << "\n";

    // Before a backup copies the files: no journal, no super-journal.
    Database db;
    db.setDirectory(folder.path());
    db.makeFolderClean();
    EXPECT_EQ(LeftOvers(folder.path()), std::vector<std::string>{});
}

TEST(ConcurrencyTest, WritersAtOnceLoseAndDoubleNothing) {
    fixtures::TempFolder folder("tablestore-concurrent");
    {
        Database db;
        db.setDirectory(folder.path());
        CreateFolder(db);
        Table options(db, "Opcfg");
        options.open();
        options.append();
        options.fieldByName("HENSAIHOUHOU_TAB").setInteger(0);
        options.post();
    }
#ifdef KORVALEN_SANITIZE
    constexpr int kRows = 15;
#else
    constexpr int kRows = 40;
#endif
    constexpr int kWriters = 4;
    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (int id = 1; id <= kWriters; ++id) {
        writers.push_back(std::make_unique<ChildProcess>(
            kChild,
            std::vector<std::string>{"appends", folder.path().string(), std::to_string(id), std::to_string(kRows)}));
    }
    for (auto& w : writers) {
        EXPECT_EQ(w->Wait(120s), 0) << w->Err();
        std::vector<std::string> lines = w->Lines();
        EXPECT_TRUE(!lines.empty() && lines.back() == "done") << (lines.empty() ? "" : lines.back());
    }
    Database db;
    db.setDirectory(folder.path());
    EXPECT_EQ(Counter(db), kWriters * kRows) << "an update was lost";
    std::vector<int> counts = HistoryCounts(db, kWriters);
    for (int id = 1; id <= kWriters; ++id) EXPECT_EQ(counts[static_cast<std::size_t>(id)], kRows) << id;
    Table history(db, "SinseiT32");
    history.open();
    for (int id = 1; id <= kWriters; ++id) {
        for (int i = 0; i < kRows; ++i) EXPECT_TRUE(history.findKey({9999, id, i})) << id << "/" << i;
    }
}

TEST(ConcurrencyTest, AWriterBlockedTooLongGetsASharingViolationNotAHang) {
    fixtures::TempFolder folder("tablestore-blocked");
    Database db;
    db.setDirectory(folder.path());
    CreateFolder(db);
    db.startTransaction();
    ChildProcess child(kChild, {"post", folder.path().string(), "300"});
    ASSERT_EQ(child.Lines(10s), std::vector<std::string>{"ready"});
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(child.Wait(20s), 0) << "the blocked writer hung" << child.Err();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(child.Lines(), std::vector<std::string>{std::to_string(codes::SharingViolation)});
    db.rollback();
}

}  // namespace
}  // namespace korvalen::tablestore
