// A case's history as a CSV file: one entry per line,
// date,borrowing,repayment[,rate].
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {

// Bad input in a history file; what() is the problem, line() the line it
// is on (from 1), or 0 when it concerns the file as a whole.
class HistoryCsvError : public CalculationError {
public:
    HistoryCsvError(int line, const std::string& problem) : CalculationError(problem), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Something in the file that is read all the same but is most often a
// typo, for the user to look at.
struct HistoryCsvWarning {
    int line;
    std::string message;
};

struct HistoryCsv {
    HistoryList entries;
    std::vector<HistoryCsvWarning> warnings;
};

// The longest line a history file may have, in bytes. A real entry takes
// well under a hundred; the bound keeps a file that is not a history (or
// has no line breaks at all) from being held in memory.
inline constexpr std::size_t kMaxHistoryLineBytes = 512;
// The most a history file may hold, in bytes: a full case of the longest
// lines.
inline constexpr std::size_t kMaxHistoryFileBytes = (kMaxCaseEntries + 1) * (kMaxHistoryLineBytes + 2);

// Reads a history file: UTF-8 (a BOM is allowed) or Shift-JIS, detected
// over the whole file. Lines end with LF, CR LF or a lone CR.
//
// The first line that is not blank is a heading when its first field is not
// shaped like a date and neither amount field reads as a number; otherwise
// it is the first entry. It has 3 or 4 fields, and every line after it has
// as many, so an amount written with unquoted thousands separators is
// refused instead of read as two figures.
//
// A date is YYYY-MM-DD, YYYY/MM/DD or yy/mm/dd, from 1873-01-01 to
// 2099-12-31, and with a start date (caseRecord.START_DAY, not 0) not before
// it, as the grid refuses it. Amounts may carry thousands separators
// (quoted); an empty amount is 0. An empty rate (in percent) is the one of
// the line above, on the first entry the contract rate (caseRecord.RIRITSU).
// The n-th entry gets order n, and the list comes back sorted by the
// ordering caseRecord.CHECKBOX selects, as the history grid would keep it;
// an entry dated before the entry above it in the file gives a warning.
//
// At most kMaxCaseEntries entries, kMaxHistoryLineBytes per line and
// kMaxHistoryFileBytes in all are read: reading stops there, so memory
// stays bounded whatever the input. A file without a single entry is
// refused. Throws HistoryCsvError; problems are reported in line order.
HistoryCsv ReadHistoryCsv(std::istream& in, const CaseRecord& caseRecord);
HistoryCsv ReadHistoryCsv(std::string_view bytes, const CaseRecord& caseRecord);

// Writes entries in list order with a heading line, UTF-8; reading the text
// back gives the same entries in the same order, each with its list
// position as its order.
std::string WriteHistoryCsv(const HistoryList& entries);

}  // namespace korvalen::engine
