// Transactions over several tables, and the folder's write lock between
// database objects (in another process they behave the same).
#include <gtest/gtest.h>

#include <iostream>

#include <atomic>
#include <chrono>
#include <thread>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "table_layouts.h"

namespace korvalen::tablestore {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class TransactionTest : public ::testing::Test {
protected:
    TransactionTest() {
        db.setDirectory(folder.path());
        fixtures::Create(db, fixtures::CaseTable());
        fixtures::Create(db, fixtures::HistoryTable());
    }

    // A case header and its history, the way a case save writes them.
    void SaveCase(Database& d, int seq, int entries) {
        Table header(d, "SinseiT13");
        header.open();
        header.append();
        header.fieldByName("CODE").setInteger(9999);
        header.fieldByName("SEQ").setInteger(seq);
        header.post();
        Table history(d, "SinseiT32");
        history.open();
        for (int i = 0; i < entries; ++i) {
            history.append();
            history.fieldByName("CODE").setInteger(9999);
            history.fieldByName("SEQ").setInteger(seq);
            history.fieldByName("SEQNO").setInteger(i);
            history.post();
        }
    }

    std::int64_t Count(Database& d, const char* table) {
        Table t(d, table);
        t.open();
        return t.recordCount();
    }

    fixtures::TempFolder folder;
    Database db;
};

TEST_F(TransactionTest, CommitKeepsBothTablesAndRollbackUndoesBoth) {
    db.startTransaction();
    SaveCase(db, 1, 3);
    db.commit();
    db.startTransaction();
    SaveCase(db, 2, 4);
    // Inside the transaction this object reads its own writes.
    EXPECT_EQ(Count(db, "SinseiT32"), 7);
    db.rollback();
    EXPECT_EQ(Count(db, "SinseiT13"), 1);
    EXPECT_EQ(Count(db, "SinseiT32"), 3);
    EXPECT_FALSE(db.inTransaction());

    // Nothing but the three files of each table (and the anchor) is left.
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        const std::string ext = entry.path().extension().string();
        EXPECT_TRUE(ext == ".dat" || ext == ".idx" || ext == ".blb" || name == "TableStore.tx") << name;
    }
}

TEST_F(TransactionTest, AFailedPostLeavesTheTransactionToTheCaller) {
    db.startTransaction();
    SaveCase(db, 1, 2);
    EXPECT_THROW(SaveCase(db, 1, 0), EngineError);  // the case row again: duplicate key
    db.rollback();
    EXPECT_EQ(Count(db, "SinseiT32"), 0);
}

TEST_F(TransactionTest, OtherDatabaseObjectsSeeOnlyCommittedRows) {
    Database other;
    other.setDirectory(folder.path());
    other.setLockTimeout(200ms);
    db.startTransaction();
    SaveCase(db, 1, 5);
    EXPECT_EQ(Count(other, "SinseiT32"), 0);
    db.commit();
    EXPECT_EQ(Count(other, "SinseiT32"), 5);
}

TEST_F(TransactionTest, AWriterBlockedPastTheTimeoutGetsASharingViolation) {
    Database other;
    other.setDirectory(folder.path());
    other.setLockTimeout(300ms);
    db.startTransaction();
    SaveCase(db, 1, 1);

    Table t(other, "SinseiT32");
    t.open();
    auto start = std::chrono::steady_clock::now();
    try {
        t.append();
        t.fieldByName("CODE").setInteger(9999);
        t.fieldByName("SEQ").setInteger(2);
        t.fieldByName("SEQNO").setInteger(0);
        t.post();
        ADD_FAILURE() << "post went through another writer's lock";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), codes::SharingViolation);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    // Reading is never blocked by a writer.
    EXPECT_EQ(t.recordCount(), 0);
    // An edit waits for the same lock.
    db.commit();
    EXPECT_EQ(t.recordCount(), 1);
    t.first();
    t.edit();
    db.setLockTimeout(200ms);
    EXPECT_THROW(db.startTransaction(), EngineError);
    t.cancel();
    db.startTransaction();
    db.rollback();
}

