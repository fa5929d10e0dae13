// Day numbers (whole days from 30 December 1899, day 0) and calendar dates.
#pragma once

#include <optional>
#include <string_view>

namespace korvalen::engine {

// A date as the case model holds it: a whole day number in a double.
// 0 in a case field means "no date".
using DayNumber = double;

struct CivilDate {
    int year;
    int month;  // 1..12
    int day;    // 1..31
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidCivilDate(int year, int month, int day);

// Proleptic Gregorian calendar, valid for any year.
DayNumber DayNumberFromCivil(int year, int month, int day);
CivilDate CivilFromDayNumber(DayNumber day);

// The leap day of a year: the day before 1 March.
DayNumber LeapDayOf(int year);

// The history grid's "yy/mm/dd": years below 50 are 20xx, others 19xx.
// Nothing when the text is not such a date (the empty cell "  /  /  "
// included).
std::optional<DayNumber> ParseGridDate(std::string_view text);

// A date typed outside the grid: YYYY-MM-DD or YYYY/MM/DD (month and day may
// have one digit), or the grid form yy/mm/dd. Years 1 to 9999.
std::optional<DayNumber> ParseDateText(std::string_view text);

// Whether a text has the shape of a date (digits and the separators "-" or
// "/" only, at least one digit), whether or not it is a real calendar date.
bool HasDateShape(std::string_view text);

}  // namespace korvalen::engine
