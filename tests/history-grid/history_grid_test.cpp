// The editing rules of the history grid, driven without a window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "grid_fixture.h"
#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"

namespace korvalen::wizard {
namespace {

using fixtures::Dates;
using fixtures::GridFixture;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kThreeEntries =
    "2006-01-10,100000,0,18\n"
    "2006-02-10,0,20000,18\n"
    "2006-04-10,0,20000,18\n";

TEST(HistoryGridTyping, DateTabAmountTabTabTabMakesAnEntryAndSortsItOnlyAtTheRateColumn) {
    GridFixture f(kThreeEntries);
    f.MoveTo(kDateCol, 4);
    f.Type("06/03/10");
    // Taken over at once, with the rate of the row above, but not yet moved.
    ASSERT_EQ(f.list.size(), 4u);
    EXPECT_EQ(f.grid.RowEntry(4), f.list[3].get());
    EXPECT_THAT(f.RowTexts(4), ElementsAre("06/03/10", "0", "0", "18.000%"));
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kBorrowingCol, 4}));

    f.Type("50000");
    f.Press(GridKey::Tab);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/02/10", "06/04/10", "06/03/10"));
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kRateCol, 4}));

    f.Press(GridKey::Tab);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/02/10", "06/03/10", "06/04/10"));
    EXPECT_THAT(f.RowTexts(3), ElementsAre("06/03/10", "50,000", "0", "18.000%"));
    const engine::HistoryEntry& made = *f.list[2];
    EXPECT_EQ(made.borrowing, 50000);
    EXPECT_EQ(made.rate, 180000);
    EXPECT_EQ(made.order, 4);  // the row it was typed in
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 5}));
    EXPECT_EQ(f.grid.Anchor(), (GridCell{kDateCol, 5}));
    EXPECT_EQ(f.grid.BorrowingTotal(), 150000);
    EXPECT_EQ(f.grid.RepaymentTotal(), 40000);
    EXPECT_THAT(f.messages.Shown(), IsEmpty());
}

TEST(HistoryGridTyping, TheFirstEntryTakesTheRateTypedInRowOneOrTheContractRate) {
    GridFixture blank;
    blank.Type("05/01/10");
    ASSERT_EQ(blank.list.size(), 1u);
    EXPECT_EQ(blank.list[0]->rate, engine::RateToFixed(fixtures::kContractRate));
    EXPECT_EQ(blank.list[0]->order, 1);

    GridFixture typed;
    typed.grid.SetCellText({kRateCol, 1}, "15");
    typed.MoveTo(kDateCol, 1);
    typed.Type("05/01/10");
    ASSERT_EQ(typed.list.size(), 1u);
    EXPECT_EQ(typed.list[0]->rate, 150000);
}

TEST(HistoryGridTyping, DownCommitsAndSortsFromAnyColumnWhileTabAndEnterKeepThePlace) {
    GridFixture f(kThreeEntries);
    f.MoveTo(kDateCol, 1);
    f.Type("06/03/01", GridKey::Enter);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/03/01", "06/02/10", "06/04/10"));
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kBorrowingCol, 1}));
    f.Press(GridKey::Down);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/02/10", "06/03/01", "06/04/10"));
    EXPECT_THAT(f.RowTexts(2), ElementsAre("06/03/01", "100,000", "0", "18.000%"));
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kRepaymentCol, 1}));
}

TEST(HistoryGridTyping, ChangingARowChangesItsEntryInPlace) {
    GridFixture f(kThreeEntries);
    const engine::HistoryEntry* second = f.list[1].get();
    f.MoveTo(kRepaymentCol, 2);
    f.Type("¥25,000");
    f.Type("17.5%");
    EXPECT_EQ(f.list.size(), 3u);
    EXPECT_EQ(f.list[1].get(), second);
    EXPECT_EQ(second->repayment, 25000);
    EXPECT_EQ(second->rate, 175000);
    EXPECT_THAT(f.RowTexts(2), ElementsAre("06/02/10", "0", "25,000", "17.500%"));
    EXPECT_EQ(f.grid.RepaymentTotal(), 45000);
}

