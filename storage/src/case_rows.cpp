#include "case_rows.h"

#include <string>

#include "korvalen/engine/case_model.h"
#include "korvalen/storage/schema.h"

namespace korvalen::storage::detail {

using tablestore::Table;

void DeleteRange(Table& table, std::initializer_list<tablestore::KeyValue> range) {
    table.setRange(range);
    for (table.first(); !table.eof();) table.deleteRecord();
    table.cancelRange();
}

bool CaseExists(tablestore::Database& database, std::int32_t seq) {
    Table cases(database, std::string(kCaseTable));
    cases.open();
    return cases.findKey({kCaseCode, seq});
}

std::optional<std::int32_t> HighestCaseSeq(tablestore::Database& database) {
    Table cases(database, std::string(kCaseTable));
    cases.open();
    cases.setRange({kCaseCode});
    cases.last();
    if (cases.eof()) return std::nullopt;
    return cases.fieldByName("SEQ").asInteger();
}

void DeleteCaseRows(tablestore::Database& database, std::int32_t seq) {
    {
        Table cases(database, std::string(kCaseTable));
        cases.open();
        if (cases.findKey({kCaseCode, seq})) cases.deleteRecord();
    }
    Table entries(database, std::string(kHistoryTable));
    entries.open();
    DeleteRange(entries, {kCaseCode, seq});
}

}  // namespace korvalen::storage::detail
