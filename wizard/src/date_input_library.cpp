#include "korvalen/wizard/date_input_library.h"

#include <QApplication>

#include "date_window_helpers.h"
#include "korvalen/engine/repayment_generation.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/errors.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/wizard/calendar_form.h"
#include "korvalen/wizard/date_digits.h"
#include "korvalen/wizard/era_date_entry_form.h"
#include "korvalen/wizard/month_calendar_form.h"
#include "korvalen/wizard/western_date_entry_form.h"

namespace korvalen::wizard {
namespace {

// The library's windows are modal over whatever window asked.
QWidget* Owner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

template <typename Form>
std::string RunForm(Form& form, int x, int y) {
    PlaceWindowAt(&form, x, y);
    if (form.exec() != QDialog::Accepted) return {};
    return form.Result();
}

// The same day of the following month, or that month's last day.
engine::DayNumber MonthAfter(engine::DayNumber day) {
    const engine::DayNumber next = engine::AddMonths(day, 1);
    return IsInputDay(next) ? next : day;
}

}  // namespace

CalendarLibrary::CalendarLibrary(platform::SettingsStore& settings, platform::MessageService& messages,
                                 const platform::Clock& clock)
    : settings_(&settings), messages_(&messages), clock_(&clock) {}

std::string CalendarLibrary::ShowCalendarAt(int x, int y, const std::string& programKey, double openDay) {
    const engine::DayNumber today = clock_->Today();
    TCalendarF form(today, IsInputDay(openDay) ? openDay : today, Owner());
    const std::string date = RunForm(form, x, y);
    if (!date.empty()) Remember(programKey, date);
    return date;
}

void CalendarLibrary::Remember(const std::string& programKey, const std::string& date) {
    try {
        settings_->Write(programKey, kCalendarSection, kLastDateValue, date);
    } catch (const platform::PlatformError&) {
        // Only where the next calendar opens depends on it; the date the
        // user chose is returned all the same.
    }
}

std::string CalendarLibrary::ShowCalendar2(int x, int y, const std::string& programKey) {
    const auto last = DayOfDateDigits(settings_->Read(programKey, kCalendarSection, kLastDateValue));
    return ShowCalendarAt(x, y, programKey, last ? MonthAfter(*last) : clock_->Today());
}

std::string CalendarLibrary::ShowCalendar(int x, int y, const std::string& programKey) {
    return ShowCalendarAt(x, y, programKey, clock_->Today());
}

std::string CalendarLibrary::ShowDyginpEX(int x, int y, const std::string& initial) {
    const auto day = DayOfDateDigits(initial);
    TDyginpF form(*messages_, day ? *day : clock_->Today(), Owner());
    return RunForm(form, x, y);
}

std::string CalendarLibrary::ShowDysinp(int x, int y, const std::string& programKey) {
    TDysinpF form(*messages_, clock_->Today(), Owner());
    const std::string date = RunForm(form, x, y);
    if (!date.empty()) Remember(programKey, date);
    return date;
}

std::string CalendarLibrary::ShowMonCalendar(int x, int y) {
    const auto today = engine::CivilFromDayNumber(clock_->Today());
    TMonCalendarF form(today.year, today.month, today.year, today.month, Owner());
    return RunForm(form, x, y);
}

}  // namespace korvalen::wizard