// The grid shows three decimals of a rate; a pasted or imported entry may
// hold four, and neither editing its row nor typing the row below rounds it.
TEST(HistoryGridTyping, ARateWithFourDecimalsSurvivesEditsOfItsRowAndPassesToTheRowBelow) {
    GridFixture f("2006-01-10,100000,0,18.1235\n");
    ASSERT_EQ(f.list[0]->rate, 181235);
    ASSERT_THAT(f.RowTexts(1), ElementsAre("06/01/10", "100,000", "0", "18.124%"));
    f.MoveTo(kRepaymentCol, 1);
    f.Type("1000");
    f.Press(GridKey::Tab);
    EXPECT_EQ(f.list[0]->repayment, 1000);
    EXPECT_EQ(f.list[0]->rate, 181235);

    f.MoveTo(kDateCol, 2);
    f.Type("06/02/10");
    f.Type("0");
    f.Type("5000");
    f.Press(GridKey::Tab);
    ASSERT_EQ(f.list.size(), 2u);
    EXPECT_EQ(f.list[1]->rate, 181235);
}

// A rate refused in the last entry's row stays typed there; a new row below
// still takes that entry's stored rate instead of failing on the text.
TEST(HistoryGridTyping, ARefusedRateAboveDoesNotStopTheNextRow) {
    GridFixture f("2006-01-10,100000,0\n");
    f.MoveTo(kRateCol, 1);
    f.Type("100000000000");
    ASSERT_EQ(f.messages.Shown().size(), 1u);
    EXPECT_EQ(f.list[0]->rate, 292000);
    f.MoveTo(kDateCol, 2);
    f.Type("06/02/10");
    f.Type("0");
    f.Type("5000");
    f.Press(GridKey::Tab);
    ASSERT_EQ(f.list.size(), 2u);
    EXPECT_EQ(f.list[1]->rate, 292000);
}

struct RefusedDate {
    const char* name;
    const char* typed;
    const char* message;  // none for the untouched mask
};

class HistoryGridRefusedDate : public ::testing::TestWithParam<RefusedDate> {};

TEST_P(HistoryGridRefusedDate, LeavesTheHistoryAndWaitsInAnEmptyDateCell) {
    const RefusedDate& c = GetParam();
    GridFixture f(kThreeEntries);
    f.grid.SetStartDate(engine::DayNumberFromCivil(2006, 1, 1));
    f.MoveTo(kDateCol, 4);
    f.Type(c.typed);
    EXPECT_EQ(f.list.size(), 3u);
    EXPECT_EQ(f.grid.CellText({kDateCol, 4}), "");
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 4}));
    if (c.message == nullptr) {
        EXPECT_THAT(f.messages.Shown(), IsEmpty());
    } else {
        ASSERT_EQ(f.messages.Shown().size(), 1u);
        EXPECT_EQ(f.messages.Shown()[0].type, MessageType::Error);
        EXPECT_EQ(f.messages.Shown()[0].buttons, Buttons::Ok);
        EXPECT_EQ(f.messages.Shown()[0].text, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Dates, HistoryGridRefusedDate,
                         ::testing::Values(RefusedDate{"NoThirteenthMonth", "06/13/01", "日付が不正です。"},
                                           RefusedDate{"NoThirtiethOfFebruary", "06/02/30", "日付が不正です。"},
                                           RefusedDate{"HalfTyped", "06/03/  ", "日付が不正です。"},
                                           RefusedDate{"BeforeTheStartDate", "05/12/31",
                                                       "計算開始日より前の日付の入力はできません。"},
                                           RefusedDate{"UntouchedMask", "  /  /  ", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryGridTyping, ARowWithoutADateIsNotTakenAndTheCursorGoesToItsDateCell) {
    GridFixture f(kThreeEntries);
    for (int col : {kBorrowingCol, kRateCol}) {
        f.MoveTo(col, 4);
        f.Type("5000");
        EXPECT_EQ(f.list.size(), 3u);
        EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 4})) << col;
    }
}

