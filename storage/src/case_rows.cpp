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
    return cases.findKey({engine::kCaseCode, seq});
}

std::int64_t SeqAfterHighest(tablestore::Database& database) {
    Table cases(database, std::string(kCaseTable));
    cases.open();
    cases.setRange({engine::kCaseCode});
    cases.last();
    if (cases.eof()) return 0;
    return std::int64_t{cases.fieldByName("SEQ").asInteger()} + 1;
}

void DeleteCaseRows(tablestore::Database& database, std::int32_t seq) {
    {
        Table cases(database, std::string(kCaseTable));
        cases.open();
        if (cases.findKey({engine::kCaseCode, seq})) cases.deleteRecord();
    }
    Table entries(database, std::string(kHistoryTable));
    entries.open();
    DeleteRange(entries, {engine::kCaseCode, seq});
}

}  // namespace korvalen::storage::detail
