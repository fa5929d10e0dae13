// The screen print: a dialog printed as a picture with a heading and the
// date, after a one-page preview. The dialogs run it from Ctrl+P.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

#include "korvalen/printing/statement_print.h"

class QPainter;
class QWidget;

namespace korvalen::printing {

// Preview page images at 90 pixels per inch.
inline constexpr int kScreenImageDpi = 90;
inline constexpr int kScreenImageLong = 1017;
inline constexpr int kScreenImageShort = 708;
// Captures wider than this print in landscape.
inline constexpr int kPortraitMaxWidth = 640;

// Captures the window as shown on the screen, runs the preview and, on
// request, prints it.
void ScreenPrint(QWidget* window, PrintServices& services);

// ScreenPrint bound to the program's print services, in the form the
// dialogs' Ctrl+P hooks take.
std::function<void(QWidget*)> ScreenPrintHook(PrintServices& services);

// The window as the screen shows it. On a desktop with a window system the
// screen's pixels of the window's frame rectangle (title bar and border
// included); where the platform cannot read the screen (offscreen, some
// Wayland compositors) the window's own rendering of itself.
QImage CaptureWindow(QWidget* window);

bool IsLandscapeCapture(const QSize& capture);
// The caption followed by 画面の印刷.
QString ScreenPrintHeading(const QString& caption);
// 2024/05/03(金): the weekday's short Japanese name.
QString ScreenPrintDate(std::int32_t day);

// The preview's page: white, 708 × 1017 or 1017 × 708 pixels at 90 pixels
// per inch, with the capture, the heading and the date.
QImage ComposeScreenPrintPreview(const QImage& capture, const QString& heading, const QString& date);

// The capture's size on the printer page described by the module state:
// three layout units per screen pixel, shrunk with its proportions kept to
// what fits the printable area less the heading's and margins' room.
QSize ScreenPrintPictureSize(const QSize& capture);
// Draws the printed page on a painter whose device the module state describes.
void DrawScreenPrintPage(QPainter& painter, const QImage& capture, const QString& heading, const QString& date);

}  // namespace korvalen::printing
