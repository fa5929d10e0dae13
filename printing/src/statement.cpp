#include "korvalen/printing/statement.h"

#include <algorithm>

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPoint>

#include "korvalen/engine/claim_summary.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/printing/printex.h"
#include "korvalen/printing/statement_shading.h"

namespace korvalen::printing {

namespace {

struct Column {
    int from;
    int to;
    int align;
    int margin;
};

constexpr std::array<Column, kStatementColumns> kColumns = {{
    {200, 420, kAlignCentre, 0},    // 取引日
    {420, 640, kAlignRight, 10},    // 借入額
    {640, 840, kAlignRight, 10},    // 返済額
    {840, 930, kAlignCentre, 0},    // 日数
    {930, 1070, kAlignCentre, 0},   // 利率
    {1070, 1270, kAlignRight, 10},  // 利息
    {1270, 1480, kAlignRight, 10},  // 元金返済額
    {1480, 1700, kAlignRight, 10},  // 残元金
    {1700, 1900, kAlignRight, 10},  // 未払利息
    {1900, 2100, kAlignRight, 10},  // 過払利息
    {2100, 2300, kAlignRight, 10},  // 未払過払利息
}};

constexpr int kTableLeft = 200;
constexpr int kTableRight = 2300;
constexpr int kTableBottom = 3280;
constexpr int kRowHeight = 60;
constexpr int kCornerUnits = 10;

QFont MsFont(const char* family, int points) {
    QFont font(QString::fromUtf8(family));
    font.setPointSize(points);
    return font;
}

void Text(QPainter& painter, const EdgeRect& units, const QString& text, const char* family, int points, int align,
          int margin) {
    painter.setFont(MsFont(family, points));
    TextInRect(painter, UnitRect(units), text, align, margin);
}

void Shade(QPainter& painter, const EdgeRect& units) {
    const EdgeRect r = UnitRect(units);
    painter.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ShadingBrush());
}

void Line(QPainter& painter, int x1, int y1, int x2, int y2, int penUnits, int style = kLineSolid) {
    StyledLine(painter, QPoint(UnitX(x1), UnitY(y1)), QPoint(UnitX(x2), UnitY(y2)), PenUnits(penUnits), style);
}

void RoundedFrame(QPainter& painter, const EdgeRect& units, int penUnits) {
    const EdgeRect r = UnitRect(units);
    const QPen original = painter.pen();
    QPen pen = original;
    pen.setWidth(PenUnits(penUnits));
    pen.setStyle(Qt::SolidLine);
    painter.setPen(pen);
    // The corner is a 10 × 10 ellipse, so its radii are half of that.
    painter.drawRoundedRect(QRectF(r.left, r.top, r.Width(), r.Height()), UnitX(kCornerUnits) / 2.0,
                            UnitY(kCornerUnits) / 2.0, Qt::AbsoluteSize);
    painter.setPen(original);
}

QString AmountYen(std::int64_t yen) { return QString::fromStdString(engine::FormatAmount(yen)) + QStringLiteral("円"); }

StatementRow RowOf(const engine::ResultTable& table, int row) {
    StatementRow texts;
    for (int column = 0; column < kStatementColumns && column < table.columnCount(); ++column) {
        const std::string_view cell = table.cell(row, column);
        texts[column] = QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
    }
    return texts;
}

}  // namespace

StatementInput StatementFrom(const engine::CaseRecord& header, const engine::ResultTable& recalculation, int entryCount,
                             bool westernCalendar) {
    StatementInput input;
    input.creditor = QString::fromStdString(header.GYOSYA_NAME);
    input.debtor = QString::fromStdString(header.NAME);
    input.remarks = QString::fromStdString(header.BIKO);
    input.startDateShown = header.START_DAY != 0;
    if (input.startDateShown) {
        input.startDateText = QString::fromStdString(engine::FormatStartDate(header.START_DAY, westernCalendar));
    }
    input.startBalance = header.START_KARI;
    input.headings = RowOf(recalculation, 0);
    input.rows.reserve(static_cast<std::size_t>(recalculation.entryRowCount()));
    for (int row = 1; row <= recalculation.entryRowCount(); ++row) {
        if (recalculation.cell(row, 0).empty()) break;
        input.rows.push_back(RowOf(recalculation, row));
    }
    input.entryCount = entryCount;
    input.claimSummary = ClaimSummaryLine(recalculation);
    return input;
}

