// The history page driven as the user drives it: typed keys and clicks on
// the real grid, found by object name, with the message script answering.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "grid_fixture.h"
#include "korvalen/engine/dates.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/history_page.h"
#include "korvalen/wizard/num_edit.h"

namespace korvalen::wizard {
namespace {

using fixtures::Dates;
using platform::Answer;
using ::testing::ElementsAre;

constexpr std::string_view kThreeEntries =
    "2006-01-10,100000,0,18\n"
    "2006-02-10,0,20000,18\n"
    "2006-04-10,0,20000,18\n";

struct PageFixture {
    platform::ScriptedMessages messages;
    engine::HistoryList list;
    HistoryPage page{messages};
    HistoryGridView* grid = page.findChild<HistoryGridView*>(QStringLiteral("StringGrid2"));

    explicit PageFixture(std::string_view csv = kThreeEntries) : list(fixtures::History(csv)) {
        page.SetHistory(&list);
        page.SetContractRate(fixtures::kContractRate);
        page.FillFromHistory();
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
        grid->setFocus();
    }
    ~PageFixture() { EXPECT_THAT(messages.Faults(), ::testing::IsEmpty()); }

    QModelIndex Index(int col, int row) const { return grid->GridModel()->IndexOf({col, row}); }
    QString Text(int col, int row) const { return Index(col, row).data().toString(); }
    GridCell Current() const { return HistoryGridModel::CellOf(grid->currentIndex()); }
    void ClickCell(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(grid->viewport(), button, {}, grid->visualRect(Index(col, row)).center());
    }
    // Keys go where the user's keys go: to the focused widget, which is the
    // cell's editor once typing has begun.
    void TypeKeys(const QString& text) {
        for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    QString Total(const char* name) const { return page.findChild<TNumEdit*>(QString::fromLatin1(name))->text(); }
};

TEST(HistoryPageKeys, DateTabAmountTabTabTabMakesABorrowingAtTheRateAboveAndMovesItIntoPlace) {
    PageFixture f;
    f.ClickCell(kDateCol, 4);
    f.TypeKeys(QStringLiteral("060310"));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->displayText(), QStringLiteral("06/03/10"));
    f.Press(Qt::Key_Tab);
    EXPECT_EQ(f.Current(), (GridCell{kBorrowingCol, 4}));
    f.TypeKeys(QStringLiteral("50000"));
    f.Press(Qt::Key_Tab);
    f.Press(Qt::Key_Tab);
    EXPECT_EQ(f.Text(kDateCol, 4), QStringLiteral("06/03/10"));  // not moved before the rate column
    f.Press(Qt::Key_Tab);

    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/02/10", "06/03/10", "06/04/10"));
    EXPECT_EQ(f.list[2]->borrowing, 50000);
    EXPECT_EQ(f.list[2]->rate, 180000);
    EXPECT_EQ(f.Text(kBorrowingCol, 3), QStringLiteral("50,000"));
    EXPECT_EQ(f.Text(kDateCol, 4), QStringLiteral("06/04/10"));
    EXPECT_EQ(f.Current(), (GridCell{kDateCol, 5}));
    EXPECT_TRUE(f.grid->hasFocus());  // Tab never left the grid
    EXPECT_EQ(f.Total("NumEdit4"), QStringLiteral("150,000"));
    EXPECT_EQ(f.Total("NumEdit5"), QStringLiteral("40,000"));
}

TEST(HistoryPageKeys, EnterCountsAsTabAndDownCommitsWithAReSort) {
    PageFixture f;
    f.ClickCell(kDateCol, 1);
    f.TypeKeys(QStringLiteral("060301"));
    f.Press(Qt::Key_Return);
    EXPECT_EQ(f.Current(), (GridCell{kBorrowingCol, 1}));
    EXPECT_THAT(Dates(f.list), ElementsAre("06/03/01", "06/02/10", "06/04/10"));
    f.Press(Qt::Key_Down);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/02/10", "06/03/01", "06/04/10"));
    EXPECT_EQ(f.Current(), (GridCell{kRepaymentCol, 1}));
}

struct TypedDate {
    const char* name;
    const char* keys;
    const char* message;
};

class HistoryPageBadDate : public ::testing::TestWithParam<TypedDate> {};

TEST_P(HistoryPageBadDate, IsRefusedWithItsMessageAndTheCursorWaitsInTheEmptiedCell) {
    PageFixture f;
    f.page.SetStartDate(engine::DayNumberFromCivil(2006, 1, 1));
    f.ClickCell(kDateCol, 4);
    f.TypeKeys(QString::fromLatin1(GetParam().keys));
    f.Press(Qt::Key_Tab);
    ASSERT_EQ(f.messages.Shown().size(), 1u);
    EXPECT_EQ(f.messages.Shown()[0].text, GetParam().message);
    EXPECT_EQ(f.messages.Shown()[0].type, platform::MessageType::Error);
    EXPECT_EQ(f.list.size(), 3u);
    EXPECT_EQ(f.Text(kDateCol, 4), QString());
    EXPECT_EQ(f.Current(), (GridCell{kDateCol, 4}));
}

INSTANTIATE_TEST_SUITE_P(Dates, HistoryPageBadDate,
                         ::testing::Values(TypedDate{"Invalid", "061301", "日付が不正です。"},
                                           TypedDate{"BeforeTheStartDate", "051231",
                                                     "計算開始日より前の日付の入力はできません。"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryPageMouse, RightClickOnAnEntryAsksAndYesRemovesItWithItsAmounts) {
    PageFixture f;
    f.messages.QueueAnswer(Answer::Yes);
    f.ClickCell(kRepaymentCol, 2, Qt::RightButton);
    ASSERT_EQ(f.messages.Shown().size(), 1u);
    EXPECT_EQ(f.messages.Shown()[0].text,
              "このデータを削除しますか？\r\n\r\n日付＝06/02/10\r\n借入＝0\r\n返済＝20,000\r\n利率＝18.000%");
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/04/10"));
    EXPECT_EQ(f.Text(kDateCol, 2), QStringLiteral("06/04/10"));
    EXPECT_EQ(f.Text(kDateCol, 3), QString());
    EXPECT_EQ(f.Total("NumEdit5"), QStringLiteral("20,000"));

    f.messages.QueueAnswer(Answer::Cancel);
    f.ClickCell(kDateCol, 1, Qt::RightButton);
    EXPECT_EQ(f.list.size(), 2u);
}

TEST(HistoryPageMouse, AClickFarBelowAfterTypingARowIsSentBackToTheFirstEmptyRow) {
    PageFixture f;
    f.ClickCell(kDateCol, 4);
    f.TypeKeys(QStringLiteral("060510"));
    for (int i = 0; i < 4; ++i) f.Press(Qt::Key_Tab);
    ASSERT_EQ(f.list.size(), 4u);
    f.ClickCell(kBorrowingCol, 8);  // three rows below the last entry's next row
    EXPECT_EQ(f.Current(), (GridCell{kDateCol, 5}));
    f.ClickCell(kRepaymentCol, 2);
    EXPECT_EQ(f.Current(), (GridCell{kRepaymentCol, 2}));
}

TEST(HistoryPageMouse, AClickElsewhereTakesOverTheRowBeingTyped) {
    PageFixture f;
    f.ClickCell(kDateCol, 4);
    f.TypeKeys(QStringLiteral("060120"));  // the editor is still open
    f.ClickCell(kDateCol, 2);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/01/20", "06/02/10", "06/04/10"));
    EXPECT_EQ(f.Current(), (GridCell{kDateCol, 2}));
}

TEST(HistoryPageLeaving, TheRowStillInItsEditorIsTakenOverBeforeTheHistoryIsUsed) {
    PageFixture f;
    f.ClickCell(kDateCol, 4);
    f.TypeKeys(QStringLiteral("060510"));
    f.Press(Qt::Key_Tab);
    f.TypeKeys(QStringLiteral("7000"));  // the editor is still open
    EXPECT_TRUE(f.page.CommitTypedRow());
    ASSERT_EQ(f.list.size(), 4u);
    EXPECT_EQ(f.list[3]->borrowing, 7000);
    EXPECT_EQ(f.Total("NumEdit4"), QStringLiteral("107,000"));
}

TEST(HistoryPageSameDay, ClickingCheckBox3ReSortsOneDayInInputOrderAndBack) {
    PageFixture f("2006-01-10,0,30000\n2006-01-10,100000,0\n");
    ASSERT_EQ(f.Text(kBorrowingCol, 1), QStringLiteral("100,000"));  // borrowing first
    auto* option = f.page.findChild<QCheckBox*>(QStringLiteral("CheckBox3"));
    QTest::mouseClick(option, Qt::LeftButton);
    EXPECT_TRUE(f.page.SameDayInputOrder());
    EXPECT_EQ(f.Text(kRepaymentCol, 1), QStringLiteral("30,000"));
    QTest::mouseClick(option, Qt::LeftButton);
    EXPECT_EQ(f.Text(kBorrowingCol, 1), QStringLiteral("100,000"));
    // Set by the wizard from a loaded case: no re-sort until the user toggles.
    f.page.SetSameDayInputOrder(true);
    EXPECT_EQ(f.Text(kBorrowingCol, 1), QStringLiteral("100,000"));
}

TEST(HistoryPagePaste, CtrlVWithABadRowNamesItAndTakesNothing) {
    PageFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("2006/05/10\t0\t20,000\n2006/06/31\t0\t20,000\n"));
    QTest::keyClick(f.grid, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(f.messages.Shown().size(), 1u);
    EXPECT_EQ(f.messages.Shown()[0].text,
              "貼り付ける内容の2行目：日付「2006/06/31」が読めません。YYYY-MM-DD、YYYY/MM/DD または yy/mm/dd "
              "で書いてください。\r\n何も貼り付けていません。");
    EXPECT_EQ(f.list.size(), 3u);
    EXPECT_EQ(f.Text(kDateCol, 4), QString());
}

TEST(HistoryPagePaste, TheContextMenuPastesRowsSortedIntoTheHistory) {
    PageFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("年月日\t借入\t返済\n2006/03/10\t50,000\t0\n"));
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->findChild<QAction*>(QStringLiteral("PasteAction"))->trigger();
        menu->close();
    });
    const QPoint at = f.grid->visualRect(f.Index(kDateCol, 4)).center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, f.grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.grid->viewport(), &event);
    EXPECT_THAT(Dates(f.list), ElementsAre("06/01/10", "06/02/10", "06/03/10", "06/04/10"));
    EXPECT_EQ(f.Text(kBorrowingCol, 3), QStringLiteral("50,000"));
    EXPECT_EQ(f.Total("NumEdit4"), QStringLiteral("150,000"));
    EXPECT_EQ(f.Current(), (GridCell{kDateCol, 5}));
}

