#include "korvalen/wizard/western_date_entry_form.h"

#include <QLineEdit>

namespace korvalen::wizard {

TDysinpF::TDysinpF(platform::MessageService& messages, engine::DayNumber initial, QWidget* parent)
    : DateEntryForm(messages, 8, true, parent) {
    setObjectName(QStringLiteral("DysinpF"));
    setWindowTitle(QStringLiteral("日付の入力（西暦）"));
    Lay(QStringLiteral("年月日を西暦の8桁で入力して下さい。\n例　19700207（1970年2月7日）"), nullptr);
    if (initial > 0) ShowDigits(DateDigitsOf(initial));
}

DateReading TDysinpF::Read(const std::string& digits) const { return ReadWesternDigits(digits); }

}  // namespace korvalen::wizard
