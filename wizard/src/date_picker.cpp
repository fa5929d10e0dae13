#include "korvalen/wizard/date_picker.h"

#include <QWidget>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/wizard/date_digits.h"
#include "korvalen/wizard/date_input_library.h"

namespace korvalen::wizard {

std::string CallDateInput(DateInputLibrary& library, int method, int x, int y, const std::string& programKey,
                          engine::DayNumber today) {
    switch (method) {
        case static_cast<int>(DateInputMethod::CalendarFromLastDate): return library.ShowCalendar2(x, y, programKey);
        case static_cast<int>(DateInputMethod::CalendarFromToday): return library.ShowCalendar(x, y, programKey);
        case static_cast<int>(DateInputMethod::KeyboardEra): return library.ShowDyginpEX(x, y, DateDigitsOf(today));
        case static_cast<int>(DateInputMethod::KeyboardWestern): return library.ShowDysinp(x, y, programKey);
        default: return {};
    }
}

LibraryDatePicker::LibraryDatePicker(platform::SettingsStore& settings, DateInputLibrary& library,
                                     const platform::Clock& clock, std::string programKey)
    : settings_(&settings), library_(&library), clock_(&clock), programKey_(std::move(programKey)) {}

std::string LibraryDatePicker::PickDate(QWidget* window) {
    const platform::SettingsSection calendar(*settings_, programKey_, kCalendarSection);
    const auto method = calendar.Number(kInputValue, static_cast<int>(DateInputMethod::KeyboardWestern));
    const QPoint corner = window != nullptr ? window->window()->frameGeometry().topLeft() : QPoint();
    if (method < 0 || method > 3) return {};
    return CallDateInput(*library_, static_cast<int>(method), corner.x() + 30, corner.y() + 175, programKey_,
                         clock_->Today());
}

}  // namespace korvalen::wizard
