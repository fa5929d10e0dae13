// Reading the history file a command-line tool is given.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/history_csv.h"

namespace korvalen::cli {

// The entries of the history CSV at `path` and the reader's warnings, read
// with the contract rate, same-day order and start date of `caseRecord`.
// Throws UsageError naming the file when it cannot be read (missing,
// unreadable, or a folder) and naming the file and line when a line is
// refused.
engine::HistoryCsv ReadHistoryFile(const std::string& path, const engine::CaseRecord& caseRecord);

// The reader's warnings, one line each:
// `program` + ": 警告: " + path + " の N 行目: " + the warning.
void PrintReadWarnings(std::ostream& err, std::string_view program, const std::string& path,
                       const std::vector<engine::HistoryCsvWarning>& warnings);

}  // namespace korvalen::cli
