// Small histories written the way a person reads them.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/dates.h"

namespace korvalen::engine::fixtures {

inline DayNumber Day(const char* text) {
    const auto day = ParseDateText(text);
    if (!day) throw std::invalid_argument(std::string("bad test date ") + text);
    return *day;
}

struct EntryRow {
    const char* date;
    std::int32_t borrowing;
    std::int32_t repayment;
    double ratePercent = 29.2;
};

// Entries in the given order, numbered 0, 1, 2, ... as typed.
inline HistoryList MakeHistory(const std::vector<EntryRow>& rows) {
    HistoryList list;
    for (const auto& row : rows) {
        auto entry = std::make_unique<HistoryEntry>();
        entry->date = Day(row.date);
        entry->order = static_cast<std::int32_t>(list.size());
        entry->borrowing = row.borrowing;
        entry->repayment = row.repayment;
        entry->rate = RateToFixed(row.ratePercent);
        list.push_back(std::move(entry));
    }
    return list;
}

}  // namespace korvalen::engine::fixtures
