#include "korvalen/printing/print_dialog.h"

#include <QPrintDialog>
#include <QPrinterInfo>
#include <algorithm>

namespace korvalen::printing {

PrintDialog::PrintDialog() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

PrintDialog::~PrintDialog() = default;

void PrintDialog::SetPages(int minPage, int maxPage, int fromPage, int toPage) {
    minPage_ = minPage;
    maxPage_ = maxPage;
    fromPage_ = fromPage;
    toPage_ = toPage;
}

bool PrintDialog::PrinterReady() {
    if (QPrinterInfo::availablePrinters().isEmpty()) return false;
    QPrinter& printer = *printer_;
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.isValid()) {
        const QString fallback = QPrinterInfo::defaultPrinterName();
        if (!fallback.isEmpty()) printer.setPrinterName(fallback);
    }
    return printer.isValid();
}

bool PrintDialog::Execute(QWidget* parent) {
    printer_->setFromTo(fromPage_, toPage_);
    if (!RunDialog(parent)) return false;
    TakeRangeFromPrinter();
    return true;
}

bool PrintDialog::RunDialog(QWidget* parent) {
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(minPage_, maxPage_);
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialog::TakeRangeFromPrinter() {
    const QPrinter& printer = *printer_;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        fromPage_ = std::clamp(printer.fromPage(), minPage_, maxPage_);
        toPage_ = std::clamp(printer.toPage() > 0 ? printer.toPage() : maxPage_, fromPage_, maxPage_);
    } else {
        fromPage_ = minPage_;
        toPage_ = maxPage_;
    }
}

}  // namespace korvalen::printing
