// The case header, the dated history entries and the order they are kept in.
// This is the chief header of the engine: storage, the wizard and the tools
// all speak in these types.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"

namespace korvalen::engine {

// One dated borrowing and/or repayment.
struct HistoryEntry {
    DayNumber date = 0;
    // Input order; decides only between entries of the same day.
    std::int32_t order = 0;
    std::int32_t borrowing = 0;  // yen, 0 = none
    std::int32_t repayment = 0;  // yen, 0 = none
    // The contract rate of the period ending on this entry; after a
    // recalculation the copy holds the rate it applied (the limit rate, or
    // the contract rate where that is lower).
    FixedRate rate = 0;
};

// A history list owns each of its entries separately, so that the grid can
// keep referring to an entry while the list is re-sorted.
using HistoryList = std::vector<std::unique_ptr<HistoryEntry>>;

// The most entries one case holds: as many as the history table's SEQNO,
// an int16 counted from 0, can number.
inline constexpr std::size_t kMaxCaseEntries = 32768;

std::unique_ptr<HistoryEntry> CopyEntry(const HistoryEntry& entry);
// The recalculation copy: an independent copy of every entry, in list order.
HistoryList CopyHistory(const HistoryList& list);

// Ordering of entries: −1, 0 or 1. Both put the earlier date first.
// Same day, input order: the smaller order first.
int CompareEntriesInputOrder(const HistoryEntry& a, const HistoryEntry& b);
// Same day, default order: two borrowings keep their input order; otherwise
// the larger borrowing first (a borrowing before a repayment), then input order.
int CompareEntriesBorrowingFirst(const HistoryEntry& a, const HistoryEntry& b);
// Sorts with the ordering a case's CHECKBOX selects (1 = input order).
void SortHistory(HistoryList& list, std::int32_t checkbox);

inline constexpr std::int32_t kCaseCode = 9999;

// The case header; the fields carry the names of the case table's columns.
struct CaseRecord {
    std::int32_t CODE = kCaseCode;
    std::int32_t SEQ = 0;
    std::string NAME;                  // debtor
    std::string GYOSYA_NAME;           // creditor
    std::string BIKO;                  // remarks
    double RIRITSU = 0;                // contract rate, percent
    std::int32_t KEISAN_KIND = 0;      // DayCountMethod
    bool SYONITI_UMU = true;           // interest also on the day of a borrowing
    double KABARAI_RIRITSU = 0;        // rate on overpayments, percent
    std::int32_t SEISAN_KIND = 0;      // 0 = offset against later borrowings, else claimed at the end
    DayNumber START_DAY = 0;           // 0 = no start date
    std::int32_t START_KARI = 0;       // balance owed at the start date, yen
    std::int32_t HIKI_RIRITU = 0;      // reference borrowing for the first limit rate, yen; 0 = none
    std::int32_t CHECKBOX = 0;         // 1 = same-day entries in input order
    std::int32_t NOW_ZAN = 0;          // always saved as 0
    std::int32_t HIKINAOSIGO_ZAN = 0;  // always saved as 0
};

}  // namespace korvalen::engine
