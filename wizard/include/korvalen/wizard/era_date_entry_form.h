// Keyboard date entry in Japanese-era digits: the era is chosen with the
// buttons above the field or by typing its letter (M 明治, T 大正, S 昭和,
// H 平成, R 令和) in the field, then year of the era, month and day as six
// digits: S then 450207 is 昭和45年2月7日.
#pragma once

#include <QList>

#include "korvalen/wizard/date_entry_form.h"

class QButtonGroup;
class QRadioButton;

namespace korvalen::wizard {

class TDyginpF : public DateEntryForm {
    Q_OBJECT
public:
    // Proposes `initial` (0: nothing, the latest era chosen).
    TDyginpF(platform::MessageService& messages, engine::DayNumber initial, QWidget* parent = nullptr);

    // The index in JapaneseEras() of the chosen era.
    int EraChosen() const;

protected:
    DateReading Read(const std::string& digits) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ChooseEra(int index);

    QButtonGroup* eras_;
};

}  // namespace korvalen::wizard
