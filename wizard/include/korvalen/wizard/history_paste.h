// Rows pasted into the history grid from a spreadsheet or a lender's
// statement: tab-separated date, borrowing, repayment and an optional rate,
// read as strictly as a history file, so a typo is refused instead of
// turning into a different figure.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"

namespace korvalen::wizard {

struct PastedEntry {
    engine::DayNumber date = 0;
    std::int32_t borrowing = 0;
    std::int32_t repayment = 0;
    std::optional<engine::FixedRate> rate;  // none: the rate of the row above
};

// A row that cannot be taken; what() is the problem, line() the line of
// the pasted text it is on (from 1).
class PasteError : public std::runtime_error {
public:
    PasteError(int line, const std::string& problem) : std::runtime_error(problem), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Dates as the history file takes them (YYYY-MM-DD, YYYY/MM/DD, yy/mm/dd),
// amounts with or without thousands separators (a yen sign or 円 around
// them is allowed), rates in percent. Blank lines are skipped, and a first
// line whose first field is not shaped like a date is a heading. With a
// start date (not 0) an earlier date is refused. Throws PasteError.
std::vector<PastedEntry> ReadPastedHistory(std::string_view text, engine::DayNumber startDay);

}  // namespace korvalen::wizard
