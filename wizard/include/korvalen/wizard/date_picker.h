// How a window asks for a date that is picked rather than typed (the
// input wizard's calculation start date): through the method chosen in
// 日付入力方式の設定, placed relative to the asking window.
#pragma once

#include <string>

#include "korvalen/engine/dates.h"

class QWidget;

namespace korvalen::platform {
class Clock;
class SettingsStore;
}  // namespace korvalen::platform

namespace korvalen::wizard {

class DateInputLibrary;

// The values of "INPUT" in section "CALENDAR".
enum class DateInputMethod {
    CalendarFromLastDate = 0,  // ShowCalendar2
    CalendarFromToday = 1,     // ShowCalendar
    KeyboardEra = 2,           // ShowDyginpEX
    KeyboardWestern = 3,       // ShowDysinp
};

// Calls the library entry of `method` (0 to 3) at (x, y); the third
// argument is `programKey`, or today's "yyyymmdd" for the era entry. Empty
// for any other method.
std::string CallDateInput(DateInputLibrary& library, int method, int x, int y, const std::string& programKey,
                          engine::DayNumber today);

// "yyyymmdd" or empty (cancelled). The wizard takes one of these, so tests
// can hand it a scripted one.
class DatePicker {
public:
    virtual ~DatePicker() = default;
    virtual std::string PickDate(QWidget* window) = 0;
};

// The program's picker: reads "INPUT" (3 when absent or not a number) and
// calls that method's entry at (window left + 30, window top + 175).
class LibraryDatePicker final : public DatePicker {
public:
    LibraryDatePicker(platform::SettingsStore& settings, DateInputLibrary& library, const platform::Clock& clock,
                      std::string programKey);
    std::string PickDate(QWidget* window) override;

private:
    platform::SettingsStore* settings_;
    DateInputLibrary* library_;
    const platform::Clock* clock_;
    std::string programKey_;
};

}  // namespace korvalen::wizard
