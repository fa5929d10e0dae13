// A case's history as a CSV file: one entry per line,
// date,borrowing,repayment[,rate].
#pragma once

#include <string>
#include <string_view>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {

// Bad input in a history file; what() is the problem, line() the line it
// is on (from 1).
class HistoryCsvError : public CalculationError {
public:
    HistoryCsvError(int line, const std::string& problem) : CalculationError(problem), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Reads a history file: UTF-8 (a BOM is allowed) or Shift-JIS, detected.
// A date is YYYY-MM-DD, YYYY/MM/DD or yy/mm/dd; amounts may carry thousands
// separators (quoted); an empty amount is 0; an empty or missing rate (in
// percent) is the one of the line above, on the first line the contract
// rate. A first line whose first field is not shaped like a date is a
// heading. The n-th entry gets order n, and the list comes back sorted by
// the ordering `inputOrder` selects (CHECKBOX = 1), as the history grid
// would keep it. With a start date (not 0), an earlier date is refused, as
// the grid refuses it. Throws HistoryCsvError.
HistoryList ReadHistoryCsv(std::string_view bytes, double contractRate, bool inputOrder, DayNumber startDay = 0);

// Writes entries in list order with a heading line, UTF-8; reading the text
// back gives the same entries in the same order, each with its list
// position as its order.
std::string WriteHistoryCsv(const HistoryList& entries);

}  // namespace korvalen::engine
