// The calendar and date-entry library behind the program's picked dates:
// the five entries of CALINP.DLL, here our own dialogs. Each shows its
// modal input with its top-left corner at the given screen position and
// returns when the user has chosen or cancelled.
#pragma once

#include <string>

class QWidget;

namespace korvalen::platform {
class Clock;
class MessageService;
class SettingsStore;
}  // namespace korvalen::platform

namespace korvalen::wizard {

// The settings section of the date input under the program's key, and its
// values. LAST_DATE is the library's own: the date last chosen in a
// calendar or typed as Western digits ("yyyymmdd"), from which
// ShowCalendar2 opens at the following month.
inline constexpr const char* kCalendarSection = "CALENDAR";
inline constexpr const char* kInputValue = "INPUT";
inline constexpr const char* kMonCalendarValue = "MON_CALENDAR";
inline constexpr const char* kLastDateValue = "LAST_DATE";

class DateInputLibrary {
public:
    virtual ~DateInputLibrary() = default;
    // A calendar opening at the month after the date last chosen under
    // `programKey` (the current month when there is none). "yyyymmdd" of a
    // valid date, or empty when cancelled; so for the others.
    virtual std::string ShowCalendar2(int x, int y, const std::string& programKey) = 0;
    // A calendar opening at the current month.
    virtual std::string ShowCalendar(int x, int y, const std::string& programKey) = 0;
    // Japanese-era digits under a chosen era; `initial` ("yyyymmdd",
    // normally today) is shown first.
    virtual std::string ShowDyginpEX(int x, int y, const std::string& initial) = 0;
    // Eight Western digits.
    virtual std::string ShowDysinp(int x, int y, const std::string& programKey) = 0;
    // A year and a month: "yyyymm", or empty when cancelled.
    virtual std::string ShowMonCalendar(int x, int y) = 0;
};

// The library's own dialogs. Impossible dates are refused with a Japanese
// message through `messages` and never returned.
class CalendarLibrary final : public DateInputLibrary {
public:
    CalendarLibrary(platform::SettingsStore& settings, platform::MessageService& messages,
                    const platform::Clock& clock);

    std::string ShowCalendar2(int x, int y, const std::string& programKey) override;
    std::string ShowCalendar(int x, int y, const std::string& programKey) override;
    std::string ShowDyginpEX(int x, int y, const std::string& initial) override;
    std::string ShowDysinp(int x, int y, const std::string& programKey) override;
    std::string ShowMonCalendar(int x, int y) override;

private:
    std::string ShowCalendarAt(int x, int y, const std::string& programKey, double openDay);
    void Remember(const std::string& programKey, const std::string& date);

    platform::SettingsStore* settings_;
    platform::MessageService* messages_;
    const platform::Clock* clock_;
};

}  // namespace korvalen::wizard
