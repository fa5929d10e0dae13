#include "korvalen/storage/pc_list.h"

#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/table.h"

namespace korvalen::storage {

std::vector<PcListRow> ListPcs(tablestore::Database& database) {
    std::vector<PcListRow> rows;
    tablestore::Table pcs(database, std::string(kPcTable));
    pcs.open();
    pcs.setRange({0});
    for (pcs.first(); !pcs.eof(); pcs.next()) {
        rows.push_back({pcs.fieldByName(kPcNameColumn.name).asString(), pcs.fieldByName("CS_KUBUN").asBoolean(),
                        pcs.fieldByName(kVersionColumn.name).asString()});
    }
    return rows;
}

}  // namespace korvalen::storage
