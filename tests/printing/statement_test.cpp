#include "korvalen/printing/statement.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <map>

#include "korvalen/printing/fonts.h"
#include "korvalen/printing/printex.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/printing/statement_shading.h"
#include "recording_device.h"
#include "reference_crops.h"
#include "statement_fixtures.h"

namespace korvalen::printing {
namespace {

using fixtures::NumberedStatement;
using fixtures::RecordingDevice;

TEST(StatementGeometry, TheBandsPushTheTableDownAndTakeRows) {
    struct {
        bool startDate, remarks;
        int tableTop, firstRowTop, rowsPerPage;
    } cases[] = {
        {false, false, 320, 400, 48},
        {true, false, 420, 500, 46},
        {false, true, 420, 500, 46},
        {true, true, 500, 580, 45},
    };
    for (const auto& c : cases) {
        const StatementGeometry g = GeometryOf(NumberedStatement(1, c.startDate, c.remarks));
        EXPECT_EQ(g.tableTop, c.tableTop);
        EXPECT_EQ(g.firstRowTop, c.firstRowTop);
        EXPECT_EQ(g.rowsPerPage, c.rowsPerPage);
    }
}

TEST(StatementGeometry, PagesHoldTheirRowsAndNoMore) {
    struct {
        int entries;
        bool startDate, remarks;
        int pages;
    } cases[] = {
        {0, false, false, 1},  {1, false, false, 1},  {48, false, false, 1}, {49, false, false, 2},
        {96, false, false, 2}, {97, false, false, 3}, {46, true, false, 1},  {47, false, true, 2},
        {45, true, true, 1},   {46, true, true, 2},   {999, true, true, 23}, {999, false, false, 21},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatementPageCount(NumberedStatement(c.entries, c.startDate, c.remarks)), c.pages)
            << c.entries << " entries";
    }
}

// One printout recorded at 300 dpi: per sheet its page number and the rows on it.
struct Sheet {
    QString number;
    std::vector<int> rows;
};

std::vector<Sheet> Print(const StatementInput& input, PageRange range, int* newPages = nullptr) {
    RecordingDevice device(300, 2480, 3508);
    SetPrintTarget(300, 300, 2480, 3508);
    QPainter painter(&device);
    int begun = 0;
    DrawStatementRows(painter, input, range, [&] {
        ++begun;
        device.Engine().NewPage();
    });
    painter.end();
    device.Engine().NewPage();
    if (newPages) *newPages = begun;
    std::vector<Sheet> sheets;
    for (const auto& texts : device.Engine().pages) {
        if (texts.empty()) continue;
        Sheet sheet;
        for (const auto& t : texts) {
            if (t.text.startsWith(QStringLiteral("Page. "))) sheet.number = t.text.mid(6);
            if (t.text.startsWith(u'#')) sheet.rows.push_back(t.text.mid(1).toInt());
        }
        sheets.push_back(sheet);
    }
    return sheets;
}

std::vector<int> Rows(int from, int to) {
    std::vector<int> rows;
    for (int r = from; r <= to; ++r) rows.push_back(r);
    return rows;
}

TEST(StatementPages, RowsFillThePagesOfTheRange) {
    struct {
        int entries;
        bool startDate, remarks;
        PageRange range;
        std::vector<std::pair<QString, std::vector<int>>> sheets;
    } cases[] = {
        {48, false, false, {1, 1}, {{"1", Rows(1, 48)}}},
        {49, false, false, {1, 2}, {{"1", Rows(1, 48)}, {"2", {49}}}},
        {46, true, false, {1, 1}, {{"1", Rows(1, 46)}}},
        {47, false, true, {1, 2}, {{"1", Rows(1, 46)}, {"2", {47}}}},
        {45, true, true, {1, 1}, {{"1", Rows(1, 45)}}},
        {120, false, false, {2, 2}, {{"2", Rows(49, 96)}}},
        {120, false, false, {2, 3}, {{"2", Rows(49, 96)}, {"3", Rows(97, 120)}}},
        {120, false, false, {1, 1}, {{"1", Rows(1, 48)}}},
        {100, true, true, {3, 3}, {{"3", Rows(91, 100)}}},
        {100, false, false, {4, 9}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.entries << " rows, pages " << c.range.from << "-" << c.range.to);
        const auto sheets = Print(NumberedStatement(c.entries, c.startDate, c.remarks), c.range);
        ASSERT_EQ(sheets.size(), c.sheets.size());
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            EXPECT_EQ(sheets[i].number, c.sheets[i].first);
            EXPECT_EQ(sheets[i].rows, c.sheets[i].second);
        }
    }
}

