// The result tables of the two calculations: one computed row per entry,
// held as the texts the screens and the statement show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"

namespace korvalen::engine {

enum class CalculationKind {
    LenderCalculation,  // 業者計算: the contract rates as entered
    Recalculation,      // 引直計算: the statutory limit rates, with overpayment
};

// The figures of one entry's line.
struct ResultRow {
    DayNumber date = 0;
    std::int32_t borrowing = 0;
    std::int32_t repayment = 0;
    std::optional<std::int64_t> days;  // none in row 1 without a start date
    FixedRate appliedRate = 0;
    std::int32_t interest = 0;
    std::int32_t principalRepaid = 0;
    std::int64_t balance = 0;                               // yen; negative is an overpayment
    std::optional<std::int32_t> unpaidInterestChange;       // none when nothing changed
    std::int32_t overpaymentInterest = 0;                   // recalculation only
    std::optional<std::int32_t> unpaidOverpaymentInterest;  // none while nothing has accumulated
};

// Columns of the result tables.
enum ResultColumn : int {
    kColDate = 0,
    kColBorrowing,
    kColRepayment,
    kColDays,
    kColRate,
    kColInterest,
    kColPrincipalRepaid,
    kColBalance,
    kColUnpaidInterest,
    kColOverpaymentInterest,
    kColUnpaidOverpaymentInterest,
};

// The screens show at least this many rows, the heading row included.
inline constexpr int kMinimumResultRows = 50;

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
    // one buffer, each cell written straight into it: a table of a thousand
    // rows costs a handful of allocations instead of eleven thousand
    // strings. Each row records where it starts and where each of its cells
    // ends within it. Padding rows hold nothing.
    void WriteTexts(bool westernCalendar);

    CalculationKind kind_;
    int columns_;
    int rowCount_ = kMinimumResultRows;
    std::string text_;
    std::vector<std::uint32_t> rowStarts_;
    std::vector<std::uint16_t> cellEnds_;
    std::vector<ResultRow> rows_;
};

}  // namespace korvalen::engine
