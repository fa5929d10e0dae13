#include "korvalen/printing/statement_print.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QStandardPaths>
#include <algorithm>

#include "busy_cursor.h"
#include "korvalen/printing/printex.h"
#include "korvalen/printing/tav_prv.h"
#include "page_image.h"

namespace korvalen::printing {

namespace {

// Prints the pages the print dialog left chosen; the direct print and the
// print from the preview both end here.
void PrintOnPrinter(const StatementInput& input, PrintServices& services) {
    QPrinter& printer = services.printDialog.Printer();
    const PageRange range{services.printDialog.FromPage(), services.printDialog.ToPage()};
    const BusyCursor busy;
    printer.setDocName(QString::fromUtf8(kStatementDocumentTitle));
    QPainter painter;
    if (!painter.begin(&printer)) {
        services.messages.Show(platform::MessageType::Error, platform::Buttons::Ok, kNoPrinterMessage);
        return;
    }
    SetPrintTarget(DeviceDpiX(printer), DeviceDpiY(printer), printer.width(), printer.height());
    painter.setBrush(Qt::NoBrush);
    DrawStatementRows(painter, input, range, [&printer] { printer.newPage(); });
    painter.end();
}

void SetUpDialog(const StatementInput& input, PrintDialog& dialog) {
    const int pages = StatementPageCount(input);
    dialog.SetPages(1, pages, 1, pages);
}

QString SuggestedPdfPath(const StatementInput& input, const QString& lastFolder) {
    QString name = QStringLiteral("計算書");
    if (!input.debtor.trimmed().isEmpty()) name += u'_' + input.debtor.trimmed();
    // Characters no file name may hold on the desktops the program runs on.
    for (QChar& c : name) {
        if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 0x20) c = u'_';
    }
    QString folder = lastFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    }
    return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

QString AskForFile(PrintServices& services, QWidget* parent, const QString& caption, const QString& suggested) {
    if (services.chooseSaveFile) return services.chooseSaveFile(parent, caption, suggested);
    return QFileDialog::getSaveFileName(parent, caption, suggested, QStringLiteral("PDF ファイル (*.pdf)"));
}

}  // namespace

std::vector<QImage> RenderStatementPages(const StatementInput& input, const PageRange& range) {
    std::vector<QImage> pages;
    QImage working = WhitePageImage(kStatementImageWidth, kStatementImageHeight, kStatementImageDpi);
    SetPrintTarget(kStatementImageDpi, kStatementImageDpi, kStatementImageWidth, kStatementImageHeight);
    {
        QPainter painter(&working);
        painter.setBrush(Qt::NoBrush);
        DrawStatementRows(painter, input, range, [&] {
            pages.push_back(working.copy());
            painter.fillRect(working.rect(), Qt::white);
        });
    }
    pages.push_back(std::move(working));
    return pages;
}

void PrintStatement(const StatementInput& input, bool preview, PrintServices& services, QWidget* parent) {
    PrintDialog& dialog = services.printDialog;
    SetUpDialog(input, dialog);
    if (!preview) {
        if (!dialog.PrinterReady()) {
            services.messages.Show(platform::MessageType::Error, platform::Buttons::Ok, kNoPrinterMessage);
            return;
        }
        dialog.Printer().setPageSize(QPageSize(QPageSize::A4));
        dialog.Printer().setPageOrientation(QPageLayout::Portrait);
        if (!dialog.Execute(parent)) return;
        PrintOnPrinter(input, services);
        return;
    }

    std::vector<QImage> pages;
    TTavPRVF window(services.messages, parent);
    {
        const BusyCursor busy;
        pages = RenderStatementPages(input, {dialog.FromPage(), dialog.ToPage()});
        const QSize display(kStatementImageWidth / 2, kStatementImageHeight / 2);
        window.SetPageImages(&pages);
        window.SetDisplaySize(display);
        window.SetZoomStep(kStatementImageWidth / 4, kStatementImageHeight / 4);
        window.SetZoomLabel(QStringLiteral("50％"));
        window.SetPdfSaver([&input, &services](QWidget* owner) { SaveStatementPdf(input, services, owner); });
        window.resize(display.width() + 40, display.height() + 90);
    }
    while (window.ShowModal() == PreviewAnswer::Print) {
        // With no printer to print on, the preview comes back, so the
        // pages can still be saved or copied.
        if (!dialog.PrinterReady()) {
            services.messages.Show(platform::MessageType::Error, platform::Buttons::Ok, kNoPrinterMessage);
            continue;
        }
        dialog.Printer().setPageOrientation(QPageLayout::Portrait);
        if (!dialog.Execute(&window)) continue;
        PrintOnPrinter(input, services);
        break;
    }
}

bool SaveStatementPdf(const StatementInput& input, PrintServices& services, QWidget* parent) {
    QString path = AskForFile(services, parent, QStringLiteral("計算書をPDFファイルに保存"),
                              SuggestedPdfPath(input, services.lastPdfFolder));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    try {
        const BusyCursor busy;
        WriteStatementPdf(input, path, {1, StatementPageCount(input)});
    } catch (const PrintError& e) {
        services.messages.Show(platform::MessageType::Error, platform::Buttons::Ok, e.what());
        return false;
    }
    services.lastPdfFolder = QFileInfo(path).absolutePath();
    services.messages.Show(platform::MessageType::Information, platform::Buttons::Ok,
                           ("PDFファイルに保存しました。\r\n" + QDir::toNativeSeparators(path)).toStdString());
    return true;
}

}  // namespace korvalen::printing
