#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "korvalen/printing/printex.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"
#include "pdf_tools.h"
#include "statement_fixtures.h"

namespace korvalen::printing {
namespace {

std::string WithoutBlanks(std::string text) {
    std::erase(text, ' ');
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Utf8(const QString& text) { return text.toStdString(); }

class StatementPdf : public ::testing::Test {
protected:
    std::string Write(const StatementInput& input, PageRange range) {
        WriteStatementPdf(input, QString::fromStdString(path), range);
        return path;
    }
    testsupport::TempFolder folder{"statement-pdf"};
    const std::string path = folder / "計算書.pdf";
};

TEST_F(StatementPdf, EveryRowIsOnItsPageInOrderWithItsCells) {
    const StatementInput input = fixtures::RecalculatedStatement(100, true, true);
    ASSERT_TRUE(input.claimSummary.startsWith(QStringLiteral("過払金")));  // the case ends overpaid
    Write(input, {1, 3});
    ASSERT_EQ(fixtures::PdfPageCount(path), 3);
    std::size_t row = 0;
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(::testing::Message() << "page " << page);
        const std::string text = fixtures::PdfPageText(path, page);
        EXPECT_NE(text.find("Page. " + std::to_string(page)), std::string::npos);
        EXPECT_NE(text.find("債権者名"), std::string::npos);
        EXPECT_NE(text.find("アコム株式会社"), std::string::npos);
        EXPECT_NE(text.find("山田太郎"), std::string::npos);
        EXPECT_NE(text.find("計算開始年月日"), std::string::npos);
        EXPECT_NE(text.find("不当利得返還請求事件"), std::string::npos);
        EXPECT_NE(WithoutBlanks(text).find("元金返済額"), std::string::npos);
        // The rows of this page, one text line each, in the table's order.
        for (const std::string& line : Lines(text)) {
            if (row >= input.rows.size()) break;
            const StatementRow& cells = input.rows[row];
            if (line.find(Utf8(cells[0])) == std::string::npos) continue;
            std::string expected;
            for (const QString& cell : cells) expected += Utf8(cell);
            EXPECT_EQ(WithoutBlanks(line), WithoutBlanks(expected)) << "row " << row + 1;
            ++row;
        }
        EXPECT_EQ(row, std::min<std::size_t>(45u * page, 100u));
        // The claim stands under the table of the last page only.
        EXPECT_EQ(text.find("過払金") != std::string::npos, page == 3);
    }
}

TEST_F(StatementPdf, FontsAreEmbeddedAndTheDocumentNamesItsCase) {
    Write(fixtures::RecalculatedStatement(3, false, true), {1, 1});
    const auto fonts = fixtures::PdfFontLines(path);
    ASSERT_FALSE(fonts.empty());
    bool gothic = false, mincho = false;
    for (const std::string& font : fonts) {
        std::istringstream fields(font);
        std::string name, type1, type2, encoding, embedded;
        fields >> name >> type1 >> type2 >> encoding >> embedded;
        EXPECT_EQ(embedded, "yes") << font;
        gothic = gothic || name.find("IPAGothic") != std::string::npos;
        mincho = mincho || name.find("IPAMincho") != std::string::npos;
    }
    EXPECT_TRUE(gothic && mincho);
    const std::string info = fixtures::PdfInfo(path);
    EXPECT_NE(info.find("Title:           引直計算"), std::string::npos);
    EXPECT_NE(info.find("Page size:       595 x 842 pts (A4)"), std::string::npos);
    const std::string meta = fixtures::PdfInfo(path, true);
    EXPECT_NE(meta.find("債権者名：アコム株式会社"), std::string::npos);
    EXPECT_NE(meta.find("債務者：山田太郎"), std::string::npos);
}

TEST_F(StatementPdf, NamesWithMarkupCharactersStayReadableInTheMetadata) {
    StatementInput input = fixtures::NumberedStatement(1);
    input.creditor = QStringLiteral("A&B <ローン>");
    Write(input, {1, 1});
    EXPECT_NE(fixtures::PdfInfo(path, true).find("債権者名：A&amp;B &lt;ローン&gt;"), std::string::npos);
}

TEST_F(StatementPdf, TextSizesAreThoseOfThePaper) {
    Write(fixtures::NumberedStatement(3), {1, 1});
    const std::string boxes = fixtures::RunTool("pdftotext", {"-bbox", path, "-"});
    // <word xMin=".." yMin=".." xMax=".." yMax="..">text</word>, in points.
    const auto height = [&](const std::string& word) {
        const auto end = boxes.find(">" + word + "</word>");
        EXPECT_NE(end, std::string::npos) << word;
        const auto start = boxes.rfind("<word", end);
        const std::string tag = boxes.substr(start, end - start);
        const auto value = [&](const char* name) {
            const auto at = tag.find(std::string(name) + "=\"");
            return std::stod(tag.substr(at + std::strlen(name) + 2));
        };
        return value("yMax") - value("yMin");
    };
    const double page = height("Page.");  // 10 points
    const double title = height("計");    // 16 points
    EXPECT_GT(page, 9.0);
    EXPECT_LT(page, 12.0);
    EXPECT_NEAR(title / page, 1.6, 0.1);
}

TEST_F(StatementPdf, TheTableStandsWhereItIsLaidOutOnTheSheet) {
    Write(fixtures::NumberedStatement(3), {1, 1});
    const QImage sheet = fixtures::PdfPageImage(path, 1, 120);
    ASSERT_EQ(sheet.size(), QSize(992, 1404));  // A4 at 120 dpi, rounded up
    SetPrintTarget(120, 120, 944, 1356);
    const double margin = kPdfMarginMillimetres / 25.4 * 120;
    const auto dark = [&](int x, int y) { return qGray(sheet.pixel(x, y)) < 128; };
    // The table's left frame line at 200 units, half-way down, and its
    // bottom line at 3280 units; paper just outside both.
    const int left = static_cast<int>(margin + UnitX(200) + 0.5);
    const int bottom = static_cast<int>(margin + UnitY(3280) + 0.5);
    const int middle = static_cast<int>(margin + UnitY(1800));
    const auto darkNear = [&](int x, int y, bool vertical) {
        for (int d = -2; d <= 2; ++d) {
            if (vertical ? dark(x + d, y) : dark(x, y + d)) return true;
        }
        return false;
    };
    EXPECT_TRUE(darkNear(left, middle, true));
    EXPECT_FALSE(dark(left - 6, middle));
    EXPECT_TRUE(darkNear(static_cast<int>(margin + UnitX(1000)), bottom, false));
    EXPECT_FALSE(dark(static_cast<int>(margin + UnitX(1000)), bottom + 8));
}

TEST_F(StatementPdf, ARangeWritesOnlyItsPagesNumberedAsInTheWhole) {
    Write(fixtures::NumberedStatement(150), {2, 3});
    ASSERT_EQ(fixtures::PdfPageCount(path), 2);
    EXPECT_NE(fixtures::PdfPageText(path, 1).find("Page. 2"), std::string::npos);
    EXPECT_NE(fixtures::PdfPageText(path, 2).find("Page. 3"), std::string::npos);
}

TEST_F(StatementPdf, AnExistingFileIsReplacedAndNoPartIsLeftBehind) {
    testsupport::WriteWholeFile(path, "not a statement");
    Write(fixtures::NumberedStatement(3), {1, 1});
    EXPECT_EQ(testsupport::ReadWholeFile(path).substr(0, 5), "%PDF-");
    const auto perms = std::filesystem::status(path).permissions();
    EXPECT_NE(perms & std::filesystem::perms::group_read, std::filesystem::perms::none);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(StatementPdf, AFileThatCannotBeMadeIsAnErrorForTheUser) {
    for (const std::string& target : {folder / "missing/計算書.pdf", folder.path().string()}) {
        try {
            WriteStatementPdf(fixtures::NumberedStatement(3), QString::fromStdString(target), {1, 1});
            ADD_FAILURE() << "written: " << target;
        } catch (const PrintError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("PDFファイルを作成できません。\r\n", 0), 0u) << e.what();
        }
    }
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++files;
    EXPECT_EQ(files, 0);
}

}  // namespace
}  // namespace korvalen::printing
