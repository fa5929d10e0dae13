// The six day-count methods and the interest of one period.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"

namespace korvalen::engine {

// The value of KEISAN_KIND, in the order of the wizard's list.
enum class DayCountMethod : std::int32_t {
    Fixed365 = 0,
    LeapCalendarYear = 1,
    LeapYearAfterStart = 2,
    LeapDayInPeriod = 3,
    Monthly = 4,
    MonthlyElseDaily365 = 5,
};

inline constexpr int kDayCountMethodCount = 6;

// The labels shown for the methods, indexed by value.
const std::array<std::string_view, kDayCountMethodCount>& DayCountMethodLabels();
std::string_view DayCountMethodLabel(DayCountMethod method);
// KEISAN_KIND → method; throws InvalidCaseSetting outside 0..5.
DayCountMethod DayCountMethodFrom(std::int32_t keisanKind);

// Receives a warning text to show the user (a message box in the wizard, a
// line on stderr in the command line). An empty sink means: write the text
// as one line to std::cerr, so that a warning is never lost.
using WarningSink = std::function<void(const std::string& message)>;

// The warning of method 1 for a period that touches three calendar years.
inline constexpr std::string_view kThreeYearWarning = "３年間にまたがる計算はできません。";

// Interest in whole yen of `principal` (money) at `rate` for `days`
// (fixed-point days) from `start` to `end`. Method 1 refuses a period over
// more than two calendar years: it sends kThreeYearWarning to `warn` and
// gives 0. Throws CalculationOverflow when the interest exceeds 32 bits.
std::int32_t PeriodInterest(DayCountMethod method, Money principal, FixedRate rate, FixedDays days, DayNumber start,
                            DayNumber end, const WarningSink& warn = {});

// The leap-year warnings the history grid shows after a change of a rate
// or of the same-day option: one message per pair of neighbouring entries
// A, B (in list order) whose period crosses into or out of a leap year,
// "閏年をまたぐ期間があります。" + "\r\n【A～B】" with yy/mm/dd dates. A pair
// counts when the years of A and B differ, one of them is a leap year, A is
// not on 31 December (then no day of the period lies in A's year), and
// `reference` lies between the two dates (both included). The grid passes
// the date of the entry just typed, so the user hears of the periods next to
// that entry only, never again of every such period in a long history.
std::vector<std::string> LeapYearWarnings(const HistoryList& entries, DayNumber reference);

}  // namespace korvalen::engine
