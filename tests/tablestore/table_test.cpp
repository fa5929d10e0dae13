// The cursor operations on the four real table layouts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/files.h"
#include "table_layouts.h"

namespace korvalen::tablestore {
namespace {

namespace fs = std::filesystem;
using fixtures::CaseTable;
using fixtures::HistoryTable;
using fixtures::OptionsTable;
using fixtures::PcTable;
using ::testing::ElementsAre;

template <class F>
std::uint16_t EngineCode(F&& f, std::string* table = nullptr) {
    try {
        f();
    } catch (const EngineError& e) {
        if (table) *table = e.tableName();
        return e.code();
    }
    return 0;
}

class TableTest : public ::testing::Test {
protected:
    TableTest() {
        db.setDirectory(folder.path());
        for (const auto& layout : {CaseTable(), HistoryTable(), PcTable(), OptionsTable()})
            fixtures::Create(db, layout);
    }

    // One history row (9999, seq, seqno).
    void AddEntry(Table& t, int seq, int seqno, int amount = 0) {
        t.append();
        t.fieldByName("CODE").setInteger(9999);
        t.fieldByName("SEQ").setInteger(seq);
        t.fieldByName("SEQNO").setInteger(seqno);
        t.fieldByName("KARIIRE").setInteger(amount);
        t.post();
    }

    std::vector<int> Walk(Table& t, const char* field) {
        std::vector<int> out;
        for (t.first(); !t.eof(); t.next()) out.push_back(t.fieldByName(field).asInteger());
        return out;
    }

