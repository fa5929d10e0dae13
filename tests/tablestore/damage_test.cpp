// Damaged table files: bytes flipped and files cut at many places. Every open
// and read either gives exactly the stored rows or raises the code of the
// damage, and the repairs the codes call for work.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/files.h"
#include "table_layouts.h"

namespace korvalen::tablestore {
namespace {

namespace fs = std::filesystem;

constexpr int kPageSize = 4096;

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

// Every row of a table in key order, every field as text with its null flag,
// plus what a range count and a key search say.
std::vector<std::string> Contents(Database& db, const std::string& name) {
    Table t(db, name);
    t.open();
    std::vector<std::string> rows;
    for (t.first(); !t.eof(); t.next()) {
        std::string row;
        for (int i = 0; i < t.fieldCount(); ++i) row += (t.field(i).isNull() ? "~" : t.field(i).asString()) + "|";
        rows.push_back(row);
    }
    t.setRange({9999, 3});
    rows.push_back("range " + std::to_string(t.recordCount()));
    rows.push_back(std::string("key ") + (t.findKey({9999, 5}) ? t.field(1).asString() : "none"));
    return rows;
}

struct Outcome {
    std::uint16_t code = 0;  // 0: everything read
    std::vector<std::string> rows;
};

Outcome Probe(const fs::path& folder, const std::string& name) {
    Outcome o;
    try {
        Database db;
        db.setDirectory(folder);
        o.rows = Contents(db, name);
        TableCheck check = db.checkTable(name);
        o.code = check.code;
    } catch (const EngineError& e) {
        o.code = e.code();
        EXPECT_EQ(e.tableName(), name);
    }
    return o;
}

// Which object of a pristine table file each page belongs to.
std::map<int, std::string> PageOwners(const fs::path& dat) {
    std::map<int, std::string> owners;
    sqlite3* db = nullptr;
    sqlite3_open_v2(dat.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT name, pageno FROM dbstat", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        owners[sqlite3_column_int(st, 1)] = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return owners;
}

class DamageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pristine_ = new fixtures::TempFolder("tablestore-damage");
        Database db;
        db.setDirectory(pristine_->path());
        fixtures::Create(db, fixtures::CaseTable());
        fixtures::Create(db, fixtures::HistoryTable());
        db.startTransaction();
        Table cases(db, "SinseiT13"), history(db, "SinseiT32");
        cases.open();
        history.open();
        for (int seq = 0; seq < 40; ++seq) {
            cases.append();
            cases.fieldByName("CODE").setInteger(9999);
            cases.fieldByName("SEQ").setInteger(seq);
            cases.fieldByName("NAME").setString("債務者　" + std::to_string(seq));
            cases.fieldByName("BIKO").setString(std::string(static_cast<std::size_t>(seq * 3), 'b'));
            cases.fieldByName("RIRITSU").setFloat(29.2);
            cases.post();
            for (int seqno = 0; seqno < 40; ++seqno) {
                history.append();
                history.fieldByName("CODE").setInteger(9999);
                history.fieldByName("SEQ").setInteger(seq);
                history.fieldByName("SEQNO").setInteger(seqno);
                history.fieldByName("DATE").setDate(40000 + seqno);
                history.fieldByName("KARIIRE").setInteger(seq * 1000 + seqno);
                history.post();
            }
        }
        db.commit();
        for (const char* name : {"SinseiT13", "SinseiT32"}) expected_[name] = Contents(db, name);
    }
    static void TearDownTestSuite() {
        delete pristine_;
        pristine_ = nullptr;
    }

    DamageTest() {
        for (const auto& e : fs::directory_iterator(pristine_->path())) {
            if (e.path().extension() != ".tx") fs::copy_file(e.path(), work.path() / e.path().filename());
        }
    }

    void Restore(const std::string& file) {
        WriteWholeFile(work.path() / file, ReadWholeFile(pristine_->path() / file));
    }

    // Flips one byte, probes, puts the file back.
    Outcome Flip(const std::string& file, std::size_t offset) {
        std::string bytes = ReadWholeFile(pristine_->path() / file);
        bytes[offset] = static_cast<char>(bytes[offset] ^ 0x5A);
        WriteWholeFile(work.path() / file, bytes);
        return Probe(work.path(), fs::path(file).stem().string());
    }

