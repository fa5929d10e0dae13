// Cases saved, loaded, listed, deleted and duplicated on real tables.
#include <gtest/gtest.h>

#include "korvalen/storage/case_list.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/table_setup.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "storage_fixture.h"

namespace korvalen::storage {
namespace {

using namespace fixtures;

engine::CaseRecord Header(std::int32_t seq, std::string creditor = "アコム", std::string debtor = "山田　太郎") {
    engine::CaseRecord header;
    header.SEQ = seq;
    header.GYOSYA_NAME = std::move(creditor);
    header.NAME = std::move(debtor);
    header.BIKO = "東京簡裁";
    header.RIRITSU = 29.2;
    header.KABARAI_RIRITSU = 5;
    header.KEISAN_KIND = 3;
    header.SYONITI_UMU = false;
    header.SEISAN_KIND = 1;
    header.START_DAY = engine::DayNumberFromCivil(2006, 3, 10);
    header.START_KARI = 123456;
    header.HIKI_RIRITU = 500000;
    header.CHECKBOX = 1;
    return header;
}

engine::HistoryList History(int count, std::int32_t base = 0) {
    engine::HistoryList list;
    for (int i = 0; i < count; ++i) {
        list.push_back(Entry(2006, 1 + i % 12, 1 + i % 28, i % 3 == 0 ? base + 10000 * (i + 1) : 0,
                             i % 3 == 0 ? 0 : base + 1000 * i, i % 2 ? 29.2 : 18.0, 100 - i));
    }
    return list;
}

// Every field of every entry, for comparing lists.
std::vector<std::string> Describe(const engine::HistoryList& list) {
    std::vector<std::string> rows;
    for (const auto& e : list) {
        rows.push_back(std::to_string(e->date) + " " + std::to_string(e->borrowing) + " " +
                       std::to_string(e->repayment) + " " + std::to_string(e->rate));
    }
    return rows;
}

class CaseStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.setDirectory(root.folder("db"));
        fs::create_directories(root.folder("db"));
        CreateAndUpgradeTables(db);
    }
    std::int64_t HistoryRows() {
        tablestore::Table t(db, "SinseiT32");
        t.open();
        return t.recordCount();
    }
    TempFolder root{"kvtest-cases"};
    tablestore::Database db;
};

TEST_F(CaseStoreTest, SaveAndLoadKeepEveryFieldAndTheListOrder) {
    engine::HistoryList history = History(7);
    SaveCase(db, Header(3), history);

    const auto loaded = LoadCase(db, 3);
    ASSERT_TRUE(loaded);
    const engine::CaseRecord& h = loaded->header;
    EXPECT_EQ(h.CODE, 9999);
    EXPECT_EQ(h.SEQ, 3);
    EXPECT_EQ(h.GYOSYA_NAME, "アコム");
    EXPECT_EQ(h.NAME, "山田　太郎");
    EXPECT_EQ(h.BIKO, "東京簡裁");
    EXPECT_EQ(h.RIRITSU, 29.2);
    EXPECT_EQ(h.KABARAI_RIRITSU, 5);
    EXPECT_EQ(h.KEISAN_KIND, 3);
    EXPECT_FALSE(h.SYONITI_UMU);
    EXPECT_EQ(h.SEISAN_KIND, 1);
    EXPECT_EQ(h.START_DAY, engine::DayNumberFromCivil(2006, 3, 10));
    EXPECT_EQ(h.START_KARI, 123456);
    EXPECT_EQ(h.HIKI_RIRITU, 500000);
    EXPECT_EQ(h.CHECKBOX, 1);

    // Stored in list order, not re-sorted; each order is its position.
    EXPECT_EQ(Describe(loaded->history), Describe(history));
    for (std::size_t i = 0; i < loaded->history.size(); ++i) EXPECT_EQ(loaded->history[i]->order, static_cast<int>(i));
    EXPECT_EQ(loaded->history[1]->rate, 292000);
}

TEST_F(CaseStoreTest, StoredValuesReadAsTheWizardTakesThem) {
    engine::CaseRecord header = Header(0);
    header.START_DAY = 0;
    SaveCase(db, header, {});
    {
        tablestore::Table cases(db, "SinseiT13");
        cases.open();
        ASSERT_TRUE(cases.findKey({9999, 0}));
        EXPECT_FALSE(cases.fieldByName("START_DAY").isNull());  // 30 December 1899
        EXPECT_EQ(cases.fieldByName("START_DAY").asDate(), 0);
        EXPECT_EQ(cases.fieldByName("NOW_ZAN").asInteger(), 0);
        cases.edit();
        cases.fieldByName("SEISAN_KIND").setInteger(2);
        cases.fieldByName("CHECKBOX").setInteger(2);
        cases.post();
    }
    const auto loaded = LoadCase(db, 0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->header.START_DAY, 0);
    EXPECT_EQ(loaded->header.SEISAN_KIND, 1);  // claimed at the end
    EXPECT_EQ(loaded->header.CHECKBOX, 0);     // unchecked
    EXPECT_TRUE(loaded->history.empty());
    EXPECT_FALSE(LoadCase(db, 1));
}

