#include "korvalen/printing/printex.h"

#include <QFontMetrics>
#include <QLine>
#include <QPaintDevice>
#include <QPainter>
#include <QPoint>
#include <QVarLengthArray>
#include <cmath>
#include <cstdlib>

#include "korvalen/engine/fixed_point.h"

namespace korvalen::printing {

std::int32_t PrintDpiX = 300;
std::int32_t PrintDpiY = 300;
std::int32_t PrintPageWidth = 0;
std::int32_t PrintPageHeight = 0;

void SetPrintTarget(std::int32_t dpiX, std::int32_t dpiY, std::int32_t pageWidth, std::int32_t pageHeight) {
    PrintDpiX = dpiX;
    PrintDpiY = dpiY;
    PrintPageWidth = pageWidth;
    PrintPageHeight = pageHeight;
}

namespace {

// n ÷ d to the nearest integer, ties to the even one; d > 0.
std::int64_t DivideTiesToEven(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d;
    std::int64_t r = n % d;
    if (r < 0) {  // floor division, so the remainder counts upward from q
        --q;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q % 2) != 0)) ++q;
    return q;
}

// Rounded to four decimals (ties to even) as a count of ten-thousandths.
std::int64_t TenThousandths(double value) { return static_cast<std::int64_t>(std::nearbyint(value * 10000.0)); }

// Four decimals, then cut toward zero to a whole pixel.
int TruncatedPixel(double value) { return static_cast<int>(TenThousandths(value) / 10000); }

int AlignedOffset(int align, int spare, int margin) {
    switch (align) {
        case kAlignCentre: return margin + spare / 2;
        case kAlignRight: return spare - margin;
        default: return margin;
    }
}

// Draws `text` with the top-left corner of its line box at (x, y).
void DrawTopLeft(QPainter& painter, double x, int y, const QString& text) {
    painter.drawText(QPointF(x, y + painter.fontMetrics().ascent()), text);
}

// The characters as the user counts them: a surrogate pair is one.
QVarLengthArray<QStringView, 64> Characters(const QString& text) {
    QVarLengthArray<QStringView, 64> characters;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        characters.append(QStringView(text).mid(i, length));
        i += length;
    }
    return characters;
}

}  // namespace

int UnitX(int units) { return static_cast<int>(DivideTiesToEven(std::int64_t{units} * PrintDpiX, 300)); }

int UnitY(int units) { return static_cast<int>(DivideTiesToEven(std::int64_t{units} * PrintDpiY, 300)); }

int PenUnits(int units) { return static_cast<int>(std::int64_t{units} * PrintDpiX / 300); }

EdgeRect UnitRect(const EdgeRect& units) {
    return {UnitX(units.left), UnitY(units.top), UnitX(units.right), UnitY(units.bottom)};
}

void TextInRect(QPainter& painter, const EdgeRect& rect, const QString& text, int align, int marginUnits) {
    // An empty text has nothing to draw, and no width to shrink against.
    if (text.isEmpty()) return;
    const QFontMetrics metrics = painter.fontMetrics();
    const int w = metrics.horizontalAdvance(text);
    const int W = rect.Width();
    const int H = rect.Height();
    if (W > w) {
        const int offset = AlignedOffset(align, W - w, UnitX(marginUnits));
        const int h = metrics.height();
        const int y = H > h ? rect.top + (H - h) / 2 : rect.top;
        // A text whose line box lies inside the rectangle needs no clip; the
        // statement's cells are nearly all such, and a clip per cell costs.
        if (offset >= 0 && offset + w <= W && y >= rect.top && y + h <= rect.bottom) {
            DrawTopLeft(painter, rect.left + offset, y, text);
            return;
        }
        painter.save();
        painter.setClipRect(QRect(rect.left, rect.top, W, H), Qt::IntersectClip);
        DrawTopLeft(painter, rect.left + offset, y, text);
        painter.restore();
        return;
    }
    const QFont original = painter.font();
    QFont shrunk = original;
    // A font has at least one point; a smaller size would mean "default".
    const int size = static_cast<int>(std::trunc(original.pointSizeF() * W / w));
    shrunk.setPointSize(size < 1 ? 1 : size);
    painter.setFont(shrunk);
    const int y = rect.top + (H - painter.fontMetrics().height()) / 2;
    SpreadText(painter, rect.left + UnitX(marginUnits), rect.right, y, text);
    painter.setFont(original);
}