TEST(StatementPages, AFinishedRangeBeginsNoFurtherSheet) {
    int begun = -1;
    Print(NumberedStatement(144), {2, 2}, &begun);
    EXPECT_EQ(begun, 0);
    Print(NumberedStatement(96), {1, 2}, &begun);
    EXPECT_EQ(begun, 1);
}

TEST(StatementPages, PrintingStopsAtTheFirstRowWithoutADate) {
    StatementInput input = NumberedStatement(10);
    input.rows[4][0].clear();
    const auto sheets = Print(input, {1, 1});
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].rows, Rows(1, 4));
}

TEST(StatementPages, AStatementWithoutRowsStillShowsItsFrame) {
    const auto sheets = Print(NumberedStatement(0), {1, 1});
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].number, QStringLiteral("1"));
    EXPECT_TRUE(sheets[0].rows.empty());
}

// The frame of page 1 recorded at 300 dpi, where pixels are layout units.
class StatementFrame : public ::testing::Test {
protected:
    fixtures::RecordingEngine& Draw(const StatementInput& input) {
        SetPrintTarget(300, 300, 2480, 3508);
        QPainter painter(&device);
        DrawStatementFrame(painter, input, 1);
        return device.Engine();
    }
    static const fixtures::DrawnText* Find(const fixtures::RecordingEngine& e, const QString& text) {
        for (const auto& t : e.texts) {
            if (t.text == text) return &t;
        }
        return nullptr;
    }
    RecordingDevice device{300, 2480, 3508};
};

