#include "korvalen/printing/printex.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "korvalen/printing/fonts.h"
#include "recording_device.h"

namespace korvalen::printing {
namespace {

using fixtures::RecordingDevice;

struct UnitCase {
    int dpi;
    int units;
    int unitX;     // nearest, ties to even
    int penUnits;  // truncated
};

TEST(PrintHelpers, LayoutUnitsBecomePixelsOfTheTarget) {
    const UnitCase cases[] = {
        {300, 0, 0, 0},  {300, 7, 7, 7},    {300, 2300, 2300, 2300}, {120, 300, 120, 120},
        {120, 5, 2, 2},  {120, 1, 0, 0},    {120, 3, 1, 1},          {150, 1, 0, 0},
        {150, 3, 2, 1},  {150, 5, 2, 2},    {90, 5, 2, 1},           {90, 15, 4, 4},
        {150, -1, 0, 0}, {150, -3, -2, -1}, {600, 400, 800, 800},    {1200, 3280, 13120, 13120},
    };
    for (const UnitCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.units << " units at " << c.dpi << " dpi");
        SetPrintTarget(c.dpi, c.dpi, 1000, 1000);
        EXPECT_EQ(UnitX(c.units), c.unitX);
        EXPECT_EQ(UnitY(c.units), c.unitX);
        EXPECT_EQ(PenUnits(c.units), c.penUnits);
    }
}

TEST(PrintHelpers, EachAxisUsesItsOwnResolution) {
    SetPrintTarget(300, 150, 1000, 1000);
    EXPECT_EQ(UnitRect({200, 220, 450, 300}), (EdgeRect{200, 110, 450, 150}));
    // The pen follows the horizontal resolution only.
    SetPrintTarget(120, 600, 1000, 1000);
    EXPECT_EQ(PenUnits(5), 2);
}

// Draws with a painter on a 300-dpi recording page, in a Latin font so that
// each drawText reaches the device as one piece.
class HelperDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        SetPrintTarget(300, 300, device.width(), device.height());
        painter.begin(&device);
        QFont font(QStringLiteral("IPAGothic"));
        font.setPointSize(10);
        painter.setFont(font);
    }
    void TearDown() override { painter.end(); }

    double Advance(const QString& text) const { return painter.fontMetrics().horizontalAdvance(text); }
    int Height() const { return painter.fontMetrics().height(); }
    fixtures::RecordingEngine& Drawn() { return device.Engine(); }

    RecordingDevice device{300, 2480, 3508};
    QPainter painter;
};

TEST_F(HelperDrawing, TextThatFitsIsAlignedWithItsMarginAndCentredVertically) {
    const QString text = QStringLiteral("1,234");
    const EdgeRect rect{400, 1000, 800, 1060};
    const double w = Advance(text);
    const int spare = 400 - static_cast<int>(w);
    const int y = 1000 + (60 - Height()) / 2;
    struct {
        int align, margin;
        double x;
    } cases[] = {
        {kAlignCentre, 0, 400.0 + spare / 2},
        {kAlignCentre, 10, 410.0 + spare / 2},
        {kAlignLeft, 10, 410},
        {kAlignRight, 10, 400.0 + spare - 10},
        {7, 20, 420},  // an unknown code aligns left
    };
    for (const auto& c : cases) {
        Drawn().texts.clear();
        TextInRect(painter, rect, text, c.align, c.margin);
        ASSERT_EQ(Drawn().texts.size(), 1u);
        EXPECT_DOUBLE_EQ(Drawn().texts[0].topLeft.x(), c.x) << "align " << c.align;
        EXPECT_DOUBLE_EQ(Drawn().texts[0].topLeft.y(), y);
    }
}

TEST_F(HelperDrawing, RightAlignedTextEndsItsMarginLeftOfTheEdge) {
    const QString text = QStringLiteral("300,000");
    TextInRect(painter, {420, 400, 640, 460}, text, kAlignRight, 10);
    ASSERT_EQ(Drawn().texts.size(), 1u);
    // The offset is (W − w) − m on whole pixels, so the text's advance ends there.
    EXPECT_EQ(std::lround(Drawn().texts[0].topLeft.x() + Advance(text)), 640 - 10);
}

TEST_F(HelperDrawing, TextInALowRectangleStartsAtItsTop) {
    TextInRect(painter, {0, 500, 1000, 510}, QStringLiteral("abc"), kAlignLeft, 0);
    ASSERT_EQ(Drawn().texts.size(), 1u);
    EXPECT_DOUBLE_EQ(Drawn().texts[0].topLeft.y(), 500);
}

