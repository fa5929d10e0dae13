// A result table as tab-separated text.
#pragma once

#include <string>

#include "korvalen/engine/result_table.h"

namespace korvalen::cli {

// The heading row, then one line per entry: each cell exactly as the table
// holds it, empty cells empty, no padding rows. The lender's one-pixel
// spacer column carries nothing and is left out.
std::string ResultTsv(const ResultTable& table);

}  // namespace korvalen::cli