TEST_F(TransactionTest, AReadTakesNoWriteLockAndRefusesToWrite) {
    SaveCase(db, 1, 3);
    Database reader;
    reader.setDirectory(folder.path());
    reader.setLockTimeout(200ms);
    // Another object in the middle of an edit over both tables.
    db.startTransaction();
    SaveCase(db, 2, 4);
    const auto counts = reader.ReadCommitted([&] {
        return std::pair{Count(reader, "SinseiT13"), Count(reader, "SinseiT32")};
    });
    EXPECT_EQ(counts, std::pair(std::int64_t{1}, std::int64_t{3}));
    db.commit();

    // A write inside a read is refused, and the read still ends.
    EXPECT_THROW(reader.ReadCommitted([&] { SaveCase(reader, 3, 1); }), DataError);
    EXPECT_EQ(Count(reader, "SinseiT32"), 7);
    SaveCase(reader, 3, 1);
}

TEST_F(TransactionTest, AReadSeesOneCommittedStateWhileAnotherProcessCommits) {
    // The writer keeps the header's remarks equal to the number of history
    // rows, each change one transaction over both tables (header first).
    // The reader reads one table, pauses, then the other. History first, it
    // holds the table the writer's commit comes to second while it waits for
    // the one the commit holds: the read must give way, not deadlock.
    SaveCase(db, 1, 0);
    for (const bool headerFirst : {true, false}) {
        SCOPED_TRACE(headerFirst ? "header first" : "history first");
        std::atomic<bool> stop = false;
        std::atomic<int> commits = 0;
        std::thread writer([&] {
            Database w;
            w.setDirectory(folder.path());
            Table header(w, "SinseiT13"), history(w, "SinseiT32");
            header.open();
            history.open();
            history.setRange({9999, 1});
            for (std::int64_t n = history.recordCount() + 1; !stop; ++n) {
                w.startTransaction();
                ASSERT_TRUE(header.findKey({9999, 1}));
                header.edit();
                header.fieldByName("BIKO").setString(std::to_string(n));
                header.post();
                history.append();
                history.fieldByName("CODE").setInteger(9999);
                history.fieldByName("SEQ").setInteger(1);
                history.fieldByName("SEQNO").setInteger(static_cast<int>(n));
                history.post();
                w.commit();
                ++commits;
            }
        });
        // Stops the writer however the reading ends.
        struct Joined {
            std::atomic<bool>& stop;
            std::thread& thread;
            ~Joined() {
                stop = true;
                thread.join();
            }
        } joined{stop, writer};
        Database reader;
        reader.setDirectory(folder.path());
        int reads = 0, attempts = 0;
        // Enough of both to meet in every way, however slow the disk.
        const auto end = std::chrono::steady_clock::now() + 30s;
        while ((reads < 8 || commits < 8) && std::chrono::steady_clock::now() < end) {
            const auto [remarks, rows] = reader.ReadCommitted([&] {
                ++attempts;
                Table header(reader, "SinseiT13"), history(reader, "SinseiT32");
                auto readHeader = [&] {
                    header.open();
                    EXPECT_TRUE(header.findKey({9999, 1}));
                    const std::string said = header.fieldByName("BIKO").asString();
                    return said.empty() ? std::int64_t{0} : std::stoll(said);
                };
                auto readHistory = [&] {
                    history.open();
                    history.setRange({9999, 1});
                    return history.recordCount();
                };
                std::int64_t said = headerFirst ? readHeader() : -1, counted = headerFirst ? -1 : readHistory();
                std::this_thread::sleep_for(2ms);
                if (headerFirst)
                    counted = readHistory();
                else
                    said = readHeader();
                return std::pair{said, counted};
            });
            ASSERT_EQ(remarks, rows) << "half of a commit, read " << reads;
            ++reads;
        }
        stop = true;
        EXPECT_GE(commits, 8);
        EXPECT_GE(reads, 8);
        std::cout << reads << " reads in " << attempts << " attempts beside " << commits << " commits\n";
    }
}

TEST_F(TransactionTest, MakingTheFolderCleanWaitsForWritersAndHoldsThemOff) {
    Database other;
    other.setDirectory(folder.path());
    other.setLockTimeout(200ms);
    {
        FolderLock hold = db.lockFolder();
        EXPECT_THROW(SaveCase(other, 1, 1), EngineError);
    }
    SaveCase(other, 1, 1);
    other.startTransaction();
    db.setLockTimeout(200ms);
    EXPECT_THROW(db.makeFolderClean(), EngineError);
    other.rollback();
    db.makeFolderClean();
}

}  // namespace
}  // namespace korvalen::tablestore
