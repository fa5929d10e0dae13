// The result tables and the grid cells as they are drawn and copied.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <optional>

#include "grid_fixture.h"
#include "korvalen/engine/calculation.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/history_page.h"
#include "korvalen/wizard/result_table_view.h"

namespace korvalen::wizard {
namespace {

struct InkSpan {
    int left;
    int right;
};

// The columns that hold text within a cell of the drawn viewport.
std::optional<InkSpan> Ink(const QImage& image, const QRect& cell) {
    std::optional<InkSpan> span;
    for (int x = cell.left(); x <= cell.right(); ++x) {
        for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y) {
            if (qGray(image.pixel(x, y)) < 110) {
                if (!span) span = InkSpan{x, x};
                span->right = x;
                break;
            }
        }
    }
    return span;
}

struct TableFixture {
    engine::HistoryList history = fixtures::History("2005-01-10,300000,0\n2005-02-10,0,20000\n2005-03-10,0,20000\n");
    ResultTableView view{engine::CalculationKind::LenderCalculation};

    TableFixture() {
        engine::CaseRecord settings;
        settings.RIRITSU = 29.2;
        settings.SYONITI_UMU = false;
        view.SetTable(
            engine::RunCalculation(engine::CalculationKind::LenderCalculation, history, settings, {true, {}}));
        view.resize(view.ContentWidth(), 300);
        view.show();
        view.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
        view.setFocus();
    }
    QRect Cell(int tableRow, int column) const { return view.visualRect(view.model()->index(tableRow - 1, column)); }
};

TEST(ResultTableView, CtrlCCopiesTheSelectedRowsOrEveryRowUnderTheHeadings) {
    TableFixture f;
    EXPECT_EQ(f.view.objectName(), QStringLiteral("StringGrid1"));
    EXPECT_EQ(f.view.model()->rowCount(), 49);  // padded to 50 rows with the headings
    f.view.selectRow(2);
    QTest::keyClick(&f.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("取引日\t借入額\t返済額\t日数\t利率\t利息\t元金返済額\t残元金\t未払利息\n"
                             "05/03/10\t0\t20,000\t28\t29.200\t6,438\t13,562\t273,878\t\n"));
    f.view.clearSelection();
    QTest::keyClick(&f.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 4);
}

TEST(ResultTableView, CellsDrawBlackOnWhiteAlignedByTheirColumns) {
    TableFixture f;
    f.view.selectRow(0);
    const QImage image = f.view.viewport()->grab().toImage();

    const QRect borrowing = f.Cell(2, engine::kColRepayment);  // right-aligned, 4 pixels in
    const auto right = Ink(image, borrowing);
    ASSERT_TRUE(right);
    EXPECT_NEAR(right->right, borrowing.right() - 4, 1);

    const QRect date = f.Cell(2, engine::kColDate);  // centred
    const auto centred = Ink(image, date);
    ASSERT_TRUE(centred);
    EXPECT_NEAR(centred->left - date.left(), date.right() - centred->right, 2);

    // A selected row keeps the white background.
    const QRect selected = f.Cell(1, engine::kColInterest);
    EXPECT_EQ(image.pixelColor(selected.left() + 6, selected.center().y()), QColor(Qt::white));
}

TEST(ResultTableView, AColumnWidensOnlyWhereOneOfItsTextsWouldBeCut) {
    TableFixture f;
    const QFontMetrics metrics(f.view.font());
    const engine::ResultTable& table = f.view.Table();
    for (int column = 0; column < table.columnCount() - 1; ++column) {
        for (int row = 0; row <= table.entryRowCount(); ++row) {
            const QString text = QString::fromUtf8(std::string(table.cell(row, column)).c_str());
            EXPECT_LE(metrics.horizontalAdvance(text) + 8, f.view.columnWidth(column)) << text.toStdString();
        }
    }
    EXPECT_EQ(f.view.columnWidth(engine::kColBorrowing), 80);   // 300,000 fits as it is
    EXPECT_EQ(f.view.columnWidth(table.columnCount() - 1), 1);  // the spacer
}

TEST(HistoryGridDrawing, TextWiderThanItsCellStartsAtTheCellsLeftEdge) {
    platform::ScriptedMessages messages;
    engine::HistoryList list = fixtures::History("2006-01-10,100000,0\n");
    HistoryPage page(messages);
    page.SetHistory(&list);
    page.FillFromHistory();
    // One digit and then blanks: wider than the cell, its digit shows only
    // when the text starts at the left edge.
    page.Grid().SetCellText({kBorrowingCol, 2}, "5" + std::string(40, ' '));
    page.Grid().SetCellText({kBorrowingCol, 3}, "5");
    page.show();
    auto* grid = page.findChild<HistoryGridView*>(QStringLiteral("StringGrid2"));
    const QImage image = grid->viewport()->grab().toImage();

    const QRect wide = grid->visualRect(grid->GridModel()->IndexOf({kBorrowingCol, 2}));
    const auto ink = Ink(image, wide);
    ASSERT_TRUE(ink);
    EXPECT_LE(ink->left, wide.left() + 3);
    EXPECT_LE(ink->right, wide.left() + 12);
    const QRect narrow = grid->visualRect(grid->GridModel()->IndexOf({kBorrowingCol, 3}));
    EXPECT_NEAR(Ink(image, narrow)->right, narrow.right() - 4, 1);
    const QRect date = grid->visualRect(grid->GridModel()->IndexOf({kDateCol, 1}));
    EXPECT_NEAR(Ink(image, date.adjusted(2, 0, 0, 0))->left, date.left() + 4, 1);  // left, 4 pixels in
}

}  // namespace
}  // namespace korvalen::wizard
