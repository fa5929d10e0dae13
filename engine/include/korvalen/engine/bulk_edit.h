// The two bulk edits of the history list: one contract rate for every
// entry from a row on (利率の一括変換), and the removal of a range of rows
// (範囲選択データ一括削除). Rows are counted as the history grid counts
// them: row 1 is the first entry of the list.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "korvalen/engine/case_model.h"

namespace korvalen::engine {

// What is missing from a rate change; the dialog puts the focus there.
enum class RateChangeFault {
    NoRate,  // 変更後利率 is 0
    NoRow,   // the first row is 0
};

struct RateChangeRefusal {
    RateChangeFault fault;
    std::string message;  // a warning with an OK button
};

std::optional<RateChangeRefusal> CheckRateChange(double newRatePercent, int firstRow);

// Every entry from `firstRow` to the end of the list takes `rate`, also
// those past the rows the grid shows. Returns how many changed (none when
// the row lies beyond the list).
std::size_t ChangeRatesFrom(HistoryList& list, int firstRow, FixedRate rate);

// Whether 削除(&D) may run: both rows given and the range not reversed.
bool IsDeletableRange(int firstRow, int lastRow);

// Releases the entries of rows `firstRow` to `lastRow`, the last lowered to
// the end of the list; a range wholly beyond it removes nothing. Returns
// how many went.
std::size_t DeleteRowRange(HistoryList& list, int firstRow, int lastRow);

}  // namespace korvalen::engine
