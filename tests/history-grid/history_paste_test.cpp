// Rows pasted into the history grid from a spreadsheet.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "grid_fixture.h"
#include "korvalen/engine/dates.h"

namespace korvalen::wizard {
namespace {

using fixtures::Dates;
using fixtures::GridFixture;
using platform::Buttons;
using platform::MessageType;
using ::testing::ElementsAre;

constexpr std::string_view kTwoEntries = "2006-01-10,100000,0,18\n2006-02-10,0,20000,18\n";

TEST(HistoryGridPaste, RowsAreAppendedAsIfTypedBelowTheLastEntryAndReSorted) {
    GridFixture f(kTwoEntries);
    ASSERT_TRUE(
        f.grid.Paste("年月日\t借入\t返済\t利率\r\n"
                     "2006/3/10\t\"50,000\"\t\t\t\r\n"
                     "\r\n"
                     "06/01/20\t0\t¥20,000\t15%\r\n"
                     "2006-04-10\t0\t10,000円\r\n"));
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/01/20", "06/02/10", "06/03/10", "06/04/10"));
    const auto& jan20 = *f.list[1];
    const auto& mar10 = *f.list[3];
    const auto& apr10 = *f.list[4];
    EXPECT_EQ(mar10.borrowing, 50000);
    EXPECT_EQ(mar10.rate, 180000);  // none given: the rate of the row above
    EXPECT_EQ(mar10.order, 3);
    EXPECT_EQ(jan20.repayment, 20000);
    EXPECT_EQ(jan20.rate, 150000);
    EXPECT_EQ(jan20.order, 4);
    EXPECT_EQ(apr10.repayment, 10000);
    EXPECT_EQ(apr10.rate, 150000);  // the pasted row above it
    EXPECT_EQ(f.grid.CellText({kRepaymentCol, 2}), "20,000");
    EXPECT_EQ(f.grid.BorrowingTotal(), 150000);
    EXPECT_EQ(f.grid.RepaymentTotal(), 50000);
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 6}));
    EXPECT_EQ(f.grid.Anchor(), (GridCell{kDateCol, 6}));
    EXPECT_TRUE(f.messages.Shown().empty());
}

TEST(HistoryGridPaste, IntoAnEmptyHistoryTheFirstRowWithoutARateTakesTheContractRate) {
    GridFixture f;
    ASSERT_TRUE(f.grid.Paste("2006-01-10\t100000\t0\n"));
    ASSERT_EQ(f.list.size(), 1u);
    EXPECT_EQ(f.list[0]->rate, 292000);
    EXPECT_EQ(f.list[0]->order, 1);
}

struct BadPaste {
    const char* name;
    const char* text;
    const char* message;
};

class HistoryGridBadPaste : public ::testing::TestWithParam<BadPaste> {};

TEST_P(HistoryGridBadPaste, NamesTheRowAndTheProblemAndTakesNothing) {
    GridFixture f(kTwoEntries);
    f.grid.SetStartDate(engine::DayNumberFromCivil(2006, 1, 1));
    f.grid.SetCellText({kDateCol, 3}, "06/0");
    EXPECT_FALSE(f.grid.Paste(GetParam().text));
    ASSERT_EQ(f.messages.Shown().size(), 1u);
    EXPECT_EQ(f.messages.Shown()[0].type, MessageType::Warning);
    EXPECT_EQ(f.messages.Shown()[0].buttons, Buttons::Ok);
    EXPECT_EQ(f.messages.Shown()[0].text, GetParam().message);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/02/10"));
    EXPECT_EQ(f.grid.CellText({kDateCol, 3}), "06/0");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HistoryGridBadPaste,
    ::testing::Values(
        BadPaste{"NoSuchDate", "2006-03-10\t1\t0\n2006-02-30\t0\t1\n",
                 "貼り付ける内容の2行目：日付「2006-02-30」が読めません。YYYY-MM-DD、YYYY/MM/DD または yy/mm/dd "
                 "で書いてください。\r\n何も貼り付けていません。"},
        BadPaste{"NegativeAmount", "年月日\t借入\t返済\n2006-03-10\t-5,000\t0\n",
                 "貼り付ける内容の2行目：借入額「-5,000」が負の値です。\r\n何も貼り付けていません。"},
        BadPaste{"TextForAmount", "2006-03-10\t0\t五千\n",
                 "貼り付ける内容の1行目：返済額「五千」が数値ではありません。\r\n何も貼り付けていません。"},
        BadPaste{"BadRate", "2006-03-10\t0\t5000\t18..5\n",
                 "貼り付ける内容の1行目：利率「18..5」が数値ではありません。\r\n何も貼り付けていません。"},
        BadPaste{"TooFewFields", "2006-03-10\t1000\n",
                 "貼り付ける内容の1行目：項目が足りません。年月日・借入・返済・利率（省略可）の順に、タブで区切って"
                 "貼り付けて下さい。\r\n何も貼り付けていません。"},
        BadPaste{"TooManyFields", "2006-03-10\t1000\t0\t18\t備考\n",
                 "貼り付ける内容の1行目：項目が多すぎます。年月日・借入・返済・利率（省略可）の順に、タブで区切って"
                 "貼り付けて下さい。\r\n何も貼り付けていません。"},
        BadPaste{"BeforeTheStartDate", "2006-03-10\t0\t1\n\n2005-12-31\t0\t1\n",
                 "貼り付ける内容の3行目：日付「2005-12-31」は計算開始日（2006年1月1日）より前です。計算開始日より前の"
                 "日付の入力はできません。\r\n何も貼り付けていません。"},
        BadPaste{"NothingToTake", "年月日\t借入\t返済\n\n", "貼り付ける履歴データがありません。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryGridPaste, APasteBeyondTheGridsRowsIsRefusedWhole) {
    GridFixture f(kTwoEntries);
    std::string text;
    for (int i = 0; i < 998; ++i) text += "2006-03-10\t0\t1\n";
    EXPECT_FALSE(f.grid.Paste(text));
    ASSERT_EQ(f.messages.Shown().size(), 1u);
    EXPECT_EQ(f.messages.Shown()[0].text,
              "貼り付けると履歴が999件を超えます（入力済2件、貼り付け998件）。\r\n何も貼り付けていません。");
    EXPECT_EQ(f.list.size(), 2u);
    text.resize(text.size() - std::string_view("2006-03-10\t0\t1\n").size());
    EXPECT_TRUE(f.grid.Paste(text));
    EXPECT_EQ(f.list.size(), 999u);
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 999}));
}

}  // namespace
}  // namespace korvalen::wizard
