// One case between the case model and the tables: the header in SinseiT13
// and its history in SinseiT32. Each save and each deletion is one
// transaction of the table engine, so an error or a crash in the middle
// leaves the case exactly as it was before.
#pragma once

#include <cstdint>
#include <optional>

#include "korvalen/engine/case_model.h"
#include "korvalen/tablestore/database.h"

namespace korvalen::storage {

struct StoredCase {
    engine::CaseRecord header;
    engine::HistoryList history;  // in stored order; each entry's order is its position
};

// The case (9999, seq) with its history, read from one committed state of
// both tables without the folder's write lock; nothing when it is not
// stored. SEISAN_KIND reads 1 for any
// value but 0 and CHECKBOX 1 only for exactly 1, as the wizard's controls
// take them.
std::optional<StoredCase> LoadCase(tablestore::Database& database, std::int32_t seq);

// Stores the header under (9999, header.SEQ), a new row or over the old
// one, and replaces the case's history with the entries in list order
// (SEQNO 0, 1, 2, ...), their rates as percent. NOW_ZAN and HIKINAOSIGO_ZAN
// are written as 0. Texts too long for their columns, a SEQ outside 0 to
// 32,767 and more entries than SEQNO can number are refused with a
// tablestore::DataError before anything is written.
void SaveCase(tablestore::Database& database, const engine::CaseRecord& header, const engine::HistoryList& history);

// Stores a new case and returns its SEQ: `preferredSeq` when that number is
// still free, otherwise the number after the highest stored one (another PC
// may have stored a case under the preferred number since it was chosen).
// Deciding the number and writing the case are one transaction.
std::int32_t SaveNewCase(tablestore::Database& database, const engine::CaseRecord& header,
                         const engine::HistoryList& history, std::optional<std::int32_t> preferredSeq = std::nullopt);

// Deletes the case row, when there is one, and every history row of the case.
void DeleteCase(tablestore::Database& database, std::int32_t seq);

// The checks SaveCase makes before it writes: a tablestore::DataError
// explaining the first problem.
void CheckCaseFits(const engine::CaseRecord& header, const engine::HistoryList& history);
// A case number the tables can hold (0 to 32,767); DataError otherwise.
void CheckSeq(std::int64_t seq);

}  // namespace korvalen::storage
