// The text forms of the grids and result tables, written straight into a
// caller's buffer. A result table formats some ten thousand cells per run;
// writing them in place, with no string per cell, is most of its speed.
// Each writer starts at `out` and returns the end of what it wrote.
#pragma once

#include <cstddef>
#include <cstdint>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"

namespace korvalen::engine {

// No writer below writes more than this at `out` for any argument (some
// write a byte or two of scratch past the end they return, within it).
inline constexpr std::size_t kMaxCellText = 32;

// "#,##0": 1,234,567; a leading minus for negatives.
char* WriteAmount(char* out, std::int64_t yen);
// "#0": 31; a leading minus for negatives.
char* WriteDays(char* out, std::int64_t days);
// "#0.000", the fourth decimal rounded half away from zero.
char* WriteTableRate(char* out, FixedRate rate);
// "yy/mm/dd".
char* WriteGridDate(char* out, DayNumber day);
// "yy/mm/dd" with the Western calendar, else "gee/mm/dd" (平18/03/10).
char* WriteResultDate(char* out, DayNumber day, bool westernCalendar);

struct EraStart;

// WriteResultDate for the rows of one table in turn. Rows mostly follow one
// another by days or weeks, so the calendar date and the era are carried
// over from the row before rather than worked out afresh for every row.
class ResultDateWriter {
public:
    explicit ResultDateWriter(bool westernCalendar) : westernCalendar_(westernCalendar) {}
    char* Write(char* out, DayNumber day);

private:
    CivilDate CivilOf(DayNumber day);
    const EraStart* EraOfDay(DayNumber day);

    bool westernCalendar_;
    bool known_ = false;
    std::int64_t lastDay_ = 0;
    CivilDate last_{};
    const EraStart* era_ = nullptr;  // the era of the days from eraFrom_ up to, not including, eraUntil_
    DayNumber eraFrom_ = 0;
    DayNumber eraUntil_ = 0;
};

}  // namespace korvalen::engine