void TextBetween(QPainter& painter, int left, int right, int top, const QString& text, int align, int marginUnits) {
    const int w = painter.fontMetrics().horizontalAdvance(text);
    const int W = right - left;
    const int offset = W > w ? AlignedOffset(align, W - w, UnitX(marginUnits)) : 0;
    DrawTopLeft(painter, left + offset, top, text);
}

void SpreadText(QPainter& painter, int left, int right, int top, const QString& text) {
    const auto characters = Characters(text);
    const qsizetype n = characters.size();
    if (n == 0) return;
    const QFontMetrics metrics = painter.fontMetrics();
    const int w = metrics.horizontalAdvance(text);
    const double g = n == 1 ? (right - left - w) / 2.0 : static_cast<double>(right - left - w) / (n - 1);
    double x = n == 1 ? g : 0.0;
    for (QStringView character : characters) {
        const QString glyph = character.toString();
        const std::int64_t p = engine::RoundYen(TenThousandths(x));
        DrawTopLeft(painter, static_cast<double>(left + p), top, glyph);
        x = x + metrics.horizontalAdvance(glyph) + g;
    }
}

void StyledLine(QPainter& painter, const QPoint& start, const QPoint& end, int penWidth, int style) {
    const QPen original = painter.pen();
    QPen pen = original;
    pen.setStyle(Qt::SolidLine);
    pen.setWidth(penWidth);
    // Flat ends: a dash covers exactly its length, as on the printer.
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    if (style == kLineSolid) {
        painter.drawLine(start, end);
    } else if (style >= 1 && style <= 4) {
        const int dash = style == kLineDashed ? 44 : 8;
        const int gap = style == kLineDashed ? 16 : 8;
        const double dx = end.x() - start.x();
        const double dy = end.y() - start.y();
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length > 0) {
            const double dashX = UnitX(dash) * dx / length, dashY = UnitY(dash) * dy / length;
            const double gapX = UnitX(gap) * dx / length, gapY = UnitY(gap) * dy / length;
            const auto within = [&](int x, int y) {
                return std::abs(x - start.x()) <= std::abs(end.x() - start.x()) &&
                       std::abs(y - start.y()) <= std::abs(end.y() - start.y());
            };
            QVarLengthArray<QLine, 256> dashes;
            QPoint k = start;
            while (within(k.x(), k.y())) {
                QPoint e(TruncatedPixel(k.x() + dashX), TruncatedPixel(k.y() + dashY));
                if (!within(e.x(), e.y())) e = end;
                if (e != k) dashes.append(QLine(k, e));
                const QPoint next(TruncatedPixel(e.x() + gapX), TruncatedPixel(e.y() + gapY));
                // On a device too coarse for the pattern a step can round
                // to nothing; the line ends there instead of never.
                if (next == k) break;
                k = next;
            }
            painter.drawLines(dashes.constData(), static_cast<int>(dashes.size()));
        }
    }
    painter.setPen(original);
}

namespace {

int DeviceDpi(int pixels, int millimetres, int fallback) {
    if (millimetres <= 0) return fallback;
    // One multiplication and one division, rounded half away from zero.
    const std::int64_t numerator = std::int64_t{pixels} * 254;
    const std::int64_t denominator = std::int64_t{millimetres} * 10;
    return static_cast<int>((numerator + denominator / 2) / denominator);
}

}  // namespace

int DeviceDpiX(const QPaintDevice& device) { return DeviceDpi(device.width(), device.widthMM(), device.logicalDpiX()); }

int DeviceDpiY(const QPaintDevice& device) {
    return DeviceDpi(device.height(), device.heightMM(), device.logicalDpiY());
}

}  // namespace korvalen::printing
