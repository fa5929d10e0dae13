// The text forms in which amounts, rates, day counts and dates are shown in
// the grids, tables and messages, and the readers of the grid cells.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"

namespace korvalen::engine {

// "#,##0": 1,234,567; a leading minus for negatives.
std::string FormatAmount(std::int64_t yen);
// "##0.000%" (history grid, messages): 29.200%.
std::string FormatGridRate(FixedRate rate);
// "#0.000" (result tables): 18.000.
std::string FormatTableRate(FixedRate rate);
// "#0": 31.
std::string FormatDays(std::int64_t days);

// "yy/mm/dd" (history grid, messages): 06/03/10.
std::string FormatGridDate(DayNumber day);
// Result tables: "yy/mm/dd" with the Western calendar, otherwise the first
// character of the era name and the two-digit year of the era: 平18/03/10.
std::string FormatResultDate(DayNumber day, bool westernCalendar);
// Calculation start date: 2006年03月10日 or 平成18年03月10日.
std::string FormatStartDateWestern(DayNumber day);
std::string FormatStartDateEra(DayNumber day);
std::string FormatStartDate(DayNumber day, bool westernCalendar);
// Date quoted in the start-date message: 2006年3月10日.
std::string FormatMessageDate(DayNumber day);
// The history CSV's and the tools' date: 2006-03-10.
std::string FormatIsoDate(DayNumber day);

// A grid amount cell → yen: its digits in order, everything else skipped
// (-5,000 reads 5000, abc reads 0). Throws ConversionError when the digits
// exceed the 32-bit range.
std::int32_t ParseAmountText(std::string_view text);
// A grid rate cell → percent: its digits and first decimal point in order
// (18.5.3% reads 18.53, % reads 0).
double ParseRateText(std::string_view text);

}  // namespace korvalen::engine
