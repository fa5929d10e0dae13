#include "korvalen/wizard/result_table_text.h"

namespace korvalen::wizard {
namespace {

void AppendRow(std::string& out, const engine::ResultTable& table, int row, int columns) {
    for (int column = 0; column < columns; ++column) {
        if (column > 0) out.push_back('\t');
        out.append(table.cell(row, column));
    }
    out.push_back('\n');
}

}  // namespace

std::string ResultRowsText(const engine::ResultTable& table, const std::vector<int>& rows) {
    // The lender's last column is a one-pixel spacer with nothing in it.
    const int columns =
        table.kind() == engine::CalculationKind::LenderCalculation ? table.columnCount() - 1 : table.columnCount();
    std::vector<int> taken;
    for (int row : rows) {
        if (row >= 1 && row <= table.entryRowCount()) taken.push_back(row);
    }
    if (taken.empty()) {
        for (int row = 1; row <= table.entryRowCount(); ++row) taken.push_back(row);
    }
    std::string out;
    AppendRow(out, table, 0, columns);
    for (int row : taken) AppendRow(out, table, row, columns);
    return out;
}

}  // namespace korvalen::wizard