TEST_F(HelperDrawing, TextExactlyAsWideAsTheRectangleIsSpreadAtItsOwnSize) {
    const QString text = QStringLiteral("ABCD");
    const int w = painter.fontMetrics().horizontalAdvance(text);
    TextInRect(painter, {100, 100, 100 + w, 160}, text, kAlignCentre, 0);
    ASSERT_EQ(Drawn().texts.size(), 4u);  // character by character
    for (const auto& drawn : Drawn().texts) EXPECT_EQ(drawn.font.pointSize(), 10);
    EXPECT_DOUBLE_EQ(Drawn().texts[0].topLeft.x(), 100);
    EXPECT_EQ(painter.font().pointSize(), 10);
}

TEST_F(HelperDrawing, TextWiderThanTheRectangleIsShrunkAndSpreadFromTheMargin) {
    const QString text = QStringLiteral("ABCDEFGHIJ");
    const int w = painter.fontMetrics().horizontalAdvance(text);
    const EdgeRect rect{200, 300, 200 + w / 2, 360};
    TextInRect(painter, rect, text, kAlignRight, 10);
    ASSERT_EQ(Drawn().texts.size(), 10u);
    const int shrunk = static_cast<int>(std::trunc(10.0 * (w / 2) / w));
    for (const auto& drawn : Drawn().texts) EXPECT_EQ(drawn.font.pointSize(), shrunk);
    const auto& first = Drawn().texts.front();
    const auto& last = Drawn().texts.back();
    EXPECT_DOUBLE_EQ(first.topLeft.x(), 210);  // the margin still applies
    // Each character's width is rounded on its own: the end may drift by half a pixel a character.
    EXPECT_NEAR(last.topLeft.x() + last.advance, rect.right, 0.5 * 10 + 1);
    // Centred vertically at the new size, and the size is given back.
    const QFontMetrics small(first.font, &device);
    EXPECT_DOUBLE_EQ(first.topLeft.y(), 300 + (60 - small.height()) / 2);
    EXPECT_EQ(painter.font().pointSize(), 10);
}

TEST_F(HelperDrawing, TextBetweenIgnoresTheMarginWhenItDoesNotFit) {
    const QString text = QStringLiteral("wide text");
    const int w = painter.fontMetrics().horizontalAdvance(text);
    TextBetween(painter, 100, 100 + w - 1, 40, text, kAlignRight, 30);
    TextBetween(painter, 100, 100 + w + 100, 40, text, kAlignRight, 30);
    TextBetween(painter, 100, 100 + w + 100, 40, text, kAlignCentre, 0);
    ASSERT_EQ(Drawn().texts.size(), 3u);
    EXPECT_DOUBLE_EQ(Drawn().texts[0].topLeft.x(), 100);
    EXPECT_DOUBLE_EQ(Drawn().texts[1].topLeft.x(), 100 + 100 - 30);
    EXPECT_DOUBLE_EQ(Drawn().texts[2].topLeft.x(), 150);
    for (const auto& drawn : Drawn().texts) EXPECT_DOUBLE_EQ(drawn.topLeft.y(), 40);
}

TEST_F(HelperDrawing, OneCharacterIsCentredInTheSpan) {
    const double w = Advance(QStringLiteral("X"));
    SpreadText(painter, 100, 300, 10, QStringLiteral("X"));
    ASSERT_EQ(Drawn().texts.size(), 1u);
    EXPECT_DOUBLE_EQ(Drawn().texts[0].topLeft.x(), 100 + std::round((200 - w) / 2));
}

TEST_F(HelperDrawing, TheFirstCharacterStartsAtTheLeftAndTheLastEndsAtTheRight) {
    for (const QString& text : {QStringLiteral("AB"), QStringLiteral("未払過払利息")}) {
        Drawn().texts.clear();
        SpreadText(painter, 500, 1500, 10, text);
        ASSERT_EQ(Drawn().texts.size(), static_cast<std::size_t>(text.size()));
        EXPECT_DOUBLE_EQ(Drawn().texts.front().topLeft.x(), 500);
        EXPECT_NEAR(Drawn().texts.back().topLeft.x() + Drawn().texts.back().advance, 1500, 1.0) << text.toStdString();
        EXPECT_EQ(Drawn().texts.front().text, text.left(1));
    }
}

TEST_F(HelperDrawing, TextWiderThanTheSpanOverlapsEvenly) {
    const QString text = QStringLiteral("MMMMM");
    const double each = Advance(QStringLiteral("M"));
    SpreadText(painter, 0, static_cast<int>(each * 2.5), 10, text);
    ASSERT_EQ(Drawn().texts.size(), 5u);
    const double step = Drawn().texts[1].topLeft.x() - Drawn().texts[0].topLeft.x();
    EXPECT_LT(step, each);
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_NEAR(Drawn().texts[i].topLeft.x() - Drawn().texts[i - 1].topLeft.x(), step, 1.0);
    }
}

