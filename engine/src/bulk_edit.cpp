#include "korvalen/engine/bulk_edit.h"

#include <algorithm>

namespace korvalen::engine {

std::optional<RateChangeRefusal> CheckRateChange(double newRatePercent, int firstRow) {
    if (newRatePercent == 0) return RateChangeRefusal{RateChangeFault::NoRate, "【変更後の利率】を入力して下さい。"};
    if (firstRow == 0) return RateChangeRefusal{RateChangeFault::NoRow, "【何行目】を入力して下さい。"};
    return std::nullopt;
}

std::size_t ChangeRatesFrom(HistoryList& list, int firstRow, FixedRate rate) {
    const std::size_t first = static_cast<std::size_t>(std::max(firstRow, 1) - 1);
    std::size_t changed = 0;
    for (std::size_t i = first; i < list.size(); ++i, ++changed) list[i]->rate = rate;
    return changed;
}

bool IsDeletableRange(int firstRow, int lastRow) { return firstRow > 0 && lastRow > 0 && firstRow <= lastRow; }

std::size_t DeleteRowRange(HistoryList& list, int firstRow, int lastRow) {
    if (!IsDeletableRange(firstRow, lastRow) || list.empty()) return 0;
    const auto first = static_cast<std::size_t>(firstRow - 1);
    const std::size_t last = std::min(static_cast<std::size_t>(lastRow - 1), list.size() - 1);
    if (last < first) return 0;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(first), list.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    return last - first + 1;
}

}  // namespace korvalen::engine
