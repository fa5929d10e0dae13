// Reading the layout a table file declares (see layout.h) from an attached
// file's schema, which SQLite loaded when attaching: nothing more is read.
#pragma once

#include <optional>
#include <string>

#include "layout.h"

struct sqlite3;

namespace korvalen::tablestore::detail {

// SQLite's result of preparing a statement on the rows table (not OK: no
// such table, damage); out is empty when the table is not a layout of ours.
int ReadStoredLayout(sqlite3* db, const std::string& schema, std::optional<Layout>& out);

}  // namespace korvalen::tablestore::detail
