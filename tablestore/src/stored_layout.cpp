#include "stored_layout.h"

#include <sqlite3.h>

#include <vector>

namespace korvalen::tablestore::detail {

int ReadStoredLayout(sqlite3* db, const std::string& schema, std::optional<Layout>& out) {
    out.reset();
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT * FROM " + Quote(schema) + "." + kRowsTable;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        return rc;
    }
    std::vector<StoredColumn> columns;
    bool rowNumberFirst = false;
    const int count = sqlite3_column_count(st);
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(st, i);
        const char* type = sqlite3_column_decltype(st, i);
        int notNull = 0;
        sqlite3_table_column_metadata(db, schema.c_str(), kRowsTable, name, nullptr, nullptr, &notNull, nullptr,
                                      nullptr);
        StoredColumn c{name ? name : "", type ? type : "", notNull != 0};
        if (i == 0) {
            rowNumberFirst = Quote(c.name) == kRowColumn && c.type == "INTEGER";
        } else {
            columns.push_back(std::move(c));
        }
    }
    sqlite3_finalize(st);
    if (rowNumberFirst) out = LayoutFromStored(columns);
    return SQLITE_OK;
}

}  // namespace korvalen::tablestore::detail
