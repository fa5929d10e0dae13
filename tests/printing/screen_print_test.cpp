#include "korvalen/printing/screen_print.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/printing/printex.h"
#include "korvalen/testsupport/temp_folder.h"
#include "pdf_tools.h"
#include "scripted_print.h"

namespace korvalen::printing {
namespace {

using fixtures::PreviewScript;

QImage Solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A plain dialog of the given width, painted red so that it shows on the page.
class PlainDialog : public QDialog {
public:
    explicit PlainDialog(int width) {
        setWindowTitle(QStringLiteral("データベースの設定"));
        setStyleSheet(QStringLiteral("QDialog { background: rgb(220, 0, 0); }"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("フォルダ")));
        setFixedSize(width, 300);
    }
};

TEST(ScreenPrintTexts, HeadingAndDateWithTheJapaneseWeekday) {
    // Whatever the desktop's language is.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(ScreenPrintHeading(QStringLiteral("バージョン情報")), QStringLiteral("バージョン情報画面の印刷"));
    EXPECT_EQ(ScreenPrintDate(platform::DayNumberOf(2024, 5, 3)), QStringLiteral("2024/05/03(金)"));
    EXPECT_EQ(ScreenPrintDate(platform::DayNumberOf(2000, 1, 9)), QStringLiteral("2000/01/09(日)"));
    QLocale::setDefault(before);
}

TEST(ScreenPrintPreviewPage, ACaptureThatFitsIsCopiedUnscaledWithTheHeadingOverIt) {
    const QImage page = ComposeScreenPrintPreview(Solid({400, 300}, Qt::red), QStringLiteral("見出し画面の印刷"),
                                                  QStringLiteral("2024/05/03(金)"));
    ASSERT_EQ(page.size(), QSize(708, 1017));
    EXPECT_EQ(page.logicalDpiX(), 90);
    // At 90 dpi: the capture's corner at (60, 45), the heading's top at 75.
    EXPECT_EQ(page.pixel(60, 200), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(459, 344), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(59, 200), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(460, 200), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(200, 345), qRgb(255, 255, 255));
    // The date stands on paper above the capture, the heading on the capture.
    bool dateInk = false, headingInk = false;
    for (int x = 60; x < 160; ++x) {
        for (int y = 30; y < 45; ++y) dateInk = dateInk || qGray(page.pixel(x, y)) < 100;
        for (int y = 76; y < 88; ++y) headingInk = headingInk || qRed(page.pixel(x, y)) < 100;
    }
    EXPECT_TRUE(dateInk);
    EXPECT_TRUE(headingInk);
}

TEST(ScreenPrintPreviewPage, ALargerCaptureIsShrunkIntoThePageLessFiftyPixels) {
    const QImage page = ComposeScreenPrintPreview(Solid({1400, 900}, Qt::blue), QString(), QString());
    ASSERT_EQ(page.size(), QSize(1017, 708));  // landscape
    EXPECT_EQ(page.pixel(50, 600), qRgb(0, 0, 255));
    EXPECT_EQ(page.pixel(966, 657), qRgb(0, 0, 255));
    EXPECT_EQ(page.pixel(49, 600), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(967, 600), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(500, 658), qRgb(255, 255, 255));
}

TEST(ScreenPrintPicture, ThreeLayoutUnitsAScreenPixelOrAsLargeAsFits) {
    struct {
        int dpi, pageWidth, pageHeight;
        QSize capture, printed;
    } cases[] = {
        // 400 × 300 at 600 dpi: 4 × 3 inches.
        {600, 4800, 6600, {400, 300}, {2400, 1800}},
        {300, 2400, 3300, {600, 300}, {1800, 900}},
        // Too wide: W = 2400 − 250 = 2150, the height follows the width.
        {300, 2400, 3300, {1000, 300}, {2150, 645}},
        // Too high: H = 3300 − 400 = 2900, the width follows the height.
        {300, 2400, 3300, {400, 1200}, {966, 2900}},
        // Landscape page, a wide window: W = 3050 by trunc(3050 × 600 ÷ 1280).
        {300, 3300, 2400, {1280, 600}, {3050, 1429}},
    };
    for (const auto& c : cases) {
        SetPrintTarget(c.dpi, c.dpi, c.pageWidth, c.pageHeight);
        EXPECT_EQ(ScreenPrintPictureSize(c.capture), c.printed) << c.capture.width() << "x" << c.capture.height();
    }
}

TEST(ScreenPrintPicture, OnPaperThePictureStandsBelowTheDateAndTheHeading) {
    // A 600-dpi page of 3000 × 2600 pixels.
    QImage paper(3000, 2600, QImage::Format_RGB32);
    paper.setDotsPerMeterX(qRound(600 / 0.0254));
    paper.setDotsPerMeterY(qRound(600 / 0.0254));
    paper.fill(Qt::white);
    SetPrintTarget(600, 600, paper.width(), paper.height());
    {
        QPainter painter(&paper);
        DrawScreenPrintPage(painter, Solid({400, 300}, Qt::red), QStringLiteral("見出し"),
                            QStringLiteral("2024/05/03(金)"));
    }
    // At (200, 300) units = (400, 600) pixels, 2400 × 1800 pixels.
    EXPECT_EQ(paper.pixel(400, 600), qRgb(255, 0, 0));
    EXPECT_EQ(paper.pixel(2799, 2399), qRgb(255, 0, 0));
    EXPECT_EQ(paper.pixel(399, 1000), qRgb(255, 255, 255));
    EXPECT_EQ(paper.pixel(2800, 1000), qRgb(255, 255, 255));
    EXPECT_EQ(paper.pixel(1000, 2400), qRgb(255, 255, 255));
    EXPECT_EQ(paper.pixel(1000, 599), qRgb(255, 255, 255));
}

class ScreenPrinting : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
        dialog.Printer().setOutputFileName(QString::fromStdString(printed));
    }
    testsupport::TempFolder folder{"screen-print"};
    const std::string printed = folder / "printer.pdf";
    fixtures::ScriptedPrintDialog dialog;
    platform::ScriptedMessages messages;
    platform::FixedClock clock{platform::DayNumberOf(2024, 5, 3)};
    PrintServices services{dialog, messages, clock};
};

