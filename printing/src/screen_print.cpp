#include "korvalen/printing/screen_print.h"

#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include "busy_cursor.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/printing/printex.h"
#include "korvalen/printing/tav_prv.h"
#include "page_image.h"

namespace korvalen::printing {

namespace {

QFont HeadingFont() {
    QFont font(QString::fromUtf8(kMsGothic));
    font.setPointSize(10);
    return font;
}

void DrawHeadingAndDate(QPainter& painter, const QString& heading, const QString& date) {
    painter.setFont(HeadingFont());
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    const int ascent = painter.fontMetrics().ascent();
    painter.drawText(QPoint(UnitX(200), UnitY(250) + ascent), heading);
    painter.drawText(QPoint(UnitX(200), UnitY(100) + ascent), date);
}

// Screens that can be read back: a desktop with a window system.
bool ScreenCanBeRead() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
           platform == QLatin1String("cocoa");
}

void Print(const QImage& capture, const QString& heading, const QString& date, bool landscape,
           PrintServices& services) {
    QPrinter& printer = services.printDialog.Printer();
    const BusyCursor busy;
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(heading);
    QPainter painter;
    if (!painter.begin(&printer)) {
        services.messages.Show(platform::MessageType::Error, platform::Buttons::Ok, kNoPrinterMessage);
        return;
    }
    SetPrintTarget(printer.logicalDpiX(), printer.logicalDpiY(), printer.width(), printer.height());
    DrawScreenPrintPage(painter, capture, heading, date);
    painter.end();
}

}  // namespace

QImage CaptureWindow(QWidget* window) {
    QWidget* top = window->window();
    if (ScreenCanBeRead() && top->isVisible()) {
        if (QScreen* screen = top->screen()) {
            const QRect frame = top->frameGeometry().translated(-screen->geometry().topLeft());
            const QPixmap shot = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
            if (!shot.isNull()) return shot.toImage();
        }
    }
    QPixmap own = top->grab();
    own.setDevicePixelRatio(1.0);
    return own.toImage();
}

bool IsLandscapeCapture(const QSize& capture) { return capture.width() > kPortraitMaxWidth; }

QString ScreenPrintHeading(const QString& caption) { return caption + QStringLiteral("画面の印刷"); }

QString ScreenPrintDate(std::int32_t day) {
    const QDate date = QDate(1899, 12, 30).addDays(day);
    // The program speaks Japanese whatever the desktop's language: 金, not Fri.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    return date.toString(QStringLiteral("yyyy/MM/dd")) + u'(' +
           japanese.dayName(date.dayOfWeek(), QLocale::ShortFormat) + u')';
}

QImage ComposeScreenPrintPreview(const QImage& capture, const QString& heading, const QString& date) {
    const bool landscape = IsLandscapeCapture(capture.size());
    const int width = landscape ? kScreenImageLong : kScreenImageShort;
    const int height = landscape ? kScreenImageShort : kScreenImageLong;
    QImage page = WhitePageImage(width, height, kScreenImageDpi);
    SetPrintTarget(kScreenImageDpi, kScreenImageDpi, width, height);
    QPainter painter(&page);
    if (capture.width() <= width && capture.height() <= height) {
        painter.drawImage(QPoint(UnitX(200), UnitY(150)), capture);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(50, 50), QPoint(width - 50 - 1, height - 50 - 1)), capture);
    }
    DrawHeadingAndDate(painter, heading, date);
    return page;
}

QSize ScreenPrintPictureSize(const QSize& capture) {
    const std::int64_t W = PrintPageWidth - UnitX(250);
    const std::int64_t H = PrintPageHeight - UnitY(400);
    const std::int64_t w0 = UnitX(capture.width());
    const std::int64_t h0 = UnitY(capture.height());
    if (w0 <= 0 || h0 <= 0 || W <= 0 || H <= 0) return {};
    if (3 * w0 > W || 3 * h0 > H) {
        // H ÷ W > h0 ÷ w0, compared without rounding.
        if (H * w0 > h0 * W) return QSize(static_cast<int>(W), static_cast<int>(W * h0 / w0));
        return QSize(static_cast<int>(H * w0 / h0), static_cast<int>(H));
    }
    return QSize(static_cast<int>(3 * w0), static_cast<int>(3 * h0));
}

void DrawScreenPrintPage(QPainter& painter, const QImage& capture, const QString& heading, const QString& date) {
    const QSize size = ScreenPrintPictureSize(capture.size());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(UnitX(200), UnitY(300)), size), capture);
    DrawHeadingAndDate(painter, heading, date);
}

void ScreenPrint(QWidget* window, PrintServices& services) {
    if (!window) return;
    const QImage capture = CaptureWindow(window);
    const bool landscape = IsLandscapeCapture(capture.size());
    const QString heading = ScreenPrintHeading(window->window()->windowTitle());
    const QString date = ScreenPrintDate(services.clock.Today());

    std::vector<QImage> pages;
    TTavPRVF preview(services.messages, window);
    {
        const BusyCursor busy;
        pages.push_back(ComposeScreenPrintPreview(capture, heading, date));
        preview.SetPageImages(&pages);
        preview.SetDisplaySize(landscape ? QSize(678, 472) : QSize(472, 678));
        preview.SetZoomStep(landscape ? 339 : 236, landscape ? 236 : 339);
        preview.SetZoomLabel(QStringLiteral("66％"));
        preview.resize(kPreviewDesignWidth, kPreviewDesignHeight);
    }
    if (preview.ShowModal() != PreviewAnswer::Print) return;
    // The one print dialog of the run still holds the last statement's pages.
    services.printDialog.SetPages(1, 1, 1, 1);
    if (!services.printDialog.Execute(&preview)) return;
    Print(capture, heading, date, landscape, services);
}

std::function<void(QWidget*)> ScreenPrintHook(PrintServices& services) {
    return [&services](QWidget* window) { ScreenPrint(window, services); };
}

}  // namespace korvalen::printing
