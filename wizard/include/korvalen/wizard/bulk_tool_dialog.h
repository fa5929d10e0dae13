// What the three tools of the history page share: a small modal dialog
// over the wizard's bottom right corner with 閉じる(&C) and its action
// button at the top, the program's dialog keys, and the question asked when
// it is closed with input not yet applied.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QToolButton;

namespace korvalen::platform {
class MessageService;
}

namespace korvalen::wizard {

class DialogKeys;
class HistoryPage;

class BulkToolDialog : public QDialog {
    Q_OBJECT
public:
    ~BulkToolDialog() override;

    // Ctrl+P runs this with the window (the screen print).
    void SetScreenPrint(std::function<void(QWidget*)> print) { screenPrint_ = std::move(print); }

    // The gap between the dialog's bottom edge and the wizard's.
    static constexpr int kBottomGap = 30;

protected:
    // `wizard` is the window the dialog is placed against and modal over;
    // `page` is its history page, whose list and grid the tool changes.
    BulkToolDialog(platform::MessageService& messages, HistoryPage& page, QWidget* wizard, const char* name,
                   const QString& caption, const QString& actionCaption);

    // After the controls are made: the fixed client size and the place.
    void FinishLayout(int width, int height);

    // The action button's work; true when it applied and closed the dialog.
    virtual bool Apply() = 0;
    // Whether closing now would drop input not yet applied, and the lines
    // of the question then asked. None by default.
    virtual bool HasUnappliedInput() const { return false; }
    virtual std::string UnappliedQuestion() const { return {}; }

    // A warning with an OK button; the focus then goes to the field at fault.
    void Warn(const std::string& message, QWidget* field);

    void showEvent(QShowEvent* event) override;
    // The close box, 閉じる(&C) and Escape all end here.
    void reject() override;

    platform::MessageService& messages_;
    HistoryPage& page_;
    QToolButton* SpeedButton1;
    QToolButton* SBSave;

private:
    void PlaceOverWizard();
    void SBSaveClick() { Apply(); }

    QWidget* wizard_;
    DialogKeys* keys_;
    std::function<void(QWidget*)> screenPrint_;
};

}  // namespace korvalen::wizard
