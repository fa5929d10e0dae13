// Creating the tables of a database folder and upgrading an old case table.
#pragma once

#include "korvalen/tablestore/database.h"

namespace korvalen::storage {

// Whether SinseiT13 is of an older layout: it lacks the field CHECKBOX, or
// its key cannot be searched by CODE. The table must exist.
bool IsOldCaseTable(tablestore::Database& database);

// Rebuilds an old SinseiT13 in the current layout: every row is copied by
// field name into SinseiT13b (CHECKBOX 0 where the old table has none),
// then SinseiT13 is deleted and SinseiT13b takes its name. An error during
// the copy leaves SinseiT13 as it was.
void UpgradeCaseTable(tablestore::Database& database);

// Every table the folder lacks is created empty and an old SinseiT13 is
// upgraded; existing tables are otherwise left alone. An upgrade that a
// crash cut off is finished (the copy was complete) or discarded (it was
// not). A table another process creates at the same moment counts as made.
void CreateAndUpgradeTables(tablestore::Database& database);

}  // namespace korvalen::storage
