// Printing the calculation statement: straight to the printer, through the
// preview, or into a PDF file. The wizard's recalculation page calls
// PrintStatement from 印刷プレビュー（&V） and 印刷（&P）, and
// SaveStatementPdf where it offers a PDF; korvalen-db writes the same PDF
// with WriteStatementPdf.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/messages.h"
#include "korvalen/printing/print_dialog.h"
#include "korvalen/printing/statement.h"

class QWidget;

namespace korvalen::printing {

// Asks where to save a file: the path chosen, or empty when cancelled.
using SaveFileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& suggestedPath)>;

// What every printout needs of the program; one for the run, owned by the
// program.
struct PrintServices {
    PrintDialog& printDialog;  // PrintDialog1
    platform::MessageService& messages;
    const platform::Clock& clock;
    // Empty: the desktop's file dialog.
    SaveFileChooser chooseSaveFile = {};
    // Where the last statement PDF of this run went: the next one is
    // suggested there (empty: the user's documents folder).
    QString lastPdfFolder = {};
};

// A PDF that could not be written; what() is the message for the user.
class PrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kNoPrinterMessage = "プリンタがありません";
inline constexpr const char* kStatementDocumentTitle = "引直計算";

// Preview page images: 944 × 1356 pixels at 120 pixels per inch.
inline constexpr int kStatementImageWidth = 944;
inline constexpr int kStatementImageHeight = 1356;
inline constexpr int kStatementImageDpi = 120;

// Prints the statement: preview = true renders every page into images and
// opens the preview, from which the user may print; false prints directly
// after the print dialog. Never changes the case.
void PrintStatement(const StatementInput& input, bool preview, PrintServices& services, QWidget* parent);

// The pages of `range` as page images of the preview, page 1 (of the range) first.
std::vector<QImage> RenderStatementPages(const StatementInput& input, const PageRange& range);

// Writes the pages of `range` as an A4 portrait PDF (fonts embedded, text
// extractable, title 引直計算, the names in its metadata). The file appears
// whole or not at all; an existing file is replaced only on success.
// Throws PrintError.
void WriteStatementPdf(const StatementInput& input, const QString& path, const PageRange& range);

// Asks for a file name and writes every page there, telling the user how
// it went; false when cancelled or failed.
bool SaveStatementPdf(const StatementInput& input, PrintServices& services, QWidget* parent);

// The PDF's page: A4 with these margins on every side, so that its
// printable area is that of the preview's page images.
inline constexpr double kPdfMarginMillimetres = 5.0;

}  // namespace korvalen::printing