TEST_F(StatementFrame, RemarksAloneFillTheInfoBandAndTheTableBeginsAt420) {
    const auto& drawn = Draw(NumberedStatement(1, false, true));
    const fixtures::DrawnText* remarks = nullptr;
    for (const auto& t : drawn.texts) {
        if (QString::fromUtf8(fixtures::kLongRemarks).startsWith(t.text) && !t.text.isEmpty()) remarks = &t;
        if (remarks) break;
    }
    ASSERT_NE(remarks, nullptr);
    EXPECT_EQ(remarks->topLeft.x(), 230);
    EXPECT_GT(remarks->topLeft.y(), 320);
    EXPECT_LT(remarks->topLeft.y() + QFontMetrics(remarks->font, &device).height(), 400);
    const auto* heading = Find(drawn, QStringLiteral("借入額"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->topLeft.y(), 420 + 20);
    EXPECT_EQ(Find(drawn, QStringLiteral("計算開始年月日")), nullptr);
    // The info band's frame ends 20 units above the table.
    EXPECT_TRUE(std::any_of(drawn.outlines.begin(), drawn.outlines.end(), [](const QRectF& r) {
        return std::abs(r.top() - 320) < 3 && std::abs(r.bottom() - 400) < 3;
    }));
}

TEST_F(StatementFrame, WithBothBandsTheRemarksHaveTheirOwnLineBelowTheStartDate) {
    const auto& drawn = Draw(NumberedStatement(1, true, true));
    const auto* label = Find(drawn, QStringLiteral("計算開始年月日"));
    const auto* date = Find(drawn, QStringLiteral("平成12年01月01日"));
    const auto* balance = Find(drawn, QStringLiteral("1,234,567円"));
    ASSERT_TRUE(label && date && balance);
    for (const auto* t : {label, date, balance}) {
        EXPECT_GT(t->topLeft.y(), 320);
        EXPECT_LT(t->topLeft.y(), 400);
    }
    // The balance ends 20 units inside its cell's right edge.
    EXPECT_NEAR(balance->topLeft.x() + balance->advance, 1800 - 20, 1.0);
    bool remarksBelow = false;
    for (const auto& t : drawn.texts) {
        if (t.topLeft.x() == 230 && t.topLeft.y() > 400 && t.topLeft.y() < 480) remarksBelow = true;
    }
    EXPECT_TRUE(remarksBelow);
    const auto* heading = Find(drawn, QStringLiteral("借入額"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->topLeft.y(), 500 + 20);
    // The divider between the two lines of the band.
    EXPECT_TRUE(std::any_of(drawn.lines.begin(), drawn.lines.end(), [](const fixtures::DrawnLine& l) {
        return l.line == QLineF(200, 400, 2300, 400) && l.penWidth == 3;
    }));
}

TEST_F(StatementFrame, ACreditorTooLongForItsCellIsShrunkAndSpreadOverIt) {
    StatementInput input = NumberedStatement(1);
    input.creditor = QStringLiteral("株式会社ディーシーキャッシュワン消費者金融事業本部東日本債権管理センター");
    const auto& drawn = Draw(input);
    std::vector<const fixtures::DrawnText*> characters;
    for (const auto& t : drawn.texts) {
        if (t.topLeft.x() >= 480 && t.topLeft.x() < 1430 && t.topLeft.y() > 220 && t.topLeft.y() < 300)
            characters.push_back(&t);
    }
    ASSERT_EQ(characters.size(), static_cast<std::size_t>(input.creditor.size()));
    EXPECT_EQ(characters.front()->topLeft.x(), 480);
    EXPECT_NEAR(characters.back()->topLeft.x() + characters.back()->advance, 1430, 1.0);
    EXPECT_LT(characters.front()->font.pointSize(), 12);
}

TEST_F(StatementFrame, RowLinesAreSolidEveryFifthAndDottedBetween) {
    const auto& drawn = Draw(NumberedStatement(1, true, false));  // 46 rows, first row at 500
    std::map<int, int> segments;                                  // y → pieces from 200 to 2300
    for (const auto& l : drawn.lines) {
        if (l.line.y1() == l.line.y2() && l.line.x1() >= 200 && l.line.x2() <= 2300 && l.penWidth == 3)
            ++segments[static_cast<int>(l.line.y1())];
    }
    for (int k = 0; k < 46; ++k) {
        const int y = 500 + 60 * k;
        if (k % 5 == 0) {
            EXPECT_EQ(segments[y], 1) << "row line " << k;
        } else {
            EXPECT_GT(segments[y], 100) << "row line " << k;
        }
    }
    // With 46 rows the last row ends at 3260, above the frame; no line there.
    EXPECT_EQ(segments.count(3260), 0u);
    const int columnLines = static_cast<int>(std::count_if(drawn.lines.begin(), drawn.lines.end(), [](const auto& l) {
        return l.line.x1() == l.line.x2() && l.line.y1() == 420 && l.line.y2() == 3280 && l.penWidth == 1;
    }));
    EXPECT_EQ(columnLines, 10);
}

TEST_F(StatementFrame, TheLastHeadingIsSpreadInNinePoints) {
    const auto& drawn = Draw(NumberedStatement(1));
    std::vector<const fixtures::DrawnText*> spread;
    for (const auto& t : drawn.texts) {
        if (t.topLeft.x() >= 2100 && t.topLeft.x() < 2300 && t.topLeft.y() == 340) spread.push_back(&t);
    }
    ASSERT_EQ(spread.size(), 6u);  // 未払過払利息, a character at a time
    EXPECT_EQ(spread.front()->topLeft.x(), 2100);
    EXPECT_EQ(spread.front()->font.pointSize(), 9);
}

TEST(StatementShading, TheTileHasTwoDarkDotsInRowsOneTwoFiveAndSix) {
    const QImage tile = ShadingTile();
    ASSERT_EQ(tile.size(), QSize(8, 8));
    const char* rows[] = {"X...X...", "..X...X.", "........", "........",
                          "X...X...", "..X...X.", "........", "........"};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(qGray(tile.pixel(x, y)) < 128, rows[y][x] == 'X') << x << "," << y;
        }
    }
}

std::vector<QImage> Pages(const StatementInput& input) {
    return RenderStatementPages(input, {1, StatementPageCount(input)});
}

TEST(StatementImages, ShadedCellsCarryTheTileOnTheDevicesGrid) {
    const QImage page = Pages(NumberedStatement(3, true, false)).front();
    SetPrintTarget(120, 120, page.width(), page.height());
    const QImage tile = ShadingTile();
    // Inside the 債権者名 cell, left of its text and clear of the frame.
    const int left = UnitX(200) + 3, top = UnitY(220) + 5;
    for (int y = top; y < top + 16; ++y) {
        for (int x = left; x < left + 6; ++x) {
            EXPECT_EQ(page.pixel(x, y), tile.pixel(x % 8, y % 8)) << x << "," << y;
        }
    }
}

