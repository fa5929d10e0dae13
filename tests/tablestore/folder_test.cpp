// The folder around the tables: what reading leaves behind (nothing), and
// the control file TableStore.tx, which holds no data.
#include <gtest/gtest.h>

#include <set>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/files.h"
#include "table_layouts.h"

namespace korvalen::tablestore {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Files(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

void AddEntry(Table& t, int seq, int seqno) {
    t.append();
    t.fieldByName("CODE").setInteger(9999);
    t.fieldByName("SEQ").setInteger(seq);
    t.fieldByName("SEQNO").setInteger(seqno);
    t.post();
}

// A folder of two tables with some history, as a restore leaves it: the
// table files only, no control file.
class FolderTest : public ::testing::Test {
protected:
    FolderTest() {
        Database db;
        db.setDirectory(folder.path());
        fixtures::Create(db, fixtures::CaseTable());
        fixtures::Create(db, fixtures::HistoryTable());
        Table t(db, "SinseiT32");
        t.open();
        db.startTransaction();
        for (int seqno = 0; seqno < 600; ++seqno) AddEntry(t, 1, seqno);
        db.commit();
        t.close();
        db.disconnect();
        fs::remove(folder.path() / "TableStore.tx");
    }
    fixtures::TempFolder folder;
};

TEST_F(FolderTest, ReadingCreatesNothingAndTheFirstWriteMakesTheControlFile) {
    const std::set<std::string> before = Files(folder.path());
    Database db;
    db.setDirectory(folder.path());
    Table walk(db, "SinseiT32");
    walk.open();
    walk.setRange({9999, 1});
    walk.first();
    for (int i = 0; i < 10; ++i) walk.next();
    EXPECT_EQ(db.ReadCommitted([&] { return walk.recordCount(); }), 600);
    EXPECT_EQ(Files(folder.path()), before);

    // The first write of the object makes the control file, and the cursor
    // that was reading carries on where it was.
    Table writer(db, "SinseiT32");
    writer.open();
    AddEntry(writer, 2, 0);
    EXPECT_TRUE(fs::exists(folder.path() / "TableStore.tx"));
    EXPECT_EQ(walk.fieldByName("SEQNO").asInteger(), 10);
    int rest = 0;
    for (walk.next(); !walk.eof(); walk.next()) ++rest;
    EXPECT_EQ(rest, 589);
    walk.cancelRange();
    EXPECT_EQ(walk.recordCount(), 601);
}

TEST_F(FolderTest, ADamagedControlFileIsMadeAgainAndReportedAsSuchNamingNoTable) {
    for (const std::string& damage : {std::string("not a database at all"), std::string(4096, '\x5A')}) {
        SCOPED_TRACE(damage.size());
        testsupport::WriteWholeFile(folder.path() / "TableStore.tx", damage);
        Database db;
        db.setDirectory(folder.path());
        Table t(db, "SinseiT32");
        try {
            t.open();
            ADD_FAILURE() << "a damaged control file went unnoticed";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), codes::HeaderCorrupt);
            // Never a table's damage: the repair of that would delete the table.
            EXPECT_EQ(e.tableName(), "");
            EXPECT_NE(std::string(e.what()).find("TableStore.tx"), std::string::npos) << e.what();
        }
        // Made again: the next access works, every row still there, and
        // writing takes the lock on the new file.
        t.open();
        EXPECT_EQ(t.recordCount(), 600);
        AddEntry(t, 3, 0);
        EXPECT_TRUE(db.checkTable("SinseiT32").ok());
        t.close();
        db.disconnect();
        fs::remove(folder.path() / "TableStore.tx");
        Table again(db, "SinseiT32");
        again.open();
        ASSERT_TRUE(again.findKey({9999, 3, 0}));
        again.deleteRecord();
    }
}

}  // namespace
}  // namespace korvalen::tablestore
