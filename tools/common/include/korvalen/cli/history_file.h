// Reading the history file a command-line tool is given.
#pragma once

#include <string>

#include "korvalen/engine/case_model.h"

namespace korvalen::cli {

// The entries of the history CSV at `path`, read with the contract rate,
// same-day order and start date of `caseRecord`. Throws UsageError naming
// the file when it cannot be read (missing, unreadable, or a folder) and
// naming the file and line when a line is refused.
engine::HistoryList ReadHistoryFile(const std::string& path, const engine::CaseRecord& caseRecord);

}  // namespace korvalen::cli
