#include "korvalen/printing/statement_print.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>
#include <filesystem>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/testsupport/temp_folder.h"
#include "pdf_tools.h"
#include "scripted_print.h"
#include "statement_fixtures.h"

namespace korvalen::printing {
namespace {

using fixtures::PreviewScript;
using fixtures::ScriptedPrintDialog;

// The printer of the shared dialog prints into a PDF file, so what reached
// the printer can be read back.
class StatementPrinting : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
        dialog.Printer().setOutputFileName(QString::fromStdString(printed));
    }
    bool Printed() const { return std::filesystem::exists(printed); }
    void ExpectNoMessages() { EXPECT_TRUE(messages.Shown().empty()); }

    testsupport::TempFolder folder{"statement-print"};
    const std::string printed = folder / "printer.pdf";
    ScriptedPrintDialog dialog;
    platform::ScriptedMessages messages;
    platform::FixedClock clock{platform::DayNumberOf(2024, 5, 3)};
    PrintServices services{dialog, messages, clock};
};

TEST_F(StatementPrinting, WithoutAPrinterNothingIsAskedOrPrinted) {
    dialog.printerReady = false;
    PrintStatement(fixtures::NumberedStatement(10), false, services, nullptr);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "プリンタがありません");
    EXPECT_EQ(messages.Shown()[0].type, platform::MessageType::Error);
    EXPECT_EQ(messages.Shown()[0].buttons, platform::Buttons::Ok);
    EXPECT_TRUE(dialog.seen.empty());
    EXPECT_FALSE(Printed());
}

TEST_F(StatementPrinting, TheDialogOffersEveryPageAndACancelPrintsNothing) {
    dialog.Printer().setPageSize(QPageSize(QPageSize::Letter));
    dialog.Printer().setPageOrientation(QPageLayout::Landscape);
    dialog.answers.push_back({false});
    PrintStatement(fixtures::NumberedStatement(100), false, services, nullptr);
    ASSERT_EQ(dialog.seen.size(), 1u);
    EXPECT_EQ(dialog.seen[0].minPage, 1);
    EXPECT_EQ(dialog.seen[0].maxPage, 3);
    EXPECT_EQ(dialog.seen[0].fromPage, 1);
    EXPECT_EQ(dialog.seen[0].toPage, 3);
    // The direct print sets A4 portrait before the dialog shows.
    EXPECT_EQ(dialog.Printer().pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(dialog.Printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_FALSE(Printed());
    ExpectNoMessages();
}

TEST_F(StatementPrinting, PagesTwoToTwoOfThreePrintOneSheetNumberedTwo) {
    const StatementInput input = fixtures::NumberedStatement(120);
    dialog.answers.push_back({true, 2, 2});
    PrintStatement(input, false, services, nullptr);
    ASSERT_TRUE(Printed());
    EXPECT_EQ(fixtures::PdfPageCount(printed), 1);
    const std::string text = fixtures::PdfPageText(printed, 1);
    EXPECT_NE(text.find("Page. 2"), std::string::npos);
    EXPECT_NE(text.find("#49"), std::string::npos);
    EXPECT_NE(text.find("#96"), std::string::npos);
    EXPECT_EQ(text.find("#48 "), std::string::npos);
    EXPECT_EQ(text.find("#97"), std::string::npos);
    EXPECT_NE(fixtures::PdfInfo(printed).find("Title:           引直計算"), std::string::npos);
    // The next printout's dialog starts again from every page.
    dialog.answers.push_back({false});
    PrintStatement(input, false, services, nullptr);
    EXPECT_EQ(dialog.seen.back().fromPage, 1);
    EXPECT_EQ(dialog.seen.back().toPage, 3);
}

TEST_F(StatementPrinting, ThePreviewHoldsEveryPageAndClosingItPrintsNothing) {
    PreviewScript script;
    script.Then([](TTavPRVF& window) {
        EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("50％"));
        EXPECT_EQ(window.DisplaySize(), QSize(472, 678));
        EXPECT_EQ(window.size(), QSize(512, 768));
        EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("TotalEdit"))->text(), QStringLiteral("3"));
        ASSERT_NE(window.CurrentImage(), nullptr);
        EXPECT_EQ(window.CurrentImage()->size(), QSize(944, 1356));
        PreviewScript::Press(window, "SBClose");
    });
    PrintStatement(fixtures::NumberedStatement(100), true, services, nullptr);
    EXPECT_EQ(script.Showings(), 1);
    EXPECT_TRUE(dialog.seen.empty());
    EXPECT_FALSE(Printed());
}

