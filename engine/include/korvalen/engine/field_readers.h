// Strict readers for amounts, rates and dates typed outside the grid (files,
// command lines): unlike the grid readers they refuse what they cannot read
// instead of skipping it, so a typo never turns into a different figure.
#pragma once

#include <cstdint>
#include <string_view>

#include "korvalen/engine/dates.h"

namespace korvalen::engine {

// 1234567 or 1,234,567; empty is 0. `what` names the field in the message
// ("借入額"). Throws ConversionError for a negative, non-numeric or
// over-32-bit amount.
std::int32_t ReadAmountField(std::string_view text, std::string_view what);

// Percent: 29.2, 29.200 or 29.200%; at most what the tables print as
// 999.999. Throws ConversionError.
double ReadPercentField(std::string_view text, std::string_view what);

// The days the tables can show: from the first day of the Gregorian
// calendar in Japan (before it there is no era date to print) to the last
// day whose year the forms hold.
inline constexpr DayNumber kFirstShownDay = -9859;  // 1873-01-01
inline constexpr DayNumber kLastShownDay = 73050;   // 2099-12-31

// YYYY-MM-DD, YYYY/MM/DD or yy/mm/dd, from kFirstShownDay to kLastShownDay.
// Throws ConversionError.
DayNumber ReadDateField(std::string_view text, std::string_view what);

}  // namespace korvalen::engine