TEST(HistoryGridTyping, ABadDateLeftInItsCellIsRefusedWhenAnotherColumnCommits) {
    GridFixture f(kThreeEntries);
    f.grid.SetCellText({kDateCol, 4}, "06/13/01");
    f.MoveTo(kBorrowingCol, 4);
    f.Type("5000");
    EXPECT_EQ(f.list.size(), 3u);
    EXPECT_THAT(f.MessageTexts(), ElementsAre("日付が不正です。"));
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 4}));
}

TEST(HistoryGridTyping, AnAmountBeyondThirtyTwoBitsIsRefusedAndTheCursorWaitsInItsCell) {
    GridFixture f(kThreeEntries);
    f.MoveTo(kDateCol, 4);
    f.Type("06/05/10");
    f.Type("3,000,000,000");
    EXPECT_EQ(f.list[3]->borrowing, 0);
    ASSERT_EQ(f.messages.Shown().size(), 1u);
    EXPECT_EQ(f.messages.Shown()[0].type, MessageType::Error);
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kBorrowingCol, 4}));
}

TEST(HistoryGridTyping, ARowTypedBelowTheFirstEmptyRowIsTakenIntoThatRow) {
    GridFixture f(kThreeEntries);
    f.MoveTo(kDateCol, 30);  // reached with Page Down
    f.Type("06/05/10");
    ASSERT_EQ(f.list.size(), 4u);
    EXPECT_EQ(f.grid.RowEntry(4), f.list[3].get());
    EXPECT_EQ(f.list[3]->order, 4);
    EXPECT_EQ(f.list[3]->rate, 180000);
    EXPECT_EQ(f.grid.RowEntry(30), nullptr);
    EXPECT_EQ(f.grid.CellText({kDateCol, 30}), "");
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kBorrowingCol, 4}));
}

TEST(HistoryGridLeapYear, ARateCommitWarnsOfThePeriodsBesideTheCommittedEntryOnly) {
    GridFixture f(
        "2003-06-10,100000,0\n2003-12-31,0,10000\n2004-01-10,0,10000\n"
        "2004-06-10,0,10000\n2005-02-10,0,10000\n2006-02-10,0,10000\n");
    f.MoveTo(kBorrowingCol, 4);
    f.Type("0");  // not the rate column: no warning
    EXPECT_THAT(f.messages.Shown(), IsEmpty());
    f.MoveTo(kRateCol, 3);
    f.Type("29.2%");
    // 03/12/31 to 04/01/10 lies wholly in 2004, 04/01/10 to 04/06/10 in one year.
    EXPECT_THAT(f.messages.Shown(), IsEmpty());
    f.MoveTo(kRateCol, 4);
    f.Type("29.2%");
    EXPECT_THAT(f.MessageTexts(), ElementsAre("閏年をまたぐ期間があります。\r\n【04/06/10～05/02/10】"));
    EXPECT_EQ(f.messages.Shown()[0].type, MessageType::Plain);

    // A change far from that period does not bring its box back.
    f.MoveTo(kDateCol, 2);
    f.Type("03/12/30");
    f.Press(GridKey::Tab);
    f.Press(GridKey::Tab);
    f.Press(GridKey::Tab);
    EXPECT_THAT(f.MessageTexts(), ElementsAre("閏年をまたぐ期間があります。\r\n【04/06/10～05/02/10】",
                                              "閏年をまたぐ期間があります。\r\n【03/12/30～04/01/10】"));

    // The same-day option warns of the cursor row's periods.
    f.MoveTo(kDateCol, 5);
    f.grid.SameDayOptionToggled(true);
    EXPECT_THAT(f.MessageTexts(), ElementsAre("閏年をまたぐ期間があります。\r\n【04/06/10～05/02/10】",
                                              "閏年をまたぐ期間があります。\r\n【03/12/30～04/01/10】",
                                              "閏年をまたぐ期間があります。\r\n【04/06/10～05/02/10】"));
}

