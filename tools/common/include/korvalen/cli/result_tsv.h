// A result table as tab-separated text.
#pragma once

#include <string>
#include <string_view>

#include "korvalen/engine/calculation.h"
#include "korvalen/engine/result_table.h"

namespace korvalen::cli {

// The heading row, then one line per entry: each cell exactly as the table
// holds it, empty cells empty, no padding rows. The lender's one-pixel
// spacer column carries nothing and is left out.
std::string ResultTsv(const engine::ResultTable& table);

// Runs the calculation and gives its table as ResultTsv does. The warnings
// of the run are written to std::cerr first, once the table is known, so
// each line names its row and date: `warningStart` + " の表の N 行目（date）: "
// + the message.
std::string CalculationTsv(engine::CalculationKind kind, engine::HistoryList& entries,
                           const engine::CaseRecord& caseRecord, bool westernCalendar, std::string_view warningStart);

}  // namespace korvalen::cli