TEST(StatementImages, TenPointsAreTenPointsAtTheImagesResolution) {
    QImage page = Pages(NumberedStatement(1)).front();
    QPainter painter(&page);
    QFont font(QString::fromUtf8(kMsMincho));
    font.setPointSize(10);
    painter.setFont(font);
    EXPECT_EQ(page.logicalDpiX(), 120);
    EXPECT_EQ(page.logicalDpiY(), 120);
    EXPECT_EQ(painter.fontInfo().pixelSize(), 17);  // 10 ÷ 72 × 120 = 16.7
    EXPECT_EQ(painter.fontInfo().family(), QStringLiteral("IPAMincho"));
}

TEST(StatementImages, PagesLookAsLaidOut) {
    SetPrintTarget(120, 120, 944, 1356);
    const auto region = [](int l, int t, int r, int b) {
        const EdgeRect p = UnitRect({l, t, r, b});
        return QRect(p.left, p.top, p.Width(), p.Height());
    };
    const auto both = Pages(fixtures::RecalculatedStatement(50, true, true));
    ASSERT_EQ(both.size(), 2u);
    fixtures::ExpectLikeReference(both[0], region(180, 80, 2320, 500), "both-bands-head");
    fixtures::ExpectLikeReference(both[0], region(180, 480, 1300, 580), "both-bands-table-heading");
    fixtures::ExpectLikeReference(both[0], region(180, 580, 2320, 700), "both-bands-first-rows");
    fixtures::ExpectLikeReference(both[0], region(1500, 3000, 2320, 3300), "table-bottom-right");
    const auto plain = Pages(fixtures::RecalculatedStatement(10));
    ASSERT_EQ(plain.size(), 1u);
    fixtures::ExpectLikeReference(plain[0], region(180, 80, 2320, 420), "no-bands-head");
}

class ClaimSummary : public ::testing::Test {
protected:
    // The texts drawn below the frame, per sheet.
    std::vector<QStringList> Below(const StatementInput& input, PageRange range, int pageHeight = 3508) {
        RecordingDevice device(300, 2480, pageHeight);
        SetPrintTarget(300, 300, 2480, pageHeight);
        QPainter painter(&device);
        DrawStatementRows(painter, input, range, [&] { device.Engine().NewPage(); });
        painter.end();
        device.Engine().NewPage();
        std::vector<QStringList> sheets;
        for (const auto& texts : device.Engine().pages) {
            QStringList below;
            for (const auto& t : texts) {
                if (t.topLeft.y() >= 3280) below << t.text;
            }
            sheets.push_back(below);
        }
        return sheets;
    }
    StatementInput WithClaim(int rows) {
        StatementInput input = NumberedStatement(rows);
        input.claimSummary = QStringLiteral("過払金　1,234円　未払過払利息　56円　請求額　1,290円");
        return input;
    }
};

TEST_F(ClaimSummary, StandsUnderTheFrameOfTheLastPageOnly) {
    const auto sheets = Below(WithClaim(60), {1, 2});
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_TRUE(sheets[0].isEmpty());
    EXPECT_EQ(sheets[1].join(QString()), WithClaim(60).claimSummary);
}

TEST_F(ClaimSummary, IsPrintedOnlyWhenTheRangeHoldsTheLastPage) {
    EXPECT_TRUE(Below(WithClaim(120), {2, 2}).front().isEmpty());
    EXPECT_FALSE(Below(WithClaim(120), {3, 3}).front().isEmpty());
    EXPECT_FALSE(Below(WithClaim(48), {1, 1}).front().isEmpty());
}

TEST_F(ClaimSummary, IsLeftOutWhereThePrintableAreaEndsTooEarly) {
    // The table still ends at 3280; the line would not fit whole above 3320.
    EXPECT_TRUE(Below(WithClaim(10), {1, 1}, 3320).front().isEmpty());
    EXPECT_FALSE(Below(WithClaim(10), {1, 1}, 3400).front().isEmpty());
}

TEST(ClaimSummaryLine, TheClaimOfTheLastRowOnOneLine) {
    engine::ResultTable table(engine::CalculationKind::Recalculation);
    EXPECT_EQ(ClaimSummaryLine(table), QString());
    engine::ResultRow first, last;
    first.balance = 5000;
    last.balance = -1234;
    last.unpaidOverpaymentInterest = 56;
    table.Fill({first, last}, false);
    EXPECT_EQ(ClaimSummaryLine(table), QStringLiteral("過払金　1,234円　　未払過払利息　56円　　請求額　1,290円"));
    EXPECT_EQ(StatementFrom(engine::CaseRecord{}, table, 2, false).claimSummary, ClaimSummaryLine(table));
}

}  // namespace
}  // namespace korvalen::printing
