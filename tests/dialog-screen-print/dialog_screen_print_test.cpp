// Ctrl+P in each of the four dialogs that print themselves as a picture:
// the preview opens on one page, portrait for a window up to 640 pixels
// wide and landscape above, with the window on it as it was captured.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "korvalen/printing/screen_print.h"
#include "korvalen/printing/tav_prv.h"
#include "korvalen/shell/about_box.h"
#include "korvalen/shell/korv_al.h"
#include "korvalen/shell/korv_bu.h"
#include "korvalen/wizard/nen4_form.h"
#include "scripted_print.h"
#include "shell_fixture.h"

namespace korvalen {
namespace {

using printing::fixtures::PreviewScript;

// The capture's pixels, unscaled at (60, 45) on the page, below the band
// where the heading is written over it.
bool CaptureStandsOnPage(const QImage& capture, const QImage& page) {
    constexpr int kLeft = 60, kTop = 45, kBelowHeading = 50;
    if (kLeft + capture.width() > page.width() || kTop + capture.height() > page.height()) return false;
    const QImage expected = capture.convertToFormat(QImage::Format_RGB32);
    const QImage shown = page.convertToFormat(QImage::Format_RGB32);
    for (int y = kBelowHeading; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (expected.pixel(x, y) != shown.pixel(kLeft + x, kTop + y)) return false;
        }
    }
    return true;
}

class DialogScreenPrint : public ::testing::Test {
protected:
    DialogScreenPrint() { pc.screenPrint = printing::ScreenPrintHook(print); }

    // Ctrl+P where the user's keys go, the preview looked at and closed.
    void PressCtrlP(QDialog& dialog, const std::string& name, bool landscape) {
        SCOPED_TRACE(name);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&dialog] { return QApplication::activeWindow() == &dialog; }));
        const QImage capture = printing::CaptureWindow(&dialog);
        EXPECT_EQ(capture.width() > printing::kPortraitMaxWidth, landscape) << capture.width();

        PreviewScript script;
        QImage page;
        bool onePage = false;
        QString zoom;
        script.Then([&](printing::TTavPRVF& preview) {
            if (preview.CurrentImage() != nullptr) page = *preview.CurrentImage();
            onePage = !preview.findChild<QWidget*>(QStringLiteral("PagePanel"))->isVisible();
            zoom = preview.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text();
            PreviewScript::Press(preview, "SBClose");
        });
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused != nullptr ? focused : &dialog, Qt::Key_P, Qt::ControlModifier);

        ASSERT_EQ(script.Showings(), 1);
        EXPECT_TRUE(onePage);
        EXPECT_EQ(zoom, QStringLiteral("66％"));
        EXPECT_EQ(page.size(), landscape ? QSize(1017, 708) : QSize(708, 1017));
        EXPECT_TRUE(CaptureStandsOnPage(capture, page));
        EXPECT_TRUE(printDialog.seen.empty());
    }

    shell::fixtures::ShellPc pc;
    printing::fixtures::ScriptedPrintDialog printDialog;
    printing::PrintServices print{printDialog, pc.messages, pc.clock};
};

TEST_F(DialogScreenPrint, EachOfTheFourDialogsPreviewsItselfInPortrait) {
    pc.db.RegisterThisPc();
    std::string lastChosenFolder;
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
    } dialogs[] = {
        {"TKorvBUF",
         [&] {
             auto dialog = std::make_unique<shell::TKorvBUF>(pc.db, pc.settings, pc.messages, pc.clock, [] {});
             dialog->SetPrintWindow(pc.screenPrint);
             return dialog;
         }},
        {"TKorvALF", [&] { return std::make_unique<shell::TKorvALF>(pc.Services(), lastChosenFolder); }},
        {"TKorvABF", [&] { return std::make_unique<shell::TKorvABF>(pc.Services()); }},
        {"TNEN4F",
         [&] {
             auto dialog = std::make_unique<wizard::TNEN4F>(pc.settings, pc.messages, pc.clock);
             dialog->SetScreenPrint(pc.screenPrint);
             return dialog;
         }},
    };
    for (const auto& d : dialogs) {
        std::unique_ptr<QDialog> dialog = d.make();
        PressCtrlP(*dialog, d.name, /*landscape=*/false);
    }
    EXPECT_TRUE(pc.messages.Shown().empty());
}

// None of the four is wider than 640 pixels as it opens; the backup dialog
// is the one the user can widen.
TEST_F(DialogScreenPrint, TheBackupDialogWidenedPreviewsInLandscape) {
    shell::TKorvBUF dialog(pc.db, pc.settings, pc.messages, pc.clock, [] {});
    dialog.SetPrintWindow(pc.screenPrint);
    dialog.resize(760, dialog.height());
    PressCtrlP(dialog, "TKorvBUF at 760 pixels", /*landscape=*/true);
}

}  // namespace
}  // namespace korvalen