TEST_F(CaseStoreTest, SavingAgainReplacesTheHistoryWholly) {
    SaveCase(db, Header(1), History(9));
    SaveCase(db, Header(2), History(2));
    engine::CaseRecord changed = Header(1, "プロミス");
    engine::HistoryList shorter = History(4, 7);
    SaveCase(db, changed, shorter);

    const auto loaded = LoadCase(db, 1);
    EXPECT_EQ(loaded->header.GYOSYA_NAME, "プロミス");
    EXPECT_EQ(Describe(loaded->history), Describe(shorter));
    EXPECT_EQ(LoadCase(db, 2)->history.size(), 2u);
    EXPECT_EQ(HistoryRows(), 6);
}

TEST_F(CaseStoreTest, ASaveInterruptedByAnEngineErrorLeavesTheOldCase) {
    SaveCase(db, Header(4), History(5));
    const fs::path idx = root.path() / "db" / "SinseiT32.idx";
    const std::string goodIndex = ReadWholeFile(idx);
    // The history table fails to open after the new header is written.
    WriteWholeFile(idx, "not an index\n");
    try {
        SaveCase(db, Header(4, "新しい名前"), History(2, 3));
        FAIL() << "the save went through";
    } catch (const tablestore::EngineError& e) {
        EXPECT_EQ(e.code(), tablestore::codes::IndexCorrupt);
        EXPECT_EQ(e.tableName(), "SinseiT32");
    }
    WriteWholeFile(idx, goodIndex);
    const auto loaded = LoadCase(db, 4);
    EXPECT_EQ(loaded->header.GYOSYA_NAME, "アコム");
    EXPECT_EQ(Describe(loaded->history), Describe(History(5)));
}

TEST_F(CaseStoreTest, InputThatCannotBeStoredIsRefusedBeforeAnyWrite) {
    SaveCase(db, Header(5), History(3));
    struct Refusal {
        const char* what;
        engine::CaseRecord header;
        std::size_t entries;
        const char* message;
    };
    engine::CaseRecord longCreditor = Header(5, std::string(21, 'x') + "あいうえおかきくけこ");  // 41 bytes
    engine::CaseRecord longRemarks = Header(5);
    longRemarks.BIKO = std::string(161, 'b');
    engine::CaseRecord emoji = Header(5, "アコム", "山田😀");
    engine::CaseRecord bigSeq = Header(32768);
    const std::vector<Refusal> refusals = {
        {"creditor", longCreditor, 1, "債権者名が長すぎます。\r\n全角20文字（半角40文字）以内にして下さい。"},
        {"remarks", longRemarks, 1, "備考が長すぎます。\r\n全角80文字（半角160文字）以内にして下さい。"},
        {"emoji", emoji, 1, "債務者名に保存できない文字が含まれています。"},
        {"seq", bigSeq, 1, "事件番号 32768 は保存できません。"},
        {"entries", Header(5), 32769, "取引が多すぎるため保存できません。"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        engine::HistoryList history;
        for (std::size_t i = 0; i < r.entries; ++i) history.push_back(Entry(2007, 1, 1, 1, 0, 18));
        try {
            SaveCase(db, r.header, history);
            FAIL() << "accepted";
        } catch (const tablestore::DataError& e) {
            EXPECT_EQ(e.message().rfind(r.message, 0), 0u) << e.message();
        }
    }
    EXPECT_EQ(LoadCase(db, 5)->header.GYOSYA_NAME, "アコム");
    EXPECT_EQ(HistoryRows(), 3);
    // Exactly the width is fine: 20 full-width characters.
    SaveCase(db, Header(5, "あいうえおかきくけこあいうえおかきくけこ"), {});
}

TEST_F(CaseStoreTest, DeleteRemovesTheCaseAndOnlyItsHistory) {
    SaveCase(db, Header(1), History(4));
    SaveCase(db, Header(2), {});
    SaveCase(db, Header(3), History(2));
    DeleteCase(db, 2);  // no history rows: only the case row goes
    DeleteCase(db, 1);
    DeleteCase(db, 9);  // not stored: nothing happens
    EXPECT_FALSE(LoadCase(db, 1));
    EXPECT_FALSE(LoadCase(db, 2));
    EXPECT_EQ(LoadCase(db, 3)->history.size(), 2u);
    EXPECT_EQ(HistoryRows(), 2);
}

TEST_F(CaseStoreTest, ANewCaseTakesAFreeNumber) {
    EXPECT_EQ(SaveNewCase(db, Header(0), History(1)), 0);
    EXPECT_EQ(SaveNewCase(db, Header(0), History(1), 4), 4);
    // Another PC stored case 4 meanwhile: this one must not overwrite it.
    EXPECT_EQ(SaveNewCase(db, Header(0, "後から"), History(2), 4), 5);
    EXPECT_EQ(LoadCase(db, 4)->header.GYOSYA_NAME, "アコム");
    EXPECT_EQ(LoadCase(db, 5)->header.GYOSYA_NAME, "後から");
}

TEST_F(CaseStoreTest, ListShowsEveryCaseWithItsCountAndCaptions) {
    EXPECT_TRUE(ListCases(db).empty());
    EXPECT_EQ(NextCaseSeq(db), 0);
    SaveCase(db, Header(2, "", ""), History(3));
    SaveCase(db, Header(0), History(1200));
    SaveCase(db, Header(1, "プロミス", "佐藤"), {});
    const auto rows = ListCases(db);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].seq, 0);
    EXPECT_EQ(rows[0].entryCount, 1200);
    EXPECT_EQ(EntryCountText(rows[0].entryCount), "1,200");
    EXPECT_EQ(rows[1].creditor, "プロミス");
    EXPECT_EQ(rows[1].entryCount, 0);
    EXPECT_EQ(CreditorCaption(rows[2].creditor, rows[2].seq), "未入力(2)");
    EXPECT_EQ(DebtorCaption(rows[2].debtor), "未入力");
    EXPECT_EQ(DebtorCaption(rows[1].debtor), "佐藤");
    EXPECT_EQ(NextCaseSeq(db), 3);
}

