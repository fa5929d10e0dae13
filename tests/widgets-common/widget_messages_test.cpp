#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "korvalen/shell/widget_messages.h"

namespace korvalen::shell {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageType;

// Presses `button` in the box that is about to open and records what it showed.
struct BoxReader {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    void PressWhenShown(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            box->button(button)->click();
        });
    }
};

TEST(WidgetMessages, ShowsTheTextWithLineBreaksAndReturnsThePressedButton) {
    WidgetMessages messages;
    const struct {
        MessageType type;
        Buttons buttons;
        QMessageBox::StandardButton press;
        Answer answer;
        QMessageBox::Icon icon;
        const char* title;
    } cases[] = {
        {MessageType::Warning, Buttons::Ok, QMessageBox::Ok, Answer::Ok, QMessageBox::Warning, "警告"},
        {MessageType::Error, Buttons::YesCancel, QMessageBox::Cancel, Answer::Cancel, QMessageBox::Critical, "エラー"},
        {MessageType::Information, Buttons::YesNoCancel, QMessageBox::No, Answer::No, QMessageBox::Information, "情報"},
        {MessageType::Confirmation, Buttons::OkCancel, QMessageBox::Ok, Answer::Ok, QMessageBox::Question, "確認"},
    };
    for (const auto& c : cases) {
        BoxReader reader;
        reader.PressWhenShown(c.press);
        EXPECT_EQ(messages.Show(c.type, c.buttons, "一行目\r\n二行目"), c.answer) << c.title;
        EXPECT_EQ(reader.text, QStringLiteral("一行目\n二行目"));
        EXPECT_EQ(reader.icon, c.icon);
        EXPECT_EQ(reader.title, QString::fromUtf8(c.title));
    }
}

}  // namespace
}  // namespace korvalen::shell
