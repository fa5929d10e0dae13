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

// The figures a claim is made of, as the statement prints them: an empty
// line, then one line each ("過払金　1,234円"). Nothing for a table without
// entries.
std::string ClaimSummaryText(const engine::ResultTable& table);

struct CalculationText {
    std::string tsv;       // the table, and the claim's figures when asked
    std::string warnings;  // one line each, for the standard error
};

// Runs the calculation and gives its table as ResultTsv does, followed by
// ClaimSummaryText when `summary`. Each warning of the run names its row and
// date: `warningStart` + " の表の N 行目（date）: " + the message.
CalculationText RunCalculationText(engine::CalculationKind kind, engine::HistoryList& entries,
                                   const engine::CaseRecord& caseRecord, bool westernCalendar, bool summary,
                                   std::string_view warningStart);

}  // namespace korvalen::cli
