#include "korvalen/engine/case_model.h"

#include <algorithm>

namespace korvalen::engine {
namespace {

int Sign(double difference) { return difference < 0 ? -1 : difference > 0 ? 1 : 0; }
int CompareOrder(const HistoryEntry& a, const HistoryEntry& b) { return a.order < b.order ? -1 : a.order > b.order; }

}  // namespace

std::unique_ptr<HistoryEntry> CopyEntry(const HistoryEntry& entry) { return std::make_unique<HistoryEntry>(entry); }

HistoryList CopyHistory(const HistoryList& list) {
    HistoryList copy;
    copy.reserve(list.size());
    for (const auto& entry : list) copy.push_back(CopyEntry(*entry));
    return copy;
}

int CompareEntriesInputOrder(const HistoryEntry& a, const HistoryEntry& b) {
    if (const int byDate = Sign(a.date - b.date)) return byDate;
    return CompareOrder(a, b);
}

int CompareEntriesBorrowingFirst(const HistoryEntry& a, const HistoryEntry& b) {
    if (const int byDate = Sign(a.date - b.date)) return byDate;
    if (a.borrowing != 0 && b.borrowing != 0) return CompareOrder(a, b);
    if (a.borrowing != b.borrowing) return a.borrowing > b.borrowing ? -1 : 1;
    return CompareOrder(a, b);
}

void SortHistory(HistoryList& list, std::int32_t checkbox) {
    auto compare = checkbox == 1 ? CompareEntriesInputOrder : CompareEntriesBorrowingFirst;
    // A merge sort stays within the list even if a comparison were ever
    // inconsistent (a negative borrowing from a damaged table).
    std::stable_sort(list.begin(), list.end(), [compare](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
}

}  // namespace korvalen::engine
