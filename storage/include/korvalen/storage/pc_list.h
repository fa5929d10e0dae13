// The PCs recorded in CSConM, as the about box lists them: which PCs use
// the database folder, which of them owns it, and their program versions.
#pragma once

#include <string>
#include <vector>

#include "korvalen/tablestore/database.h"

namespace korvalen::storage {

struct PcListRow {
    std::string pcName;   // PCNAME
    bool client = false;  // CS_KUBUN: reaches another PC's folder
    std::string version;  // VERSION last started on the PC
};

// The rows of data version 0 (the only one this program writes) in key order.
std::vector<PcListRow> ListPcs(tablestore::Database& database);

}  // namespace korvalen::storage
