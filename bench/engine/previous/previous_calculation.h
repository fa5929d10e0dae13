// The result table and the calculation as they were before each row's texts
// were written straight into the table's buffer: the previous implementation,
// kept unchanged so that the benchmark can run it side by side with the
// engine's and the tests can check that both give the same texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/calculation.h"
#include "korvalen/engine/result_table.h"

namespace korvalen::engine::previous {

class ResultTable {
public:
    explicit ResultTable(CalculationKind kind);

    CalculationKind kind() const { return kind_; }
    // 11 for the recalculation; 10 for the lender's table, whose last column
    // is a one-pixel spacer that stays empty.
    int columnCount() const { return columns_; }
    // Heading row plus one row per entry, and never fewer than 50.
    int rowCount() const { return rowCount_; }
    // How many rows after the heading belong to entries.
    int entryRowCount() const { return static_cast<int>(rows_.size()); }
    // The text of a cell; empty for cells nothing was written to. Valid
    // until the next Fill.
    std::string_view cell(int row, int column) const;
    const std::vector<ResultRow>& rows() const { return rows_; }

    // Empties every data row, then writes one row of texts per figure row.
    void Fill(std::vector<ResultRow> rows, bool westernCalendar);

private:
    // The texts of the heading row and the entry rows, cell after cell in
    // one buffer: a table of a thousand rows then costs two allocations
    // instead of eleven thousand strings. Padding rows hold nothing.
    void Append(std::string_view text);
    void AppendAmount(std::int64_t yen);

    CalculationKind kind_;
    int columns_;
    int rowCount_ = kMinimumResultRows;
    std::string text_;
    std::vector<std::uint32_t> cellEnds_;
    std::vector<ResultRow> rows_;
};

ResultTable RunCalculation(CalculationKind kind, HistoryList& entries, const CaseRecord& caseRecord,
                           const CalculationOptions& options = {});

}  // namespace korvalen::engine::previous
