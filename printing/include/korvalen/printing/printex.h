// The print helpers every printout of the program draws with. Positions are
// given in layout units of 1/300 inch from the top-left corner of the
// printable area and converted to the pixels of whatever is drawn on (a
// printer page, a PDF page or a page image of the preview), so one drawing
// routine serves them all. The helpers draw through a QPainter on any
// paint device and never change its brush.
#pragma once

#include <cstdint>

#include <QString>

class QPainter;
class QPaintDevice;
class QPoint;

namespace korvalen::printing {

// The drawing target of the moment, set by the caller before it draws and
// read by the helpers. Process-wide, as printouts run one at a time on the
// user-interface thread.
extern std::int32_t PrintDpiX;        // horizontal pixels per inch
extern std::int32_t PrintDpiY;        // vertical pixels per inch
extern std::int32_t PrintPageWidth;   // width of the page or page image, pixels
extern std::int32_t PrintPageHeight;  // height of the page or page image, pixels

// Sets all four at once.
void SetPrintTarget(std::int32_t dpiX, std::int32_t dpiY, std::int32_t pageWidth, std::int32_t pageHeight);

// Horizontal text placement.
enum TextAlign : int { kAlignCentre = 0, kAlignLeft = 1, kAlignRight = 2 };  // any other value: left

// Line styles of StyledLine.
enum LineStyle : int { kLineSolid = 0, kLineDashed = 1, kLineDotted = 2 };  // 3 and 4 dot as well; others draw nothing

// A rectangle as left, top, right and bottom edges; the right and bottom
// edges lie outside it (width = right − left).
struct EdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const EdgeRect&, const EdgeRect&) = default;
};

// Layout units → pixels: units × dpi ÷ 300 to the nearest pixel, ties to even.
int UnitX(int units);
int UnitY(int units);
// Pen width in pixels: units × PrintDpiX ÷ 300, truncated toward zero (0 is
// the thinnest line the device draws).
int PenUnits(int units);
// Left and right through UnitX, top and bottom through UnitY.
EdgeRect UnitRect(const EdgeRect& units);

// The text inside `rect` (pixels), aligned with a margin in layout units and
// centred vertically; a text that does not fit is shrunk and spread over the
// rectangle instead.
void TextInRect(QPainter& painter, const EdgeRect& rect, const QString& text, int align, int marginUnits);
// The text between `left` and `right` with its top at `top`; not clipped.
void TextBetween(QPainter& painter, int left, int right, int top, const QString& text, int align, int marginUnits);
// The characters of `text` spread evenly from `left` to `right`.
void SpreadText(QPainter& painter, int left, int right, int top, const QString& text);
// A line from `start` to `end` of `penWidth` pixels in one of the line styles.
void StyledLine(QPainter& painter, const QPoint& start, const QPoint& end, int penWidth, int style);

// The resolution a page of `device` is drawn at: its pixel count × 254 ÷
// (its size in millimetres × 10), to the nearest integer, horizontally and
// vertically. Printers report their printable area both ways, so this is the
// pixels per inch of the paper.
int DeviceDpiX(const QPaintDevice& device);
int DeviceDpiY(const QPaintDevice& device);

}  // namespace korvalen::printing
