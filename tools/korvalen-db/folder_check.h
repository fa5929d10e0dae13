// The soundness of a database folder, table by table.
#pragma once

#include <string>
#include <vector>

#include "korvalen/tablestore/database.h"

namespace korvalen::dbtool {

struct CheckFinding {
    std::string table;
    std::string problem;  // empty: the table is sound
};

// Every table of the folder: present, its pages and index sound (the
// engine's integrity check), its layout the current one, its index file
// there; then history rows whose case is gone. One finding per table that
// is sound, one per problem otherwise.
std::vector<CheckFinding> CheckFolder(tablestore::Database& database);

}  // namespace korvalen::dbtool
