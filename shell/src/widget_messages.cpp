#include "korvalen/shell/widget_messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace korvalen::shell {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageType;

// The texts keep the CR LF of the messages; a box breaks lines at LF.
QString BoxText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QMessageBox::Icon IconOf(MessageType type) {
    switch (type) {
        case MessageType::Warning: return QMessageBox::Warning;
        case MessageType::Error: return QMessageBox::Critical;
        case MessageType::Information: return QMessageBox::Information;
        case MessageType::Confirmation: return QMessageBox::Question;
        case MessageType::Plain: break;
    }
    return QMessageBox::NoIcon;
}

// The captions a Japanese Windows gives each kind of box.
QString TitleOf(MessageType type) {
    switch (type) {
        case MessageType::Warning: return QStringLiteral("警告");
        case MessageType::Error: return QStringLiteral("エラー");
        case MessageType::Information: return QStringLiteral("情報");
        case MessageType::Confirmation: return QStringLiteral("確認");
        case MessageType::Plain: break;
    }
    return QApplication::applicationDisplayName();
}

QMessageBox::StandardButtons ButtonsOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok: return QMessageBox::Ok;
        case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesCancel: return QMessageBox::Yes | QMessageBox::Cancel;
        case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::Yes: return QMessageBox::Yes;
    }
    return QMessageBox::Ok;
}

Answer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Ok: return Answer::Ok;
        case QMessageBox::Cancel: return Answer::Cancel;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Closed;
    }
}

}  // namespace

void WidgetMessages::ShowPlain(const std::string& text) { Show(MessageType::Plain, Buttons::Ok, text); }

Answer WidgetMessages::Show(MessageType type, Buttons buttons, const std::string& text) {
    QWidget* parent = QApplication::activeWindow();
    if (parent == nullptr) parent = fallbackParent_;
    QMessageBox box(IconOf(type), TitleOf(type), BoxText(text), ButtonsOf(buttons), parent);
    box.setAccessibleName(TitleOf(type));
    // A box shown while the hourglass is up (start-up, a long action)
    // waits for the user: it gets the normal pointer.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const Answer answer = AnswerOf(box.exec());
    if (busy) QApplication::restoreOverrideCursor();
    return answer;
}

}  // namespace korvalen::shell
