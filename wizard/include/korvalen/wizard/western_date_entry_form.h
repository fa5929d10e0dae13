// Keyboard date entry in Western digits: 19700207 is 7 February 1970.
#pragma once

#include "korvalen/wizard/date_entry_form.h"

namespace korvalen::wizard {

class TDysinpF : public DateEntryForm {
    Q_OBJECT
public:
    // Proposes `initial` (0: nothing), selected so typing replaces it.
    TDysinpF(platform::MessageService& messages, engine::DayNumber initial, QWidget* parent = nullptr);

protected:
    DateReading Read(const std::string& digits) const override;
};

}  // namespace korvalen::wizard