TEST_F(StatementPrinting, ACancelledPrintDialogReturnsToThePreviewAsItWas) {
    dialog.Printer().setPageSize(QPageSize(QPageSize::Letter));
    dialog.answers.push_back({false});
    dialog.answers.push_back({true});
    PreviewScript script;
    script.Then([](TTavPRVF& window) {
        window.findChild<QToolButton*>(QStringLiteral("UpBtn"))->click();
        PreviewScript::Press(window, "PrintBtn");
    });
    script.Then([](TTavPRVF& window) {
        EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("75％"));
        PreviewScript::Press(window, "PrintBtn");
    });
    PrintStatement(fixtures::NumberedStatement(60), true, services, nullptr);
    EXPECT_EQ(script.Showings(), 2);
    ASSERT_EQ(dialog.seen.size(), 2u);
    ASSERT_TRUE(Printed());
    EXPECT_EQ(fixtures::PdfPageCount(printed), 2);
    // From the preview only the orientation is set; the paper stays as chosen.
    EXPECT_EQ(dialog.Printer().pageLayout().pageSize().id(), QPageSize::Letter);
    ExpectNoMessages();
}

TEST_F(StatementPrinting, WithoutAPrinterThePreviewComesBack) {
    dialog.printerReady = false;
    PreviewScript script;
    script.Then([](TTavPRVF& window) { PreviewScript::Press(window, "PrintBtn"); });
    PrintStatement(fixtures::NumberedStatement(5), true, services, nullptr);
    EXPECT_EQ(script.Showings(), 2);  // the second showing is closed by the script
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "プリンタがありません");
    EXPECT_TRUE(dialog.seen.empty());
}

TEST_F(StatementPrinting, ThePreviewSavesThePdfWhereTheUserChooses) {
    const std::string chosen = folder / "計算書_山田太郎";
    QString suggested;
    services.chooseSaveFile = [&](QWidget*, const QString&, const QString& suggestion) {
        suggested = suggestion;
        return QString::fromStdString(chosen);
    };
    PreviewScript script;
    script.Then([](TTavPRVF& window) {
        auto* pdf = window.findChild<QAbstractButton*>(QStringLiteral("PdfBtn"));
        ASSERT_NE(pdf, nullptr);
        EXPECT_TRUE(pdf->isVisible());
        pdf->click();
        PreviewScript::Press(window, "SBClose");
    });
    PrintStatement(fixtures::NumberedStatement(60), true, services, nullptr);
    EXPECT_TRUE(suggested.endsWith(QStringLiteral("計算書_山田太郎.pdf")));
    ASSERT_TRUE(std::filesystem::exists(chosen + ".pdf"));
    EXPECT_EQ(fixtures::PdfPageCount(chosen + ".pdf"), 2);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].type, platform::MessageType::Information);
    EXPECT_FALSE(Printed());

    // The next statement of the run is suggested in the folder just used.
    EXPECT_TRUE(SaveStatementPdf(fixtures::NumberedStatement(3), services, nullptr));
    EXPECT_EQ(QFileInfo(suggested).absolutePath(), QString::fromStdString(folder.path().string()));
}

TEST_F(StatementPrinting, APdfThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    const std::string missing = folder / "no-such-folder/計算書.pdf";
    services.chooseSaveFile = [&](QWidget*, const QString&, const QString&) { return QString::fromStdString(missing); };
    EXPECT_FALSE(SaveStatementPdf(fixtures::NumberedStatement(3), services, nullptr));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].type, platform::MessageType::Error);
    EXPECT_NE(messages.Shown()[0].text.find("PDFファイルを作成できません。\r\n"), std::string::npos);
    EXPECT_NE(messages.Shown()[0].text.find("no-such-folder"), std::string::npos);
    // Cancelling the file dialog does nothing at all.
    services.chooseSaveFile = [](QWidget*, const QString&, const QString&) { return QString(); };
    EXPECT_FALSE(SaveStatementPdf(fixtures::NumberedStatement(3), services, nullptr));
    EXPECT_EQ(messages.Shown().size(), 1u);
}

}  // namespace
}  // namespace korvalen::printing