QString ClaimSummaryLine(const engine::ResultTable& recalculation) {
    QString line;
    for (const engine::ClaimLine& part : engine::ClaimLines(engine::SummariseClaim(recalculation))) {
        if (!line.isEmpty()) line += QStringLiteral("　　");
        line += QString::fromStdString(engine::FormatClaimLine(part));
    }
    return line;
}

StatementGeometry GeometryOf(const StatementInput& input) {
    StatementGeometry g;
    g.startDateShown = input.startDateShown;
    g.remarksShown = !input.remarks.isEmpty();
    const int bands = (g.startDateShown ? 1 : 0) + (g.remarksShown ? 1 : 0);
    static constexpr int kTableTops[] = {320, 420, 500};
    static constexpr int kRowsPerPage[] = {48, 46, 45};
    g.tableTop = kTableTops[bands];
    g.firstRowTop = g.tableTop + 80;
    g.rowsPerPage = kRowsPerPage[bands];
    return g;
}

int StatementPageCount(const StatementInput& input) {
    const int perPage = GeometryOf(input).rowsPerPage;
    // A statement without rows still has its one page with the frame.
    return std::max(1, (input.entryCount + perPage - 1) / perPage);
}

void DrawStatementFrame(QPainter& painter, const StatementInput& input, int pageNumber) {
    const StatementGeometry g = GeometryOf(input);
    const int p = g.tableTop;

    Shade(painter, {200, 220, 450, 300});
    Shade(painter, {1450, 220, 1650, 300});
    Shade(painter, {kTableLeft, p, kTableRight, p + 80});
    if (g.startDateShown) {
        Shade(painter, {200, 320, 540, 400});
        Shade(painter, {980, 320, 1400, 400});
    }
    painter.setBrush(Qt::NoBrush);

    Text(painter, {600, 100, 1800, 200}, QStringLiteral("計　算　書"), kMsGothic, 16, kAlignCentre, 0);
    Text(painter, {1600, 160, 2300, 220}, QStringLiteral("Page. ") + QString::number(pageNumber), kMsMincho, 10,
         kAlignRight, 10);
    Text(painter, {200, 160, 1200, 220}, QStringLiteral("（利息制限法所定の制限金利で計算）"), kMsMincho, 10,
         kAlignLeft, 0);
    Text(painter, {200, 220, 450, 300}, QStringLiteral("債権者名"), kMsGothic, 12, kAlignCentre, 0);
    Text(painter, {480, 220, 1430, 300}, input.creditor, kMsGothic, 12, kAlignLeft, 0);
    Text(painter, {1450, 220, 1650, 300}, QStringLiteral("債務者"), kMsGothic, 12, kAlignCentre, 0);
    Text(painter, {1650, 220, 2300, 300}, input.debtor, kMsGothic, 12, kAlignLeft, 30);
    if (g.startDateShown) {
        Text(painter, {1400, 320, 1800, 400}, AmountYen(input.startBalance), kMsGothic, 12, kAlignRight, 20);
        Text(painter, {200, 320, 540, 400}, QStringLiteral("計算開始年月日"), kMsGothic, 10, kAlignCentre, 0);
        Text(painter, {540, 320, 980, 400}, input.startDateText, kMsGothic, 10, kAlignCentre, 0);
        Text(painter, {980, 320, 1400, 400}, QStringLiteral("計算開始時点の残高"), kMsGothic, 10, kAlignCentre, 0);
    }
    if (g.remarksShown) {
        const EdgeRect at = g.startDateShown ? EdgeRect{230, 400, 2270, 480} : EdgeRect{230, 320, 2270, 400};
        Text(painter, at, input.remarks, kMsGothic, 10, kAlignLeft, 0);
    }
    painter.setFont(MsFont(kMsGothic, 10));
    for (int column = 0; column < kStatementColumns - 1; ++column) {
        TextBetween(painter, UnitX(kColumns[column].from), UnitX(kColumns[column].to), UnitY(p + 20),
                    input.headings[column], kAlignCentre, 0);
    }
    painter.setFont(MsFont(kMsGothic, 9));
    SpreadText(painter, UnitX(2100), UnitX(2300), UnitY(p + 20), input.headings[kStatementColumns - 1]);

    RoundedFrame(painter, {200, 220, 2300, 300}, 5);
    for (int x : {450, 1450, 1650}) Line(painter, x, 220, x, 300, 1);
    if (g.startDateShown || g.remarksShown) RoundedFrame(painter, {200, 320, 2300, p - 20}, 5);
    if (g.startDateShown) {
        for (int x : {540, 980, 1400, 1800}) Line(painter, x, 320, x, 400, 3);
    }
    if (g.startDateShown && g.remarksShown) Line(painter, 200, 400, 2300, 400, 3);
    RoundedFrame(painter, {kTableLeft, p, kTableRight, kTableBottom}, 5);
    for (int column = 1; column < kStatementColumns; ++column) {
        Line(painter, kColumns[column].from, p, kColumns[column].from, kTableBottom, 1);
    }
    for (int k = 0; k < g.rowsPerPage; ++k) {
        const int y = g.firstRowTop + kRowHeight * k;
        Line(painter, kTableLeft, y, kTableRight, y, 3, k % 5 == 0 ? kLineSolid : kLineDotted);
    }
}