TEST(HistoryGridSameDay, TheOptionChoosesTheOrderOfOneDayAndTogglingReSortsAtOnce) {
    GridFixture f("2006-01-10,100000,0\n");
    f.MoveTo(kDateCol, 2);
    f.Type("06/02/10");
    f.Type("0");
    f.Type("30000");
    f.Press(GridKey::Tab);  // a repayment, typed first
    f.Type("06/02/10");
    f.Type("50000", GridKey::Down);  // a borrowing of the same day
    EXPECT_THAT(f.RowTexts(2), ElementsAre("06/02/10", "50,000", "0", "29.200%"));
    EXPECT_THAT(f.RowTexts(3), ElementsAre("06/02/10", "0", "30,000", "29.200%"));

    f.grid.SameDayOptionToggled(true);
    EXPECT_THAT(f.RowTexts(2), ElementsAre("06/02/10", "0", "30,000", "29.200%"));
    EXPECT_THAT(f.RowTexts(3), ElementsAre("06/02/10", "50,000", "0", "29.200%"));
    EXPECT_TRUE(f.grid.InputOrder());
    f.grid.SameDayOptionToggled(false);
    EXPECT_THAT(f.RowTexts(2), ElementsAre("06/02/10", "50,000", "0", "29.200%"));
}

TEST(HistoryGridMouse, AClickFarBelowIsSentBackToTheFirstEmptyRow) {
    GridFixture f(kThreeEntries);
    f.MoveTo(kDateCol, 4);
    f.Type("06/05/10");
    f.Press(GridKey::Tab);
    f.Press(GridKey::Tab);
    f.Press(GridKey::Tab);
    ASSERT_EQ(f.grid.Anchor(), (GridCell{kDateCol, 5}));
    EXPECT_EQ(f.grid.MousePress({kBorrowingCol, 7}, false), PressOutcome::Placed);
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 5}));
    // The first empty row itself and rows with entries take the click.
    EXPECT_EQ(f.grid.MousePress({kRepaymentCol, 2}, false), PressOutcome::Through);
    EXPECT_EQ(f.grid.Anchor(), (GridCell{kRepaymentCol, 2}));
}

TEST(HistoryGridMouse, AClickElsewhereCommitsTheAnchorRowAndSortsIt) {
    GridFixture f(kThreeEntries);
    f.MoveTo(kDateCol, 4);
    f.grid.SetCellText({kDateCol, 4}, "06/01/20");
    EXPECT_EQ(f.grid.MousePress({kDateCol, 5}, false), PressOutcome::Through);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/01/20", "06/02/10", "06/04/10"));
    EXPECT_EQ(f.grid.Anchor(), (GridCell{kDateCol, 5}));

    // A bad date at the anchor: refused, and a click on an empty row brings
    // the cursor to the anchor row's date cell.
    f.grid.SetCellText({kBorrowingCol, 5}, "1");
    f.grid.SetCellText({kDateCol, 5}, "06/13/01");
    EXPECT_EQ(f.grid.MousePress({kDateCol, 9}, false), PressOutcome::Placed);
    EXPECT_THAT(f.MessageTexts(), ElementsAre("日付が不正です。"));
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kDateCol, 5}));
    EXPECT_EQ(f.list.size(), 4u);
}

TEST(HistoryGridMouse, TypingInAnotherRowMakesItTheRowAClickCommits) {
    GridFixture f(kThreeEntries);
    f.MoveTo(kBorrowingCol, 2);  // reached with the arrow keys
    f.grid.SetCellText({kBorrowingCol, 2}, "7,000");
    f.grid.MousePress({kDateCol, 1}, false);
    EXPECT_EQ(f.list[1]->borrowing, 7000);
    EXPECT_EQ(f.grid.BorrowingTotal(), 107000);
}

