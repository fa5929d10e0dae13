// Transactions over several tables, and the folder's write lock between
// database objects (in another process they behave the same).
#include <gtest/gtest.h>

#include <chrono>

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
