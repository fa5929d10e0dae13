// Small pieces the shell's windows build their forms from.
#pragma once

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <functional>

#include "korvalen/platform/messages.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/shell/modal_result.h"

namespace korvalen::shell::parts {

// Closing a dialog whose changes are not saved asks this (information,
// Yes, No, Cancel).
inline constexpr const char* kUnsavedQuestion =
    "データは変更されていますが\r\n保存されていません。\r\n保存してから「終了」しますか？";

// Closing with changes not saved: the question kUnsavedQuestion. Yes
// saves with `save` and closes with kMrYes (the dialog stays when `save`
// refuses), No closes with kMrCancel, Cancel stays. The result to close
// with, or 0 to stay.
inline int AskBeforeClosing(platform::MessageService& messages, const std::function<bool()>& save) {
    switch (messages.Show(platform::MessageType::Information, platform::Buttons::YesNoCancel, kUnsavedQuestion)) {
        case platform::Answer::Yes: return save() ? kMrYes : 0;
        case platform::Answer::No: return kMrCancel;
        default: return 0;
    }
}

// The edits' colour while they are disabled (enabled they have the
// window colour of the style).
inline const QColor kDisabledEditColour(235, 235, 235);

// A control with its component name and the name a screen reader says.
template <typename W>
W* Named(W* widget, const char* objectName, const QString& accessibleName) {
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// The forms' font: ＭＳ Ｐゴシック at a pixel size.
inline QFont FormFont(int pixels = 12, bool bold = false) {
    QFont font(QString::fromUtf8(printing::kMsPGothic));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The background of the main window, the about box and the options dialog
// (13161684).
inline const QColor kFormBackground(212, 212, 200);

// Fills a widget's background with `colour`.
inline void PaintBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// Ctrl+P: the screen print of `window`, or a notice where the program has none.
inline void PrintWindow(const std::function<void(QWidget*)>& screenPrint, platform::MessageService& messages,
                        QWidget* window) {
    if (screenPrint) {
        screenPrint(window);
        return;
    }
    messages.Show(platform::MessageType::Information, platform::Buttons::Ok,
                  "画面の印刷は、このビルドにはまだ含まれていません。");
}

// Enables or disables an edit with the background the forms give it then.
inline void EnableEdit(QLineEdit* edit, bool on) {
    edit->setEnabled(on);
    QPalette palette = edit->palette();
    const QColor base = on ? QApplication::palette().color(QPalette::Active, QPalette::Base) : kDisabledEditColour;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, base);
    }
    edit->setPalette(palette);
}

}  // namespace korvalen::shell::parts