TEST_F(ScreenPrinting, NarrowDialogsPreviewInPortraitAndWideOnesInLandscape) {
    struct {
        int width;
        QSize page, display;
    } cases[] = {
        {600, {708, 1017}, {472, 678}},
        {640, {708, 1017}, {472, 678}},
        {700, {1017, 708}, {678, 472}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        PlainDialog window(c.width);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        PreviewScript script;
        QImage previewed;
        script.Then([&](TTavPRVF& preview) {
            ASSERT_NE(preview.CurrentImage(), nullptr);
            previewed = *preview.CurrentImage();
            EXPECT_EQ(preview.DisplaySize(), c.display);
            EXPECT_EQ(preview.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("66％"));
            EXPECT_FALSE(preview.findChild<QWidget*>(QStringLiteral("PagePanel"))->isVisible());
            PreviewScript::Press(preview, "SBClose");
        });
        ScreenPrint(&window, services);
        EXPECT_EQ(script.Showings(), 1);
        EXPECT_EQ(previewed.size(), c.page);
        // The captured dialog is on the page, unscaled at (60, 45).
        EXPECT_EQ(previewed.pixel(60 + c.width / 2, 45 + 150), qRgb(220, 0, 0));
        EXPECT_TRUE(dialog.seen.empty());
        EXPECT_FALSE(std::filesystem::exists(printed));
    }
}

TEST_F(ScreenPrinting, PrintingFromThePreviewPutsTheWindowOnPaperInItsOrientation) {
    PlainDialog window(700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // A statement printed earlier in the run left its pages in the dialog.
    dialog.SetPages(1, 21, 2, 2);
    dialog.answers.push_back({true});
    PreviewScript script;
    script.Then([](TTavPRVF& preview) { PreviewScript::Press(preview, "PrintBtn"); });
    ScreenPrint(&window, services);
    ASSERT_EQ(dialog.seen.size(), 1u);
    EXPECT_EQ(dialog.seen[0].minPage, 1);
    EXPECT_EQ(dialog.seen[0].maxPage, 1);
    EXPECT_EQ(dialog.seen[0].fromPage, 1);
    EXPECT_EQ(dialog.seen[0].toPage, 1);
    ASSERT_TRUE(std::filesystem::exists(printed));
    const std::string info = fixtures::PdfInfo(printed);
    EXPECT_NE(info.find("Title:           データベースの設定画面の印刷"), std::string::npos);
    EXPECT_NE(info.find("842 x 595"), std::string::npos);  // landscape
    const std::string text = fixtures::PdfPageText(printed, 1);
    const auto date = text.find("2024/05/03(金)");
    const auto heading = text.find("データベースの設定画面の印刷");
    ASSERT_NE(date, std::string::npos);
    ASSERT_NE(heading, std::string::npos);
    EXPECT_LT(date, heading);
}

TEST_F(ScreenPrinting, ACancelledPrintDialogEndsTheScreenPrint) {
    PlainDialog window(600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    dialog.answers.push_back({false});
    PreviewScript script;
    script.Then([](TTavPRVF& preview) { PreviewScript::Press(preview, "PrintBtn"); });
    ScreenPrint(&window, services);
    EXPECT_EQ(script.Showings(), 1);  // not shown again
    EXPECT_EQ(dialog.seen.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(printed));
}

TEST_F(ScreenPrinting, TheHookRunsTheScreenPrintForTheWindowItIsGiven) {
    PlainDialog window(300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    PreviewScript script;
    ScreenPrintHook(services)(&window);
    EXPECT_EQ(script.Showings(), 1);
}

}  // namespace
}  // namespace korvalen::printing
