// Row-level steps shared by the case operations; callers hold the
// transaction.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/table.h"

namespace korvalen::storage::detail {

// Deletes every row of the range.
void DeleteRange(tablestore::Table& table, std::initializer_list<tablestore::KeyValue> range);
bool CaseExists(tablestore::Database& database, std::int32_t seq);
// The number after the highest SEQ of the cases (CODE 9999), 0 when there
// is none; the callers check it against the limit, each with its own words.
std::int64_t SeqAfterHighest(tablestore::Database& database);
// The case row, when there is one, and all its history rows.
void DeleteCaseRows(tablestore::Database& database, std::int32_t seq);

}  // namespace korvalen::storage::detail
