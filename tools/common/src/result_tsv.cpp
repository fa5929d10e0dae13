#include "korvalen/cli/result_tsv.h"

#include <vector>

#include "korvalen/engine/claim_summary.h"

namespace korvalen::cli {

std::string ResultTsv(const engine::ResultTable& table) {
    const int columns =
        table.kind() == engine::CalculationKind::Recalculation ? table.columnCount() : engine::kColUnpaidInterest + 1;
    std::string out;
    for (int row = 0; row <= table.entryRowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            if (column > 0) out.push_back('\t');
            out += table.cell(row, column);
        }
        out.push_back('\n');
    }
    return out;
}

std::string ClaimSummaryText(const engine::ResultTable& table) {
    const std::vector<engine::ClaimLine> lines = engine::ClaimLines(engine::SummariseClaim(table));
    if (lines.empty()) return {};
    std::string out = "\n";
    for (const engine::ClaimLine& line : lines) out += engine::FormatClaimLine(line) + "\n";
    return out;
}

CalculationText RunCalculationText(engine::CalculationKind kind, engine::HistoryList& entries,
                                   const engine::CaseRecord& caseRecord, bool westernCalendar, bool summary,
                                   std::string_view warningStart) {
    std::vector<engine::CalculationWarning> warnings;
    const engine::CalculationOptions options{westernCalendar,
                                             [&](const engine::CalculationWarning& w) { warnings.push_back(w); }};
    const engine::ResultTable table = engine::RunCalculation(kind, entries, caseRecord, options);
    CalculationText text;
    for (const auto& w : warnings) {
        const int row = static_cast<int>(w.entryIndex) + 1;
        text.warnings += std::string(warningStart) + " の表の " + std::to_string(row) + " 行目（";
        text.warnings += table.cell(row, engine::kColDate);
        text.warnings += "）: " + w.message + "\n";
    }
    text.tsv = ResultTsv(table);
    if (summary) text.tsv += ClaimSummaryText(table);
    return text;
}

}  // namespace korvalen::cli
