// A result table as tab-separated text for the clipboard: the heading row,
// then the chosen rows, cells exactly as the table shows them.
#pragma once

#include <string>
#include <vector>

#include "korvalen/engine/result_table.h"

namespace korvalen::wizard {

// `rows` are table rows (1 = the first entry); those outside the entry rows
// are skipped, and when none is left every entry row is taken. The lender's
// empty one-pixel spacer column is left out. Lines end with "\n".
std::string ResultRowsText(const engine::ResultTable& table, const std::vector<int>& rows);

}  // namespace korvalen::wizard
