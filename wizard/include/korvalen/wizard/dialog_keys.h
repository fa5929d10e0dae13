// The keys the program's dialogs share: Enter moves the focus to the next
// control and is swallowed, F1 presses the dialog's close button, F3 its
// saving button, Ctrl+P prints the window. The dialog sees these keys
// before its controls do, as a form with key preview would.
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace korvalen::wizard {

class DialogKeys : public QObject {
    Q_OBJECT
public:
    // Watches the key presses of every widget inside `dialog`'s window for
    // as long as `dialog` lives.
    explicit DialogKeys(QWidget* dialog);
    ~DialogKeys() override;

    // Enter (Return or the keypad's Enter) moves to the next control. On by
    // default; a dialog page whose grid handles Enter itself turns it off.
    void SetEnterMovesFocus(bool on) { enterMovesFocus_ = on; }
    bool EnterMovesFocus() const { return enterMovesFocus_; }
    // Widgets that keep their own Enter (a multi-line memo).
    void KeepEnterIn(QWidget* widget);
    // Down moves to the next control and Up to the previous one as well.
    void SetArrowsMoveFocus(bool on) { arrowsMoveFocus_ = on; }
    // F1 and F3 click these buttons when they are enabled and visible.
    void SetCloseButton(QAbstractButton* button) { closeButton_ = button; }
    void SetSaveButton(QAbstractButton* button) { saveButton_ = button; }
    // Ctrl+P (and no other modifier) runs this.
    void SetPrintWindow(std::function<void()> print) { printWindow_ = std::move(print); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Handles(QObject* watched) const;

    QWidget* dialog_;
    bool enterMovesFocus_ = true;
    bool arrowsMoveFocus_ = false;
    QList<QPointer<QWidget>> keepEnter_;
    QPointer<QAbstractButton> closeButton_;
    QPointer<QAbstractButton> saveButton_;
    std::function<void()> printWindow_;
};

}  // namespace korvalen::wizard
