#include "korvalen/printing/tav_prv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "korvalen/platform/scripted_messages.h"
#include "korvalen/printing/tav_prv2.h"

namespace korvalen::printing {
namespace {

// Page images of the statement's size, each a gradient of its own colour, so
// that every part of every page is told apart by its pixels.
std::vector<QImage> ColouredPages(int count, QSize size = QSize(944, 1356)) {
    std::vector<QImage> pages;
    for (int i = 0; i < count; ++i) {
        QImage page(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(page.scanLine(y));
            for (int x = 0; x < size.width(); ++x) line[x] = qRgb(x % 256, y % 256, 40 * (i + 1));
        }
        pages.push_back(page);
    }
    return pages;
}

// The preview as the statement opens it, shown without a modal loop.
class Preview : public ::testing::Test {
protected:
    void Open(int pageCount) {
        pages = ColouredPages(pageCount);
        window.SetPageImages(&pages);
        window.SetDisplaySize(QSize(472, 678));
        window.SetZoomStep(236, 339);
        window.SetZoomLabel(QStringLiteral("50％"));
        window.resize(512, 768);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    template <typename T>
    T* Child(const char* name) {
        T* child = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QString Label() { return Child<QLineEdit>("Edit1")->text(); }
    QImage Shown() { return Child<QLabel>("Image1")->pixmap().toImage(); }
    // The shown picture's colour channel that names the page (40 × page number).
    int ShownPage() {
        const QImage shown = Shown();
        return qBlue(shown.pixel(shown.width() / 2, shown.height() / 2)) / 40;
    }
    void Click(const char* name) { QTest::mouseClick(Child<QAbstractButton>(name), Qt::LeftButton); }

    platform::ScriptedMessages messages;
    std::vector<QImage> pages;
    TTavPRVF window{messages};
};

TEST_F(Preview, AOnePageStatementOpensAtHalfSizeWithoutThePageSelector) {
    Open(1);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("印刷プレビュー"));
    EXPECT_EQ(Label(), QStringLiteral("50％"));
    EXPECT_EQ(Shown().size(), QSize(472, 678));
    EXPECT_FALSE(Child<QWidget>("PagePanel")->isVisible());
    EXPECT_FALSE(Child<QWidget>("PagePanel")->isEnabled());
    EXPECT_EQ(Child<QLabel>("Image1")->pos(), QPoint(16, 12));
    EXPECT_FALSE(Child<QPushButton>("SaveBtn")->isVisible());
}

TEST_F(Preview, ZoomStepsGoFromAQuarterToFullSize) {
    Open(1);
    auto* up = Child<QToolButton>("UpBtn");
    auto* down = Child<QToolButton>("DownBtn");
    auto* glass = Child<QToolButton>("GlassBtn");
    Click("DownBtn");
    EXPECT_EQ(Label(), QStringLiteral("25％"));
    EXPECT_EQ(Shown().size(), QSize(236, 339));
    EXPECT_FALSE(down->isEnabled());
    struct {
        QString label;
        QSize size;
        bool upEnabled;
    } steps[] = {
        {QStringLiteral("50％"), {472, 678}, true},
        {QStringLiteral("75％"), {708, 1017}, true},
        {QStringLiteral("100％"), {944, 1356}, false},
    };
    for (const auto& step : steps) {
        Click("UpBtn");
        EXPECT_EQ(Label(), step.label);
        EXPECT_EQ(Shown().size(), step.size);
        EXPECT_EQ(up->isEnabled(), step.upEnabled) << step.label.toStdString();
        EXPECT_EQ(glass->isEnabled(), step.upEnabled);
        EXPECT_TRUE(down->isEnabled());
    }
    // At full size the displayed picture is the page itself.
    EXPECT_EQ(Shown(), pages[0]);
}

TEST_F(Preview, ActualSizeShowsThePageAsItIsAndEndsTheMagnifier) {
    Open(2);
    auto* glass = Child<QToolButton>("GlassBtn");
    glass->click();
    ASSERT_TRUE(window.MagnifierOn());
    Click("NormalBtn");
    EXPECT_EQ(Label(), QStringLiteral("100％"));
    EXPECT_EQ(Shown().size(), QSize(944, 1356));
    EXPECT_FALSE(window.MagnifierOn());
    EXPECT_FALSE(glass->isChecked());
    EXPECT_FALSE(glass->isEnabled());
    EXPECT_FALSE(Child<QToolButton>("UpBtn")->isEnabled());
    Click("DownBtn");
    EXPECT_EQ(Label(), QStringLiteral("75％"));
    EXPECT_TRUE(glass->isEnabled());
}

TEST_F(Preview, ThePageChosenIsTheOneZoomedMagnifiedAndCopied) {
    Open(3);
    EXPECT_TRUE(Child<QWidget>("PagePanel")->isVisible());
    EXPECT_EQ(Child<QLineEdit>("TotalEdit")->text(), QStringLiteral("3"));
    auto* selector = Child<QSpinBox>("SpinEdit1");
    EXPECT_EQ(selector->minimum(), 1);
    EXPECT_EQ(selector->maximum(), 3);
    EXPECT_EQ(ShownPage(), 1);
    // The arrows step the page; the field takes no typing.
    QTest::keyClick(selector, Qt::Key_Up);
    QTest::keyClick(selector, Qt::Key_Up);
    QTest::keyClicks(selector, QStringLiteral("1"));
    EXPECT_EQ(selector->value(), 3);
    EXPECT_EQ(ShownPage(), 3);
    Click("UpBtn");
    EXPECT_EQ(ShownPage(), 3);
    EXPECT_EQ(window.CurrentImage(), &pages[2]);
    QTest::keyClick(&window, Qt::Key_S, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), pages[2]);
}

TEST_F(Preview, TheMagnifierShowsThePageUnscaledAndStaysInsideItAtTheRightEdge) {
    Open(1);
    Child<QToolButton>("GlassBtn")->click();
    auto* image = Child<QLabel>("Image1");
    // Near the right edge, half-way down the displayed picture.
    QTest::mousePress(image, Qt::LeftButton, Qt::NoModifier, QPoint(470, 339));
    TTavPRV2F* magnifier = window.Magnifier();
    ASSERT_NE(magnifier, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(magnifier));
    EXPECT_EQ(magnifier->windowTitle(), QStringLiteral("拡大表示"));
    const QSize part = magnifier->ImageSize();
    EXPECT_EQ(part, QSize(226, 130));
    const int top = 339 * 1356 / 678 - part.height() / 2;
    EXPECT_EQ(magnifier->Picture(), pages[0].copy(944 - 226, top, 226, 130));
    // Moving follows the pointer; at the top-left corner the part starts at 0, 0.
    QTest::mouseMove(image, QPoint(2, 2));
    QTRY_COMPARE(magnifier->Picture(), pages[0].copy(0, 0, 226, 130));
    // Switching it off closes the window.
    Child<QToolButton>("GlassBtn")->click();
    EXPECT_FALSE(magnifier->isVisible());
}

TEST_F(Preview, APressWithTheMagnifierOffShowsNothing) {
    Open(1);
    QTest::mousePress(Child<QLabel>("Image1"), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    ASSERT_NE(window.Magnifier(), nullptr);  // made at the first press, owned by the preview
    EXPECT_FALSE(window.Magnifier()->isVisible());
}

TEST_F(Preview, CopyingPutsTheWholePageOnTheClipboardAndSaysSo) {
    Open(1);
    QApplication::clipboard()->clear();
    QTest::keyClick(Child<QPushButton>("PrintBtn"), Qt::Key_S, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), pages[0]);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "貼り付け完了！！");
    EXPECT_EQ(messages.Shown()[0].type, platform::MessageType::Plain);
}

TEST_F(Preview, EnterPressesNoButton) {
    Open(1);
    bool printed = false, closed = false;
    QObject::connect(Child<QPushButton>("PrintBtn"), &QPushButton::clicked, [&] { printed = true; });
    QObject::connect(Child<QPushButton>("SBClose"), &QPushButton::clicked, [&] { closed = true; });
    for (const char* name : {"PrintBtn", "SBClose"}) {
        auto* button = Child<QPushButton>(name);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    }
    EXPECT_FALSE(printed);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.result(), 0);
}

