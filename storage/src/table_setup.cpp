#include "korvalen/storage/table_setup.h"

#include <string>

#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "transaction.h"

namespace korvalen::storage {

namespace {

using tablestore::FieldType;

void CreateIfMissing(tablestore::Database& database, const TableLayout& layout) {
    // A file that a first start killed in the middle of its creation left
    // behind holds no row: it is made again, as a missing table would be.
    if (database.tableExists(layout.name) && !database.UnfinishedTable(layout.name)) return;
    try {
        CreateTable(database, layout);
    } catch (const tablestore::EngineError& e) {
        if (e.code() != tablestore::codes::TableExists) throw;
    }
}

// Copies one field by name between the old and the new case table, as the
// type of the new field; a field the old table lacks stays empty (zero).
void CopyByName(tablestore::Table& from, tablestore::Table& to, const tablestore::FieldDef& def) {
    if (!from.findField(def.name)) return;
    const tablestore::Field source = from.fieldByName(def.name);
    tablestore::Field target = to.fieldByName(def.name);
    switch (def.type) {
        case FieldType::String: target.setString(source.asString()); break;
        case FieldType::Float: target.setFloat(source.asFloat()); break;
        case FieldType::Date: target.setDate(source.asDate()); break;
        case FieldType::Boolean: target.setBoolean(source.asBoolean()); break;
        case FieldType::Int16:
        case FieldType::Int32: target.setInteger(source.asInteger()); break;
    }
}

}  // namespace

bool IsOldCaseTable(tablestore::Database& database) {
    tablestore::Table table(database, std::string(kCaseTable));
    table.open();
    if (!table.findField("CHECKBOX")) return true;
    try {
        table.findKey({1});
    } catch (const std::exception&) {
        return true;
    }
    return false;
}

void UpgradeCaseTable(tablestore::Database& database) {
    const TableLayout layout = CaseTableLayout();
    CreateTable(database, layout, kCaseTableUpgrade);
    detail::InTransaction(database, [&] {
        tablestore::Table from(database, std::string(kCaseTable));
        tablestore::Table to(database, std::string(kCaseTableUpgrade));
        from.open();
        to.open();
        for (from.first(); !from.eof(); from.next()) {
            to.append();
            for (const auto& def : layout.fields) CopyByName(from, to, def);
            if (!from.findField("CHECKBOX")) to.fieldByName("CHECKBOX").setInteger(0);
            to.post();
        }
    });
    database.deleteTable(kCaseTable);
    database.renameTable(kCaseTableUpgrade, kCaseTable);
}

void CreateAndUpgradeTables(tablestore::Database& database) {
    // SinseiT13 is deleted only once its copy is complete: a copy without
    // the table it came from holds every case, one beside it is scrap.
    if (database.tableExists(kCaseTableUpgrade)) {
        if (database.tableExists(kCaseTable)) {
            database.deleteTable(kCaseTableUpgrade);
        } else {
            database.renameTable(kCaseTableUpgrade, kCaseTable);
        }
    }
    if (!database.tableExists(kCaseTable) || database.UnfinishedTable(kCaseTable)) {
        CreateIfMissing(database, CaseTableLayout());
    } else if (IsOldCaseTable(database)) {
        UpgradeCaseTable(database);
    }
    for (const TableLayout& layout : {HistoryTableLayout(), PcTableLayout(), OptionsTableLayout()}) {
        CreateIfMissing(database, layout);
    }
}

}  // namespace korvalen::storage
