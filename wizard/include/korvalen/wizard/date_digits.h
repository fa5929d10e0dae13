// Dates as the date inputs take and give them: the eight digits yyyymmdd
// (and yyyymm for a month), the Western digits typed as 19700207 and the
// Japanese-era digits typed as 450207 under a chosen era.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/dates.h"

namespace korvalen::wizard {

// The days a date input offers. Day 0 means "no date" in a case, and the
// two-digit forms of the grids cover far less; a start date outside these
// years is a typing error.
inline constexpr int kFirstInputYear = 1900;
inline constexpr int kLastInputYear = 2099;
bool IsInputDay(engine::DayNumber day);

// "yyyymmdd" of a day, and the day of such a text when it is a calendar
// date within the input years.
std::string DateDigitsOf(engine::DayNumber day);
std::optional<engine::DayNumber> DayOfDateDigits(std::string_view digits);
// "yyyymm".
std::string MonthDigitsOf(int year, int month);

// A Japanese era as the desktop's calendar (ICU) reports it.
struct Era {
    std::string name;  // 昭和
    char letter;       // S; 0 for an era that has no customary letter yet
    engine::DayNumber firstDay;
    engine::DayNumber lastDay;  // the day before the next era, or the last input day
};
// The eras from 明治 on, oldest first, that reach into the input years.
const std::vector<Era>& JapaneseEras();
// The index in JapaneseEras() of the era of `day` (the first era for days
// before it).
std::size_t EraIndexOf(engine::DayNumber day);

// What became of typed digits: a day, or the Japanese message saying why
// they are no date.
struct DateReading {
    std::optional<engine::DayNumber> day;
    std::string problem;
};
// Eight Western digits: 19700207.
DateReading ReadWesternDigits(std::string_view digits);
// Six digits yymmdd (year of the era, month, day) under `era`: 450207 under
// 昭和 is 7 February 1970. A day outside the era is no date.
DateReading ReadEraDigits(const Era& era, std::string_view digits);
// The six digits of `day` under its era.
std::string EraDigitsOf(engine::DayNumber day);

// "1970年02月07日（昭和45年02月07日）": the long form the user reads back
// while typing, Western or era first.
std::string LongFormsOf(engine::DayNumber day, bool westernFirst);

}  // namespace korvalen::wizard