TEST(HistoryGridMouse, RightClickAsksAndDeletesTheEntryClosingTheGap) {
    GridFixture f(kThreeEntries);
    f.grid.SetCellText({kDateCol, 4}, "06/05/10");  // typed, not taken over
    f.messages.QueueAnswer(Answer::Cancel);
    EXPECT_EQ(f.grid.MousePress({kRepaymentCol, 2}, true), PressOutcome::Handled);
    EXPECT_EQ(f.list.size(), 3u);
    EXPECT_EQ(f.grid.Cursor(), (GridCell{kRepaymentCol, 2}));

    f.messages.QueueAnswer(Answer::Yes);
    f.grid.MousePress({kRateCol, 2}, true);
    ASSERT_EQ(f.messages.Shown().size(), 2u);
    EXPECT_EQ(f.messages.Shown()[1].type, MessageType::Information);
    EXPECT_EQ(f.messages.Shown()[1].buttons, Buttons::YesCancel);
    EXPECT_EQ(f.messages.Shown()[1].text,
              "このデータを削除しますか？\r\n\r\n日付＝06/02/10\r\n借入＝0\r\n返済＝20,000\r\n利率＝18.000%");
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/04/10"));
    EXPECT_THAT(f.RowTexts(2), ElementsAre("06/04/10", "0", "20,000", "18.000%"));
    EXPECT_THAT(f.RowTexts(3), ElementsAre("", "", "", ""));
    EXPECT_THAT(f.RowTexts(4), ElementsAre("", "", "", ""));
    EXPECT_EQ(f.grid.RowEntry(3), nullptr);
    EXPECT_EQ(f.grid.RepaymentTotal(), 20000);
}

TEST(HistoryGridMouse, RightClickOnAnEmptyRowCommitsTheAnchorAsALeftClickWould) {
    GridFixture f(kThreeEntries);
    f.grid.SetCellText({kDateCol, 4}, "06/05/10");
    EXPECT_EQ(f.grid.MousePress({kDateCol, 5}, true), PressOutcome::Through);
    EXPECT_EQ(f.list.size(), 4u);
    EXPECT_THAT(f.messages.Shown(), IsEmpty());
}

TEST(HistoryGridLeavingThePage, TheRowBeingTypedIsTakenOverOrItsRefusalReported) {
    GridFixture f(kThreeEntries);
    EXPECT_TRUE(f.grid.CommitTypedRow());  // nothing typed
    f.grid.SetCellText({kDateCol, 4}, "06/05/10");
    f.grid.SetCellText({kRepaymentCol, 4}, "20,000");
    EXPECT_TRUE(f.grid.CommitTypedRow());
    ASSERT_EQ(f.list.size(), 4u);
    EXPECT_EQ(f.list[3]->repayment, 20000);

    f.grid.SetCellText({kDateCol, 5}, "06/13/10");
    EXPECT_FALSE(f.grid.CommitTypedRow());
    EXPECT_THAT(f.MessageTexts(), ElementsAre("日付が不正です。"));
    EXPECT_EQ(f.list.size(), 4u);
}

TEST(HistoryGridBulkWriting, WritingTheListEmptiesRowsWhoseEntriesAreGone) {
    GridFixture f(kThreeEntries);
    f.grid.SetCellText({kDateCol, 5}, "06/05/");
    f.list.pop_back();  // as the range deletion removes entries
    f.grid.WriteRowsFromList();
    EXPECT_EQ(f.grid.RowEntry(3), nullptr);
    EXPECT_THAT(f.RowTexts(3), ElementsAre("", "", "", ""));
    EXPECT_EQ(f.grid.CellText({kDateCol, 5}), "06/05/");  // what is typed below stays
    f.grid.ClearGrid();
    EXPECT_EQ(f.grid.CellText({kDateCol, 5}), "");
    EXPECT_EQ(f.grid.CellText({0, 5}), "5");
    EXPECT_EQ(f.grid.CellText({kRateCol, 0}), "利率");
}

}  // namespace
}  // namespace korvalen::wizard