    static fixtures::TempFolder* pristine_;
    static std::map<std::string, std::vector<std::string>> expected_;
    fixtures::TempFolder work{"tablestore-damaged"};
};

fixtures::TempFolder* DamageTest::pristine_ = nullptr;
std::map<std::string, std::vector<std::string>> DamageTest::expected_;

const std::set<std::uint16_t> kDamageCodes = {codes::TableNotFound, codes::HeaderCorrupt, codes::RecordCorrupt,
                                              codes::IndexCorrupt, codes::TableDamaged};

TEST_F(DamageTest, AFlippedByteInATableFileIsFoundAndNamedByWhatItHit) {
    for (const std::string name : {"SinseiT13", "SinseiT32"}) {
        const std::string file = name + ".dat";
        const std::size_t size = fs::file_size(pristine_->path() / file);
        const std::map<int, std::string> owners = PageOwners(pristine_->path() / file);
        std::vector<std::size_t> offsets;
        for (std::size_t o = 0; o < 100; o += 7) offsets.push_back(o);
        // Several places in every page, its checksum bytes included.
        for (std::size_t page = 0; page < size / kPageSize; ++page) {
            for (std::size_t o : {101u, 1500u, 2900u, 4000u, 4090u}) offsets.push_back(page * kPageSize + o);
        }
        int indexHits = 0;
        for (std::size_t offset : offsets) {
            const int page = static_cast<int>(offset / kPageSize) + 1;
            auto owner = owners.find(page);
            const std::string what = owner == owners.end() ? "free" : owner->second;
            Outcome o = Flip(file, offset);
            SCOPED_TRACE(file + " byte " + std::to_string(offset) + " (page " + std::to_string(page) + ", " + what +
                         ")");
            if (o.code == 0) {
                EXPECT_EQ(o.rows, expected_[name]) << "wrong rows from a damaged file";
                continue;
            }
            EXPECT_TRUE(kDamageCodes.count(o.code)) << o.code;
            if (page == 1) {
                EXPECT_EQ(o.code, codes::HeaderCorrupt);
            } else if (what == "rows_key") {
                EXPECT_EQ(o.code, codes::IndexCorrupt);
                // The index repair: delete the .idx, open again; nothing lost.
                Database db;
                db.setDirectory(work.path());
                db.deleteIndexFile(name);
                EXPECT_EQ(Contents(db, name), expected_[name]);
                EXPECT_TRUE(db.checkTable(name).ok());
                ++indexHits;
            } else if (what == "rows") {
                EXPECT_EQ(o.code, codes::TableDamaged);
            }
            Restore(file);
            Restore(name + ".idx");
        }
        EXPECT_GT(indexHits, 0) << name << ": no flip hit the index";
    }
}

TEST_F(DamageTest, ACutTableFileRaisesADamageCode) {
    const std::string file = "SinseiT32.dat";
    const std::string bytes = ReadWholeFile(pristine_->path() / file);
    for (std::size_t size :
         {std::size_t{0}, std::size_t{50}, std::size_t{100}, std::size_t{kPageSize}, std::size_t{kPageSize + 10},
          bytes.size() / 2, bytes.size() - kPageSize, bytes.size() - 1}) {
        SCOPED_TRACE("cut at " + std::to_string(size));
        WriteWholeFile(work.path() / file, bytes.substr(0, size));
        Outcome o = Probe(work.path(), "SinseiT32");
        if (o.code == 0) {
            EXPECT_EQ(o.rows, expected_["SinseiT32"]);
        } else {
            EXPECT_TRUE(kDamageCodes.count(o.code)) << o.code;
        }
    }
}

TEST_F(DamageTest, TheSmallFilesBesideTheTable) {
    for (const std::string ext : {".idx", ".blb"}) {
        const std::string file = "SinseiT13" + ext;
        const std::string bytes = ReadWholeFile(pristine_->path() / file);
        for (std::size_t offset = 0; offset < bytes.size(); offset += 3) {
            SCOPED_TRACE(file + " byte " + std::to_string(offset));
            Outcome o = Flip(file, offset);
            // The .idx stands for the index: damaged, the index is rebuilt by
            // the repair. Nothing is read from the .blb.
            if (ext == ".idx") {
                EXPECT_EQ(o.code, codes::IndexCorrupt);
            } else {
                EXPECT_EQ(o.code, 0);
                EXPECT_EQ(o.rows, expected_["SinseiT13"]);
            }
            Restore(file);
        }
        WriteWholeFile(work.path() / file, bytes.substr(0, bytes.size() / 2));
        EXPECT_EQ(Probe(work.path(), "SinseiT13").code, ext == ".idx" ? codes::IndexCorrupt : 0);
        Restore(file);
    }
}

TEST_F(DamageTest, AValueOfAnotherTypeIsDamageNotAWrongRow) {
    // What only a foreign writer can do: text into an amount field, through
    // the engine's own file layer so the page checksums stay right.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2((work.path() / "SinseiT32.dat").string().c_str(), &raw, SQLITE_OPEN_READWRITE,
                              "korvalen-pagecheck"),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "UPDATE rows SET KARIIRE='abc' WHERE SEQ=3 AND SEQNO=7", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    Outcome o = Probe(work.path(), "SinseiT32");
    EXPECT_EQ(o.code, codes::TableDamaged);
    Database db;
    db.setDirectory(work.path());
    EXPECT_EQ(db.checkTable("SinseiT32").code, codes::TableDamaged);
}

}  // namespace
}  // namespace korvalen::tablestore
