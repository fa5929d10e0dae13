// The recalculation page's statement: the preview, the direct print and
// the PDF file, each from the case and the table as the wizard shows them.
#include <QFileInfo>

#include "pdf_tools.h"
#include "wizard_fixture.h"

namespace korvalen::wizard {
namespace {

using fixtures::ExampleHeader;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct RecalculationShown : fixtures::WizardPc {
    RecalculationShown() {
        engine::CaseRecord header = ExampleHeader(1);
        header.BIKO = "見本の事件";
        StoreCase(header);
        Opened(WizardOpening::Reference, 1);
        Next();
        EXPECT_EQ(Page(), kRecalculationPage);
    }
};

TEST(WizardStatement, PdfSaveWritesTheStatementOfTheShownCaseWithItsClaim) {
    RecalculationShown f;
    const std::string path = f.root / "計算書.pdf";
    f.pdfPath = QString::fromStdString(path);
    f.Click("PdfBtn");

    ASSERT_TRUE(QFileInfo::exists(f.pdfPath));
    EXPECT_THAT(f.Texts(), ElementsAre("PDFファイルに保存しました。\r\n" + path));
    const std::string text = printing::fixtures::PdfPageText(path, 1);
    EXPECT_THAT(text, HasSubstr("アコム株式会社"));
    EXPECT_THAT(text, HasSubstr("見本の事件"));
    EXPECT_THAT(text, HasSubstr("268,515"));
}

TEST(WizardStatement, PreviewAndScreenPrintShowThePagesAndPrintWithoutAPrinterSaysSo) {
    RecalculationShown f;
    printing::fixtures::PreviewScript preview;
    f.Click("PreviewBtn");
    EXPECT_EQ(preview.Showings(), 1);
    EXPECT_TRUE(f.wizard->isVisible());
    // Ctrl+P prints the window itself, through the same preview.
    QTest::keyClick(f.Find("StringGrid3"), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(preview.Showings(), 2);

    f.printDialog.printerReady = false;
    f.Click("PrintBtn");
    EXPECT_THAT(f.Texts(), ElementsAre("プリンタがありません"));
    EXPECT_EQ(f.pc.messages.Shown()[0].type, platform::MessageType::Error);
}

}  // namespace
}  // namespace korvalen::wizard
