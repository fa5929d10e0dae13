#include "korvalen/cli/result_tsv.h"

namespace korvalen::cli {

std::string ResultTsv(const ResultTable& table) {
    const int columns = table.kind() == CalculationKind::Recalculation ? table.columnCount() : kColUnpaidInterest + 1;
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

}  // namespace korvalen::cli