    fixtures::TempFolder folder;
    Database db;
};

TEST_F(TableTest, CreateWritesThreeFilesAndRefusesAnExistingTable) {
    for (const char* ext : {".dat", ".idx", ".blb"})
        EXPECT_TRUE(fs::exists(folder.path() / ("SinseiT13" + std::string(ext))));
    EXPECT_TRUE(db.tableExists("SinseiT13"));
    EXPECT_FALSE(db.tableExists("SinseiT99"));

    // Every page keeps 8 bytes free for its checksum.
    std::ifstream dat(folder.path() / "SinseiT13.dat", std::ios::binary);
    char header[100];
    dat.read(header, sizeof header);
    EXPECT_EQ(std::string(header, 16), std::string("SQLite format 3\0", 16));
    EXPECT_EQ(header[20], 8);

    std::string table;
    EXPECT_EQ(EngineCode([&] { fixtures::Create(db, CaseTable()); }, &table), codes::TableExists);
    EXPECT_EQ(table, "SinseiT13");
}

TEST_F(TableTest, WhatACutOffCreationLeftIsCreatedAgainButNeverATable) {
    // What a creation killed halfway by an older engine could leave as the
    // .dat, beside the scraps of a creation of this one.
    struct Left {
        const char* what;
        std::function<void(Database&, const fs::path&)> make;
        bool replaced;
    };
    const Left cases[] = {
        {"an empty file", [](Database&, const fs::path& dat) { testsupport::WriteWholeFile(dat, ""); }, true},
        {"a database holding no table",
         [](Database&, const fs::path& dat) {
             sqlite3* raw = nullptr;
             ASSERT_EQ(sqlite3_open_v2(dat.string().c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                       "korvalen-pagecheck"),
                       SQLITE_OK);
             int reserve = 8;
             sqlite3_file_control(raw, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
             EXPECT_EQ(sqlite3_exec(raw, "PRAGMA page_size=4096; PRAGMA user_version=1", nullptr, nullptr, nullptr),
                       SQLITE_OK);
             sqlite3_close(raw);
         },
         true},
        {"bytes that are no database",
         [](Database&, const fs::path& dat) { testsupport::WriteWholeFile(dat, std::string(5000, 'x')); }, false},
        {"an empty table", [](Database& d, const fs::path&) { fixtures::Create(d, HistoryTable()); }, false},
        {"a table with a row",
         [this](Database& d, const fs::path&) {
             fixtures::Create(d, HistoryTable());
             Table t(d, "SinseiT32");
             t.open();
             AddEntry(t, 1, 0, 500);
         },
         false},
    };
    for (const Left& left : cases) {
        SCOPED_TRACE(left.what);
        fixtures::TempFolder here;
        const fs::path dat = here.path() / "SinseiT32.dat";
        Database d;
        d.setDirectory(here.path());
        left.make(d, dat);
        d.disconnect();
        testsupport::WriteWholeFile(here.path() / "SinseiT32.dat~new", "half a table");
        const std::string before = testsupport::ReadWholeFile(dat);

        EXPECT_TRUE(d.tableExists("SinseiT32"));
        EXPECT_EQ(d.UnfinishedTable("SinseiT32"), left.replaced);
        if (!left.replaced) {
            EXPECT_EQ(EngineCode([&] { fixtures::Create(d, HistoryTable()); }), codes::TableExists);
            EXPECT_EQ(testsupport::ReadWholeFile(dat), before);
            continue;
        }
        fixtures::Create(d, HistoryTable());
        Table t(d, "SinseiT32");
        t.open();
        AddEntry(t, 1, 0, 500);
        EXPECT_EQ(t.recordCount(), 1);
        EXPECT_TRUE(d.checkTable("SinseiT32").ok());
        EXPECT_FALSE(fs::exists(here.path() / "SinseiT32.dat~new"));
    }
}

TEST_F(TableTest, BadDefinitionsAreRefusedBeforeAnyFileIsWritten) {
    using T = FieldType;
    struct Case {
        std::vector<FieldDef> fields;
        std::string key;
    };
    const Case cases[] = {
        {{{"A", T::Int16}, {"a", T::Int32}}, ""},  // names differ only in case
        {{{"A", T::Int16}}, "B"},                  // key field not defined
        {{{"A", T::Int16}}, "A;A"},                // key field twice
        {{{"A", T::String, 0}}, ""},               // text without a size
        {{{"1A", T::Int16}}, ""},                  // name not starting with a letter
        {{}, ""},                                  // no fields
    };
    for (const Case& c : cases) {
        Table t(db, "Bad");
        t.setFieldDefs(c.fields);
        t.setIndexDef(c.key);
        EXPECT_THROW(t.create(), DataError) << c.key;
        EXPECT_FALSE(db.tableExists("Bad"));
    }
}

TEST_F(TableTest, CaseRowKeepsEveryFieldTypeAndEmptyFieldsReadAsZero) {
    {
        Table t(db, "SinseiT13");
        t.open();
        t.append();
        t.fieldByName("CODE").setInteger(9999);
        t.fieldByName("SEQ").setInteger(7);
        t.fieldByName("NAME").setString("山田　太郎");
        t.fieldByName("GYOSYA_NAME").setString("㈱ﾃﾞｰﾀ金融～①");
        t.fieldByName("START_DAY").setDate(36526);
        t.fieldByName("RIRITSU").setFloat(29.2);
        t.fieldByName("START_KARI").setInteger(-2147483647 - 1);
        t.fieldByName("SYONITI_UMU").setBoolean(true);
        t.fieldByName("CHECKBOX").setInteger(1);
        t.post();
    }
    Table t(db, "SinseiT13");
    t.open();
    ASSERT_TRUE(t.findKey({9999, 7}));
    EXPECT_EQ(t.fieldByName("NAME").asString(), "山田　太郎");
    EXPECT_EQ(t.fieldByName("GYOSYA_NAME").asString(), "㈱ﾃﾞｰﾀ金融～①");
    EXPECT_EQ(t.fieldByName("START_DAY").asDate(), 36526);
    EXPECT_EQ(t.fieldByName("RIRITSU").asFloat(), 29.2);
    EXPECT_EQ(t.fieldByName("START_KARI").asInteger(), -2147483647 - 1);
    EXPECT_TRUE(t.fieldByName("SYONITI_UMU").asBoolean());
    EXPECT_EQ(t.fieldByName("checkbox").asInteger(), 1);
    // Never written: null, read as 0 / "" / false.
    EXPECT_TRUE(t.fieldByName("BIKO").isNull());
    EXPECT_EQ(t.fieldByName("BIKO").asString(), "");
    EXPECT_EQ(t.fieldByName("KEISAN_KIND").asInteger(), 0);
    EXPECT_EQ(t.fieldByName("KABARAI_RIRITSU").asFloat(), 0.0);
    EXPECT_FALSE(t.fieldByName("SEISAN_KIND").asBoolean());
}

TEST_F(TableTest, ValuesAFieldCannotHoldExactlyAreRefusedAndChangeNothing) {
    Table t(db, "SinseiT13");
    t.open();
    t.append();
    struct Case {
        const char* field;
        std::function<void(Field)> write;
    };
    const Case cases[] = {
        // 21 full-width characters: 42 Shift-JIS bytes in a 40-byte field.
        {"NAME", [](Field f) { f.setString("あいうえおかきくけこさしすせそたちつてとな"); }},
        // The euro sign and the em dash have no Shift-JIS code.
        {"NAME", [](Field f) { f.setString("€"); }},
        {"NAME", [](Field f) { f.setString("a—b"); }},
        {"NAME", [](Field f) { f.setString("\xff\xfe"); }},  // not UTF-8
        {"SEQ", [](Field f) { f.setInteger(32768); }},
        {"SEQ", [](Field f) { f.setInteger(-32769); }},
        {"START_KARI", [](Field f) { f.setInteger(2147483648LL); }},
        {"START_KARI", [](Field f) { f.setFloat(1.5); }},
        {"START_KARI", [](Field f) { f.setString("12a"); }},
        {"RIRITSU", [](Field f) { f.setFloat(std::numeric_limits<double>::quiet_NaN()); }},
        {"START_DAY", [](Field f) { f.setBoolean(true); }},
    };
    for (const Case& c : cases) {
        Field f = t.fieldByName(c.field);
        EXPECT_THROW(c.write(f), DataError) << c.field;
        EXPECT_TRUE(f.isNull()) << c.field;
    }
    // What fits exactly is taken: 20 full-width characters, 40 half-width
    // katakana, the int16 limits.
    t.fieldByName("NAME").setString("あいうえおかきくけこさしすせそたちつてと");
    t.fieldByName("GYOSYA_NAME").setString(std::string(40 / 2, 'x') + "ｱｲｳｴｵｶｷｸｹｺｱｲｳｴｵｶｷｸｹｺ");
    t.fieldByName("SEQ").setInteger(32767);
    t.fieldByName("CODE").setInteger(-32768);
    t.post();
    ASSERT_TRUE(t.findKey({-32768, 32767}));
    EXPECT_EQ(t.fieldByName("NAME").asString(), "あいうえおかきくけこさしすせそたちつてと");
}

// What Linux input methods type for a wave dash and a minus is kept as the
// Shift-JIS characters of Windows, and measured as them.
TEST_F(TableTest, WaveDashAndMinusAreKeptAsTheirShiftJisForms) {
    {
        Table t(db, "SinseiT13");
        t.open();
        t.append();
        t.fieldByName("CODE").setInteger(9999);
        t.fieldByName("SEQ").setInteger(1);
        t.fieldByName("NAME").setString("あいうえおかきくけこさしすせそ〜〜−−−");  // 40 bytes
        t.fieldByName("BIKO").setString("10〜20 −5");
        t.post();
    }
    Table t(db, "SinseiT13");
    t.open();
    ASSERT_TRUE(t.findKey({9999, 1}));
    EXPECT_EQ(t.fieldByName("NAME").asString(), "あいうえおかきくけこさしすせそ～～－－－");
    EXPECT_EQ(t.fieldByName("BIKO").asString(), "10～20 －5");
}

TEST_F(TableTest, DuplicateKeyRaises9729NamingTheTableAndKeepsTheFirstRow) {
    Table t(db, "SinseiT32");
    t.open();
    AddEntry(t, 1, 0, 100);
    std::string table;
    EXPECT_EQ(EngineCode([&] { AddEntry(t, 1, 0, 200); }, &table), codes::DuplicateKey);
    EXPECT_EQ(table, "SinseiT32");
    EXPECT_EQ(t.state(), Table::State::Browse);
    EXPECT_EQ(t.recordCount(), 1);
    ASSERT_TRUE(t.findKey({9999, 1, 0}));
    EXPECT_EQ(t.fieldByName("KARIIRE").asInteger(), 100);
}

TEST_F(TableTest, KeyAndRequiredFieldsMustHaveAValue) {
    Table t(db, "SinseiT32");
    t.open();
    t.append();
    t.fieldByName("CODE").setInteger(9999);
    t.fieldByName("SEQ").setInteger(1);
    EXPECT_THROW(t.post(), DataError);  // SEQNO missing
    EXPECT_EQ(t.recordCount(), 0);
}

TEST_F(TableTest, RangeRestrictsTheWalkAndTheCountToOneCase) {
    Table t(db, "SinseiT32");
    t.open();
    for (int seqno : {2, 0, 1}) AddEntry(t, 5, seqno, seqno * 10);
    AddEntry(t, 4, 0);
    AddEntry(t, 6, 0);
    t.setRange({9999, 5});
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_THAT(Walk(t, "SEQNO"), ElementsAre(0, 1, 2));
    t.last();
    EXPECT_EQ(t.fieldByName("SEQNO").asInteger(), 2);
    EXPECT_FALSE(t.eof());
    t.setRange({9999, 7});
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_TRUE(t.eof());
    // A row added outside the range keeps its own key through an edit.
    AddEntry(t, 8, 0);
    t.edit();
    t.fieldByName("KARIIRE").setInteger(1);
    t.post();
    EXPECT_EQ(t.recordCount(), 0);
    ASSERT_TRUE(t.fieldByName("SEQ").asInteger() == 8);
    t.setRange({9999});
    EXPECT_EQ(t.recordCount(), 6);
    t.cancelRange();
    EXPECT_THAT(Walk(t, "SEQ"), ElementsAre(4, 5, 5, 5, 6, 8));
}

TEST_F(TableTest, FindKeyPositionsOnLeadingKeyFieldsOrLeavesThePosition) {
    Table t(db, "SinseiT32");
    t.open();
    for (int seq : {1, 3}) {
        for (int seqno = 0; seqno < 3; ++seqno) AddEntry(t, seq, seqno, seq * 100 + seqno);
    }
    ASSERT_TRUE(t.findKey({9999, 3}));
    EXPECT_EQ(t.fieldByName("KARIIRE").asInteger(), 300);
    t.next();
    EXPECT_EQ(t.fieldByName("KARIIRE").asInteger(), 301);
    EXPECT_FALSE(t.findKey({9999, 2}));
    EXPECT_EQ(t.fieldByName("KARIIRE").asInteger(), 301);
    ASSERT_TRUE(t.findKey({9999, 1, 2}));
    t.next();
    EXPECT_EQ(t.fieldByName("KARIIRE").asInteger(), 300);

    EXPECT_THROW(t.findKey({"CODE"}), DataError);
    EXPECT_THROW(t.findKey({9999, 1, 2, 3}), DataError);
    EXPECT_THROW(t.findKey({9999, 70000}), DataError);
    Table options(db, "Opcfg");
    options.open();
    EXPECT_THROW(options.findKey({1}), DataError);
}

TEST_F(TableTest, DeleteMakesTheNextRowCurrent) {
    Table t(db, "SinseiT32");
    t.open();
    for (int seqno = 0; seqno < 4; ++seqno) AddEntry(t, 1, seqno);
    ASSERT_TRUE(t.findKey({9999, 1, 1}));
    t.deleteRecord();
    EXPECT_EQ(t.fieldByName("SEQNO").asInteger(), 2);
    EXPECT_FALSE(t.eof());
    // The last row: the one before becomes current, past the end.
    t.last();
    t.deleteRecord();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.fieldByName("SEQNO").asInteger(), 2);
    // Deleting a whole range the way a case save does.
    AddEntry(t, 2, 0);
    t.setRange({9999, 1});
    t.first();
    while (!t.eof()) t.deleteRecord();
    EXPECT_EQ(t.recordCount(), 0);
    t.cancelRange();
    EXPECT_THAT(Walk(t, "SEQ"), ElementsAre(2));
}

TEST_F(TableTest, SeveralCursorsKeepTheirOwnPositionsAndSeeEachOthersWrites) {
    Table writer(db, "SinseiT32");
    writer.open();
    db.startTransaction();
    for (int seqno = 0; seqno < 200; ++seqno) AddEntry(writer, 1, seqno, seqno);
    db.commit();
    Table a(db, "SinseiT32"), b(db, "SinseiT32");
    a.open();
    b.open();
    a.setRange({9999, 1});
    a.first();
    for (int i = 0; i < 10; ++i) a.next();
    ASSERT_TRUE(b.findKey({9999, 1, 150}));
    EXPECT_EQ(a.fieldByName("SEQNO").asInteger(), 10);

    // b deletes the rows a would read next; a must not return them.
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(b.findKey({9999, 1, 11 + i}));
        b.deleteRecord();
    }
    a.next();
    EXPECT_EQ(a.fieldByName("SEQNO").asInteger(), 16);
    // And a row b changes is read as changed.
    ASSERT_TRUE(b.findKey({9999, 1, 17}));
    b.edit();
    b.fieldByName("KARIIRE").setInteger(-17);
    b.post();
    a.next();
    EXPECT_EQ(a.fieldByName("KARIIRE").asInteger(), -17);
    EXPECT_EQ(a.recordCount(), 195);
}

TEST_F(TableTest, AWalkMeetsEveryWriteAheadOfItAndNoneBehindIt) {
    // A model of the history rows, SEQ and SEQNO to amount, against a walk
    // that another cursor of the same object writes around at every step:
    // in the walked case ahead of the walk and behind it, and in other cases
    // (as a duplicate of a case does). Long enough to cross read-ahead
    // batches.
    for (const bool ranged : {true, false}) {
        SCOPED_TRACE(ranged ? "range (9999, 2)" : "no range");
        fixtures::TempFolder here;
        Database d;
        d.setDirectory(here.path());
        fixtures::Create(d, HistoryTable());
        Table writer(d, "SinseiT32"), walk(d, "SinseiT32");
        writer.open();
        walk.open();
        std::map<std::pair<int, int>, int> model;
        d.startTransaction();
        for (int seq = 1; seq <= 3; ++seq) {
            for (int seqno = 0; seqno < 1400; seqno += 2) {
                AddEntry(writer, seq, seqno, seq * 10000 + seqno);
                model[{seq, seqno}] = seq * 10000 + seqno;
            }
        }
        std::mt19937 random(ranged ? 7 : 8);
        if (ranged) walk.setRange({9999, 2});
        walk.first();
        auto key = [&] {
            return std::pair{walk.fieldByName("SEQ").asInteger(), walk.fieldByName("SEQNO").asInteger()};
        };
        int steps = 0;
        for (; !walk.eof(); ++steps) {
            const auto at = key();
            ASSERT_TRUE(model.count(at)) << at.first << "/" << at.second;
            EXPECT_EQ(walk.fieldByName("KARIIRE").asInteger(), model[at]);
            // A write somewhere near the walk, or in another case.
            const int seq = std::uniform_int_distribution<int>(0, 3)(random) == 0 ? 3 : at.first;
            const int seqno = std::clamp(at.second + std::uniform_int_distribution<int>(-6, 40)(random), 0, 32767);
            const auto target = std::pair{seq, seqno};
            switch (std::uniform_int_distribution<int>(0, 2)(random)) {
                case 0:
                    if (!model.count(target)) {
                        AddEntry(writer, seq, seqno, -seqno);
                        model[target] = -seqno;
                    }
                    break;
                case 1:
                    if (model.count(target) && target != at) {
                        ASSERT_TRUE(writer.findKey({9999, seq, seqno}));
                        writer.deleteRecord();
                        model.erase(target);
                    }
                    break;
                default:
                    if (model.count(target)) {
                        ASSERT_TRUE(writer.findKey({9999, seq, seqno}));
                        writer.edit();
                        writer.fieldByName("KARIIRE").setInteger(model[target] + 1);
                        writer.post();
                        ++model[target];
                    }
            }
            walk.next();
            auto expected = model.upper_bound(at);
            if (ranged && expected != model.end() && expected->first.first != 2) expected = model.end();
            if (expected == model.end()) {
                EXPECT_TRUE(walk.eof()) << "after " << at.first << "/" << at.second;
                break;
            }
            ASSERT_FALSE(walk.eof()) << "after " << at.first << "/" << at.second;
            ASSERT_EQ(key(), expected->first) << "after " << at.first << "/" << at.second;
        }
        EXPECT_GT(steps, ranged ? 600 : 1800);
        d.rollback();
    }
}

TEST_F(TableTest, EditOnAnEmptyTableStartsTheFirstRowAndRowsKeepInsertionOrder) {
    Table t(db, "Opcfg");
    t.open();
    t.first();
    t.edit();
    EXPECT_EQ(t.state(), Table::State::Insert);
    t.fieldByName("HENSAIHOUHOU_TAB").setInteger(0x80);
    t.fieldByName("PROXY_PORT").setInteger(80);
    t.post();
    t.first();
    t.edit();
    EXPECT_EQ(t.state(), Table::State::Edit);
    EXPECT_EQ(t.fieldByName("PROXY_PORT").asInteger(), 80);
    t.fieldByName("PROXY_PORT").setInteger(8080);
    t.post();
    EXPECT_EQ(t.recordCount(), 1);

    // Without a key, rows come in the order they were added.
    for (int port : {3, 1, 2}) {
        t.append();
        t.fieldByName("PROXY_PORT").setInteger(port);
        t.post();
    }
    EXPECT_THAT(Walk(t, "PROXY_PORT"), ElementsAre(8080, 3, 1, 2));
}

TEST_F(TableTest, EditAndSetWithoutAnEditAreDataErrors) {
    Table t(db, "SinseiT32");
    t.open();
    AddEntry(t, 1, 0);
    EXPECT_THROW(t.fieldByName("KARIIRE").setInteger(1), DataError);
    t.edit();
    EXPECT_THROW(t.next(), DataError);
    t.cancel();
    EXPECT_THROW(t.fieldByName("NOPE"), DataError);
    EXPECT_THROW(t.field(7), DataError);
    Table closed(db, "SinseiT32");
    EXPECT_THROW(closed.first(), DataError);
}

TEST_F(TableTest, FieldsCopyByPositionFromOneCaseToAnother) {
    Table t(db, "SinseiT13");
    t.open();
    t.append();
    t.fieldByName("CODE").setInteger(9999);
    t.fieldByName("SEQ").setInteger(1);
    t.fieldByName("BIKO").setString("備考");
    t.fieldByName("START_DAY").setDate(40000);
    t.fieldByName("RIRITSU").setFloat(18.0);
    t.fieldByName("SYONITI_UMU").setBoolean(true);
    t.fieldByName("CHECKBOX").setInteger(1);
    t.post();

    Table source(db, "SinseiT13");
    source.open();
    ASSERT_TRUE(source.findKey({9999, 1}));
    t.append();
    t.field(0).setInteger(9999);
    t.field(1).setInteger(2);
    for (int i = 4; i < source.fieldCount(); ++i) t.field(i).assign(source.field(i));
    t.post();

    ASSERT_TRUE(t.findKey({9999, 2}));
    for (int i = 2; i < t.fieldCount(); ++i) {
        EXPECT_EQ(t.field(i).asString(), i < 4 ? "" : source.field(i).asString()) << t.field(i).name();
        EXPECT_EQ(t.field(i).isNull(), i < 4 || source.field(i).isNull()) << t.field(i).name();
    }
}

TEST_F(TableTest, LayoutReadsBackAsDefined) {
    Table t(db, "CSConM");
    t.open();
    EXPECT_EQ(t.fieldDefs(), PcTable().fields);
    EXPECT_THAT(t.indexFields(), ElementsAre("VER", "CODE"));
    EXPECT_TRUE(t.findField("createdate"));
    EXPECT_FALSE(t.findField("CHECKBOX"));
    Table o(db, "Opcfg");
    o.open();
    EXPECT_TRUE(o.indexFields().empty());
}

// A key of long field names makes an index stamp longer than a few hundred
// bytes; the table must open again after it was made, and after a rebuild.
TEST_F(TableTest, TableWithALongKeyOpensAgain) {
    std::vector<FieldDef> fields;
    for (char c : std::string("ABCDEF")) fields.push_back({std::string(60, c), FieldType::Int32, 0, true});
    Table t(db, "LongKey");
    t.setFieldDefs(fields);
    t.setIndexDef(fields[0].name + ";" + fields[1].name + ";" + fields[2].name + ";" + fields[3].name + ";" +
                  fields[4].name + ";" + fields[5].name);
    t.create();
    t.open();
    EXPECT_EQ(t.indexFields().size(), 6u);
    t.close();
    db.deleteIndexFile("LongKey");
    t.open();
    EXPECT_TRUE(db.checkTable("LongKey").ok());
}

TEST_F(TableTest, DeletedIndexFileIsRebuiltAndNoRowIsLost) {
    {
        Table t(db, "SinseiT32");
        t.open();
        db.startTransaction();
        for (int seqno = 0; seqno < 500; ++seqno) AddEntry(t, seqno % 5, seqno / 5, seqno);
        db.commit();
    }
    db.deleteIndexFile("SinseiT32");
    ASSERT_FALSE(fs::exists(folder.path() / "SinseiT32.idx"));
    // Opened inside a transaction, as a case save would: the rebuild must
    // not wait for a lock of the transaction itself.
    db.setLockTimeout(std::chrono::milliseconds(500));
    db.startTransaction();
    Table t(db, "SinseiT32");
    t.open();
    db.commit();
    EXPECT_TRUE(fs::exists(folder.path() / "SinseiT32.idx"));
    EXPECT_EQ(t.recordCount(), 500);
    t.setRange({9999, 3});
    EXPECT_EQ(t.recordCount(), 100);
    std::vector<int> seqnos = Walk(t, "SEQNO");
    ASSERT_EQ(seqnos.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(seqnos[static_cast<std::size_t>(i)], i);
    EXPECT_TRUE(db.checkTable("SinseiT32").ok());
}

TEST_F(TableTest, DifferentIndexFileRaises8965NamingTheTable) {
    std::ofstream(folder.path() / "SinseiT13.idx", std::ios::trunc) << "something else";
    Table t(db, "SinseiT13");
    std::string table;
    EXPECT_EQ(EngineCode([&] { t.open(); }, &table), codes::IndexCorrupt);
    EXPECT_EQ(table, "SinseiT13");
    // The index repair: delete the .idx, open again.
    db.deleteIndexFile("SinseiT13");
    t.open();
    EXPECT_TRUE(t.isOpen());
}

TEST_F(TableTest, RenamedFilesOpenUnderTheirNewName) {
    // What the upgrade of an old case table does: fill SinseiT13b, delete
    // SinseiT13, rename the .dat and .idx files (the .blb stays behind).
    fixtures::Create(db, CaseTable(), "SinseiT13b");
    {
        Table t(db, "SinseiT13b");
        t.open();
        for (int seq = 0; seq < 3; ++seq) {
            t.append();
            t.fieldByName("CODE").setInteger(9999);
            t.fieldByName("SEQ").setInteger(seq);
            t.post();
        }
    }
    db.deleteTable("SinseiT13");
    for (const char* ext : {".dat", ".idx", ".blb"})
        EXPECT_FALSE(fs::exists(folder.path() / ("SinseiT13" + std::string(ext))));
    fs::rename(folder.path() / "SinseiT13b.dat", folder.path() / "SinseiT13.dat");
    fs::rename(folder.path() / "SinseiT13b.idx", folder.path() / "SinseiT13.idx");

    Table t(db, "SinseiT13");
    t.open();
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_TRUE(fs::exists(folder.path() / "SinseiT13.blb"));
    t.close();

    db.renameTable("SinseiT13", "Moved");
    EXPECT_FALSE(db.tableExists("SinseiT13"));
    Table moved(db, "Moved");
    moved.open();
    EXPECT_EQ(moved.recordCount(), 3);
    EXPECT_EQ(EngineCode([&] { db.renameTable("SinseiT32", "Moved"); }), codes::TableExists);
}

TEST_F(TableTest, MissingFilesAndFoldersHaveTheirCodes) {
    std::string table;
    Table missing(db, "SinseiT99");
    EXPECT_EQ(EngineCode([&] { missing.open(); }, &table), codes::NotFound);
    EXPECT_EQ(table, "SinseiT99");

    Database elsewhere;
    elsewhere.setDirectory(folder.path() / "gone");
    Table t(elsewhere, "SinseiT13");
    EXPECT_EQ(EngineCode([&] { t.open(); }), codes::NotFound);
    std::ofstream(folder.path() / "plain-file") << "x";
    elsewhere.setDirectory(folder.path() / "plain-file");
    EXPECT_EQ(EngineCode([&] { t.open(); }), codes::PathNotFound);

    // A table file opened by nobody is not made by an open either.
    EXPECT_FALSE(fs::exists(folder.path() / "SinseiT99.dat"));
    EXPECT_FALSE(fs::exists(folder.path() / "gone"));
}

TEST_F(TableTest, DeleteTableRemovesEveryFileAndRefusesAnOpenTable) {
    std::ofstream(folder.path() / "CSConM.dat-journal") << "left over";
    Table t(db, "Opcfg");
    t.open();
    EXPECT_THROW(db.deleteTable("Opcfg"), DataError);
    t.close();
    db.deleteTable("Opcfg");
    db.deleteTable("CSConM");
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.rfind("Sinsei", 0) == 0 || name.rfind("TableStore.tx", 0) == 0) << name;
    }
    db.deleteTable("CSConM");  // nothing left to delete: no error
    fixtures::Create(db, PcTable());
    Table pcs(db, "CSConM");
    pcs.open();
    EXPECT_EQ(pcs.recordCount(), 0);
}

TEST_F(TableTest, DisconnectClosesEveryTable) {
    Table t(db, "SinseiT32");
    t.open();
    AddEntry(t, 1, 0);
    db.disconnect();
    EXPECT_FALSE(t.isOpen());
    EXPECT_THROW(t.first(), DataError);
    t.open();
    EXPECT_EQ(t.recordCount(), 1);
}

}  // namespace
}  // namespace korvalen::tablestore