TEST_F(Preview, EveryControlIsNamedForAssistiveTools) {
    Open(3);
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_"))) continue;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_EQ(Child<QToolButton>("NormalBtn")->toolTip(), QStringLiteral("実寸表示(F6)"));
    EXPECT_EQ(Child<QToolButton>("GlassBtn")->toolTip(), QStringLiteral("一部を拡大表示(F9)"));
    EXPECT_EQ(Child<QSpinBox>("SpinEdit1")->toolTip(), QStringLiteral("現在の表示ﾍﾟｰｼﾞ（↑と↓で増減）"));
    EXPECT_EQ(Child<QPushButton>("SBClose")->text(), QStringLiteral("閉じる(&C)"));
}

TEST(PreviewAnswers, PrintOrCloseAndTheStateKeptForTheNextShowing) {
    platform::ScriptedMessages messages;
    std::vector<QImage> pages = ColouredPages(3);
    TTavPRVF window(messages);
    window.SetPageImages(&pages);
    window.SetDisplaySize(QSize(472, 678));
    window.SetZoomStep(236, 339);
    window.SetZoomLabel(QStringLiteral("50％"));
    QTimer::singleShot(0, [&] {
        window.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(2);
        window.findChild<QToolButton*>(QStringLiteral("UpBtn"))->click();
        window.findChild<QPushButton*>(QStringLiteral("PrintBtn"))->click();
    });
    EXPECT_EQ(window.ShowModal(), PreviewAnswer::Print);
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("75％"));
        EXPECT_EQ(window.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->value(), 2);
        EXPECT_EQ(window.CurrentImage(), &pages[1]);
        window.findChild<QPushButton*>(QStringLiteral("SBClose"))->click();
    });
    EXPECT_EQ(window.ShowModal(), PreviewAnswer::Close);
    QTimer::singleShot(0, [&] { window.close(); });  // the system menu's close
    EXPECT_EQ(window.ShowModal(), PreviewAnswer::Close);
}

}  // namespace
}  // namespace korvalen::printing