TEST(HistoryPagePaste, RightClickOnAnEmptyRowOffersThePaste) {
    PageFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("2006/05/10\t0\t20,000\n"));
    bool offered = false;
    QTimer::singleShot(0, &f.page, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            offered = menu->findChild<QAction*>(QStringLiteral("PasteAction"))->isEnabled();
            menu->close();
        }
    });
    f.ClickCell(kDateCol, 4, Qt::RightButton);
    QTest::qWait(20);
    EXPECT_TRUE(offered);
    EXPECT_TRUE(f.messages.Shown().empty());  // no deletion question on an empty row
}

TEST(HistoryPageTools, EachToolButtonAsksForItsDialog) {
    PageFixture f;
    QSignalSpy rate(&f.page, &HistoryPage::RateChangeRequested);
    QSignalSpy generate(&f.page, &HistoryPage::RepaymentGenerationRequested);
    QSignalSpy range(&f.page, &HistoryPage::RangeDeletionRequested);
    QTest::mouseClick(f.page.findChild<QPushButton*>(QStringLiteral("GenerateBtn")), Qt::LeftButton);
    QTest::mouseClick(f.page.findChild<QPushButton*>(QStringLiteral("RangeDeleteBtn")), Qt::LeftButton);
    QTest::mouseClick(f.page.findChild<QPushButton*>(QStringLiteral("RangeDeleteBtn")), Qt::LeftButton);
    EXPECT_EQ(rate.count(), 0);
    EXPECT_EQ(generate.count(), 1);
    EXPECT_EQ(range.count(), 2);
}

TEST(HistoryPageAccessibility, TheGridExposesItsCellsAndHeadings) {
    PageFixture f;
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(f.grid);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->text(QAccessible::Name), QStringLiteral("借入・返済履歴"));
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), kHistoryGridRows);
    EXPECT_EQ(table->columnDescription(kRepaymentCol - 1), QStringLiteral("返済"));
    EXPECT_EQ(table->cellAt(1, kRepaymentCol - 1)->text(QAccessible::Name), QStringLiteral("20,000"));
}

}  // namespace
}  // namespace korvalen::wizard