TEST_F(HelperDrawing, ACharacterOutsideTheBasicPlaneCountsAsOne) {
    // 𠮷 (U+20BB7) is two UTF-16 units and one character.
    const QString text = QString::fromUtf8("\xF0\xA0\xAE\xB7野家");
    SpreadText(painter, 0, 900, 10, text);
    ASSERT_EQ(Drawn().texts.size(), 3u);
    EXPECT_EQ(Drawn().texts[0].text, QString::fromUtf8("\xF0\xA0\xAE\xB7"));
    EXPECT_EQ(Drawn().texts[1].text, QStringLiteral("野"));
}

TEST_F(HelperDrawing, EmptyTextsDrawNothing) {
    SpreadText(painter, 0, 100, 0, QString());
    TextInRect(painter, {0, 0, 0, 0}, QString(), kAlignCentre, 0);
    EXPECT_TRUE(Drawn().texts.empty());
}

std::vector<std::pair<double, double>> Spans(const std::vector<fixtures::DrawnLine>& lines) {
    std::vector<std::pair<double, double>> spans;
    for (const auto& l : lines) spans.emplace_back(l.line.x1(), l.line.x2());
    return spans;
}

TEST_F(HelperDrawing, DottedLinesAreEightOnEightOffAndEndAtTheEndPoint) {
    StyledLine(painter, QPoint(0, 50), QPoint(100, 50), 3, kLineDotted);
    const std::vector<std::pair<double, double>> expected = {{0, 8},   {16, 24}, {32, 40}, {48, 56},
                                                             {64, 72}, {80, 88}, {96, 100}};
    EXPECT_EQ(Spans(Drawn().lines), expected);
    for (const auto& l : Drawn().lines) EXPECT_EQ(l.penWidth, 3);
}

TEST_F(HelperDrawing, DashedLinesAreFortyFourOnSixteenOff) {
    StyledLine(painter, QPoint(10, 0), QPoint(130, 0), 1, kLineDashed);
    // The third dash would start on the end point: nothing of it is left.
    EXPECT_EQ(Spans(Drawn().lines), (std::vector<std::pair<double, double>>{{10, 54}, {70, 114}}));
}

TEST_F(HelperDrawing, LinesRunInAnyDirection) {
    StyledLine(painter, QPoint(40, 100), QPoint(40, 60), 1, 4);
    ASSERT_EQ(Drawn().lines.size(), 3u);
    EXPECT_EQ(Drawn().lines[0].line, QLineF(40, 100, 40, 92));
    EXPECT_EQ(Drawn().lines[2].line, QLineF(40, 68, 40, 60));
}

TEST_F(HelperDrawing, OnlyKnownStylesAndRealLinesDraw) {
    StyledLine(painter, QPoint(0, 0), QPoint(100, 0), 3, 7);
    StyledLine(painter, QPoint(0, 0), QPoint(100, 0), 3, -1);
    for (int style : {1, 2, 3, 4}) StyledLine(painter, QPoint(50, 50), QPoint(50, 50), 3, style);
    EXPECT_TRUE(Drawn().lines.empty());
    StyledLine(painter, QPoint(0, 0), QPoint(100, 0), 3, kLineSolid);
    ASSERT_EQ(Drawn().lines.size(), 1u);
    EXPECT_EQ(Drawn().lines[0].line, QLineF(0, 0, 100, 0));
}

TEST_F(HelperDrawing, ThePenIsGivenBackAsItWas) {
    QPen pen(Qt::DashDotLine);
    pen.setWidth(9);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    StyledLine(painter, QPoint(0, 0), QPoint(100, 0), 2, kLineDotted);
    EXPECT_EQ(painter.pen().style(), Qt::DashDotLine);
    EXPECT_EQ(painter.pen().width(), 9);
    EXPECT_EQ(painter.brush().style(), Qt::NoBrush);
    EXPECT_EQ(Drawn().lines.front().penWidth, 2);
}

TEST(PrintHelpers, ADeviceTooCoarseForThePatternStillEndsTheLine) {
    RecordingDevice device(10, 100, 100);
    SetPrintTarget(10, 10, 100, 100);
    QPainter painter(&device);
    // At 10 dpi a dot and its gap are no pixel long.
    StyledLine(painter, QPoint(0, 0), QPoint(90, 0), 0, kLineDotted);
    EXPECT_TRUE(device.Engine().lines.empty());
}

TEST(PrintHelpers, ThePagesResolutionComesFromItsPixelsAndMillimetres) {
    // 300 dpi, reported as 209 × 297 whole millimetres.
    RecordingDevice device(300, 2480, 3508);
    EXPECT_EQ(DeviceDpiX(device), 301);  // 2480 × 254 ÷ 2090 = 301.4
    EXPECT_EQ(DeviceDpiY(device), 300);  // 3508 × 254 ÷ 2970 = 300.01
}

}  // namespace
}  // namespace korvalen::printing