TEST_F(CaseStoreTest, DeletingSeveralCasesReportsEachOne) {
    for (int seq = 0; seq < 4; ++seq) SaveCase(db, Header(seq), History(seq + 1));
    std::vector<std::int32_t> reported;
    DeleteCases(db, {0, 2, 3}, [&](std::int32_t seq) { reported.push_back(seq); });
    EXPECT_EQ(reported, (std::vector<std::int32_t>{0, 2, 3}));
    const auto rows = ListCases(db);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].seq, 1);
    EXPECT_EQ(HistoryRows(), 2);
    // Cases 0 to 2, then the last deleted: its number is taken again.
    EXPECT_EQ(NextCaseSeq(db), 2);
}

TEST_F(CaseStoreTest, DuplicateCopiesHeaderAndHistoryUnderTheNextNumber) {
    engine::HistoryList history = History(6);
    SaveCase(db, Header(0), history);
    SaveCase(db, Header(1), {});
    SaveCase(db, Header(2), {});
    DeleteCase(db, 2);
    const std::int32_t copy = DuplicateCase(db, 0);
    EXPECT_EQ(copy, 2);
    const auto loaded = LoadCase(db, copy);
    ASSERT_TRUE(loaded);
    engine::CaseRecord expected = Header(2, "アコム(コピー)", "山田　太郎(コピー)");
    EXPECT_EQ(loaded->header.GYOSYA_NAME, expected.GYOSYA_NAME);
    EXPECT_EQ(loaded->header.NAME, expected.NAME);
    EXPECT_EQ(loaded->header.BIKO, expected.BIKO);
    EXPECT_EQ(loaded->header.START_DAY, expected.START_DAY);
    EXPECT_EQ(loaded->header.HIKI_RIRITU, expected.HIKI_RIRITU);
    EXPECT_EQ(loaded->header.SYONITI_UMU, expected.SYONITI_UMU);
    EXPECT_EQ(loaded->header.CHECKBOX, 1);
    EXPECT_EQ(Describe(loaded->history), Describe(history));
    EXPECT_EQ(ListCases(db)[2].entryCount, 6);
}

TEST_F(CaseStoreTest, DuplicateRefusesWhatItCannotCopyWhole) {
    SaveCase(db, Header(0, "あいうえおかきくけこあいうえおかきく"), History(2));  // 36 bytes
    const auto refused = [&](std::int32_t seq, const std::string& start) {
        try {
            DuplicateCase(db, seq);
            ADD_FAILURE() << "duplicated " << seq;
        } catch (const tablestore::DataError& e) {
            EXPECT_EQ(e.message().rfind(start, 0), 0u) << e.message();
        }
    };
    refused(0, "複製後の債権者名");
    refused(7, "複製する事件（事件番号 7）が見つかりません。");
    SaveCase(db, Header(32767), {});
    refused(32767, "事件番号が上限（32,767）に達したため");
    EXPECT_EQ(ListCases(db).size(), 2u);
    EXPECT_EQ(HistoryRows(), 2);
}

}  // namespace
}  // namespace korvalen::storage
