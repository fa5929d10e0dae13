// The shared print dialog PrintDialog1: one object for the run of the
// program, so the printer chosen and its settings carry over from one
// printout to the next. The program owns it and hands it to every printout.
#pragma once

#include <QPrinter>
#include <memory>

class QWidget;

namespace korvalen::printing {

class PrintDialog {
public:
    PrintDialog();
    virtual ~PrintDialog();
    PrintDialog(const PrintDialog&) = delete;
    PrintDialog& operator=(const PrintDialog&) = delete;

    // The printer with the settings kept for the run.
    QPrinter& Printer() { return *printer_; }

    // The page fields, set before every printout: page numbers enabled,
    // the range min..max, the "from" and "to" pages.
    void SetPages(int minPage, int maxPage, int fromPage, int toPage);
    int MinPage() const { return minPage_; }
    int MaxPage() const { return maxPage_; }
    int FromPage() const { return fromPage_; }
    int ToPage() const { return toPage_; }

    // Whether printing can start: some printer is installed and the one
    // chosen can be printed on. A printer never chosen, or one removed
    // since, gives way to the system's default printer first.
    virtual bool PrinterReady();

    // Shows the dialog over `parent`; true when the user confirmed. The
    // "from" and "to" pages then hold the pages to print.
    bool Execute(QWidget* parent);

protected:
    // The dialog itself, on Printer(); true on confirm. Tests answer here.
    virtual bool RunDialog(QWidget* parent);
    // Takes the range the dialog left in the printer (all pages: min..max).
    void TakeRangeFromPrinter();

private:
    std::unique_ptr<QPrinter> printer_;
    int minPage_ = 1;
    int maxPage_ = 1;
    int fromPage_ = 1;
    int toPage_ = 1;
};

}  // namespace korvalen::printing
