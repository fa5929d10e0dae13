// What the two keyboard date entries share: a digit field, the date read
// back in long form while typing, OK and キャンセル. OK (or Enter) with
// digits that are no date shows why and stays; such a date is never
// returned.
#pragma once

#include <QDialog>
#include <string>

#include "korvalen/wizard/date_digits.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace korvalen::platform {
class MessageService;
}

namespace korvalen::wizard {

class DateEntryForm : public QDialog {
    Q_OBJECT
public:
    // "yyyymmdd" once accepted, else empty.
    const std::string& Result() const { return result_; }

protected:
    DateEntryForm(platform::MessageService& messages, int digits, bool westernFirst, QWidget* parent);
    // The typed digits as a date, or why they are none.
    virtual DateReading Read(const std::string& digits) const = 0;

    // Puts the instruction, `choice` (may be null), the digit field and the
    // buttons in place; called once by the derived constructor.
    void Lay(const QString& instruction, QWidget* choice);
    QLineEdit* DigitsEdit() const { return edit_; }
    void ShowDigits(const std::string& digits);
    void UpdatePreview();

private:
    void OkBtnClick();

    platform::MessageService* messages_;
    int digits_;
    bool westernFirst_;
    QLineEdit* edit_;
    QLabel* preview_;
    QPushButton* ok_;
    std::string result_;
};

}  // namespace korvalen::wizard
