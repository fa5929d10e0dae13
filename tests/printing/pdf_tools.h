// The poppler tools read back what the printing wrote: text per page,
// document information, fonts, and pages as pictures.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "korvalen/testsupport/child_process.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::printing::fixtures {

// The tool's standard output; a failed run fails the test.
inline std::string RunTool(const std::string& tool, const std::vector<std::string>& args) {
    testsupport::ChildProcess child("/usr/bin/" + tool, args);
    const int code = child.Wait();
    EXPECT_EQ(code, 0) << tool << ": " << child.Err();
    return child.Out();
}

// The text of one page (from 1), in reading order.
inline std::string PdfPageText(const std::string& pdf, int page) {
    return RunTool("pdftotext", {"-layout", "-f", std::to_string(page), "-l", std::to_string(page), pdf, "-"});
}

inline std::string PdfInfo(const std::string& pdf, bool metadata = false) {
    return metadata ? RunTool("pdfinfo", {"-meta", pdf}) : RunTool("pdfinfo", {pdf});
}

inline int PdfPageCount(const std::string& pdf) {
    const std::string info = PdfInfo(pdf);
    const auto at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// One line per font: name, type, encoding, emb, sub, uni, object.
inline std::vector<std::string> PdfFontLines(const std::string& pdf) {
    const std::string text = RunTool("pdffonts", {pdf});
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    // Drop the two heading lines.
    if (lines.size() >= 2) lines.erase(lines.begin(), lines.begin() + 2);
    return lines;
}

// The page rendered by pdftoppm at `dpi`.
inline QImage PdfPageImage(const std::string& pdf, int page, int dpi) {
    testsupport::TempFolder folder("pdftoppm");
    const std::string stem = folder / "page";
    RunTool("pdftoppm", {"-r", std::to_string(dpi), "-f", std::to_string(page), "-l", std::to_string(page),
                         "-singlefile", "-png", pdf, stem});
    return QImage(QString::fromStdString(stem + ".png"));
}

}  // namespace korvalen::printing::fixtures
