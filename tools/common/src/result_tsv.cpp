#include "korvalen/cli/result_tsv.h"

#include <iostream>
#include <vector>

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

std::string CalculationTsv(engine::CalculationKind kind, engine::HistoryList& entries,
                           const engine::CaseRecord& caseRecord, bool westernCalendar, std::string_view warningStart) {
    std::vector<engine::CalculationWarning> warnings;
    const engine::CalculationOptions options{westernCalendar,
                                             [&](const engine::CalculationWarning& w) { warnings.push_back(w); }};
    const engine::ResultTable table = engine::RunCalculation(kind, entries, caseRecord, options);
    for (const auto& w : warnings) {
        const int row = static_cast<int>(w.entryIndex) + 1;
        std::cerr << warningStart << " の表の " << row << " 行目（" << table.cell(row, engine::kColDate)
                  << "）: " << w.message << '\n';
    }
    return ResultTsv(table);
}

}  // namespace korvalen::cli