namespace {

void DrawRow(QPainter& painter, const StatementRow& row, int top) {
    painter.setFont(MsFont(kMsMincho, 10));
    for (int column = 0; column < kStatementColumns; ++column) {
        const Column& c = kColumns[column];
        TextInRect(painter, UnitRect({c.from, top, c.to, top + kRowHeight}), row[column], c.align, c.margin);
    }
}

// The claim line goes under the frame only where the target's page holds
// it whole: a printer whose printable area ends above it prints none.
void DrawClaimSummary(QPainter& painter, const QString& text) {
    if (text.isEmpty()) return;
    painter.setFont(MsFont(kMsGothic, 10));
    const int top = UnitY(kClaimSummaryTop);
    const int right = UnitX(kTableRight);
    const int width = painter.fontMetrics().horizontalAdvance(text);
    if (top + painter.fontMetrics().height() > PrintPageHeight || right > PrintPageWidth ||
        width > right - UnitX(kTableLeft)) {
        return;
    }
    TextBetween(painter, UnitX(kTableLeft), right, top, text, kAlignRight, 10);
}

}  // namespace

void DrawStatementRows(QPainter& painter, const StatementInput& input, const PageRange& range,
                       const std::function<void()>& newPage) {
    const StatementGeometry g = GeometryOf(input);
    int page = 1;
    bool started = false;
    int slot = 0;
    for (const StatementRow& row : input.rows) {
        if (row[0].isEmpty()) break;
        if (page < range.from || page > range.to) {
            if (slot < g.rowsPerPage - 1) {
                ++slot;
            } else {
                ++page;
                slot = 0;
            }
            continue;
        }
        if (!started) {
            DrawStatementFrame(painter, input, page);
            started = true;
            slot = 0;
        } else if (slot == g.rowsPerPage) {
            // The range is complete: no further sheet is begun, not even a blank one.
            if (page == range.to) return;
            newPage();
            ++page;
            DrawStatementFrame(painter, input, page);
            slot = 0;
        }
        DrawRow(painter, row, g.firstRowTop + kRowHeight * slot);
        ++slot;
    }
    if (!started) {
        // A statement without rows still shows its first page's frame.
        if (range.from > 1) return;
        DrawStatementFrame(painter, input, 1);
    }
    if (page >= range.from && page <= range.to) DrawClaimSummary(painter, input.claimSummary);
}

}  // namespace korvalen::printing
