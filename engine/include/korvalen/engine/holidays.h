// Japan's national holidays as the holiday law stood in each year, with the
// New Year days the lenders keep closed, for moving estimated repayments
// off days on which nobody pays.
#pragma once

#include <string>
#include <vector>

#include "korvalen/engine/dates.h"

namespace korvalen::engine {

// What kind of day a date is; the values are those the bulk generation
// has always used.
enum class DayClass {
    Working = 0,
    Listed = 1,      // a national holiday, a day between two of them, or 1 to 3 January
    Substitute = 2,  // 振替休日: off because a national holiday fell on a Sunday
    Sunday = 3,
};

// 0 = Sunday … 6 = Saturday.
int Weekday(DayNumber day);

// The listed days of a year as "mmdd", in date order: 1, 2 and 3 January,
// the national holidays of that year (moved and one-off days included) and
// the days between two national holidays (国民の休日). Substitute holidays
// are not listed; ClassifyDay tells them.
std::vector<std::string> HolidayCodes(int year);

// A listed day first, then (only when `substitute` is set) a substitute
// holiday, then a Sunday; otherwise a working day. 4 January is never a
// substitute: when 1 January is a Sunday, 2 January (listed anyway) is.
DayClass ClassifyDay(DayNumber day, bool substitute);

// A listed day, a substitute holiday or a Sunday. A Saturday is never off
// by itself; the business-day rule of the caller decides about Saturdays.
bool IsDayOff(DayNumber day);

}  // namespace korvalen::engine
