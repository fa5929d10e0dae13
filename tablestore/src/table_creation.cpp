#include "table_creation.h"

#include <sqlite3.h>

#include "korvalen/tablestore/errors.h"
#include "layout.h"
#include "page_checksum_vfs.h"
#include "session.h"
#include "sqlite_errors.h"
#include "table_files.h"

namespace korvalen::tablestore::detail {

namespace fs = std::filesystem;

fs::path BuildingFile(const fs::path& dataFile) {
    fs::path building = dataFile;
    building += std::string(kBuildingSuffix);
    return building;
}

void BuildTableFile(const fs::path& file, const Layout& layout, const std::string& tableName,
                    std::chrono::milliseconds timeout) {
    auto removeAll = [&] {
        std::error_code ignored;
        fs::remove(file, ignored);
        fs::remove(JournalOf(file), ignored);
    };
    try {
        Connection c;
        int rc =
            sqlite3_open_v2(Utf8(file).c_str(), &c.db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXRESCODE, PageChecksumVfsName());
        if (rc != SQLITE_OK) ThrowSqlite(c.db, rc, tableName, &file);
        sqlite3_busy_timeout(c.db, static_cast<int>(timeout.count()));
        int reserve = kPageReserve;
        sqlite3_file_control(c.db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
        auto exec = [&](const std::string& sql) {
            const int result = sqlite3_exec(c.db, sql.c_str(), nullptr, nullptr, nullptr);
            if (result != SQLITE_OK) ThrowSqlite(c.db, result, tableName, nullptr);
        };
        exec("PRAGMA main.page_size=4096");
        // FULL syncs the file at the commit: it is whole on the disk before
        // it is renamed into place.
        exec("PRAGMA main.synchronous=FULL");
        exec("BEGIN");
        for (const std::string& sql : CreateStatements(layout, "main")) exec(sql);
        if (layout.keyed()) exec(CreateIndexStatement(layout, "main"));
        exec("COMMIT");
    } catch (...) {
        removeAll();
        throw;
    }
}

bool CreationCutOff(const fs::path& dataFile, std::chrono::milliseconds timeout) {
    std::error_code ec;
    const auto size = fs::file_size(dataFile, ec);
    if (ec) return false;
    if (size == 0 && !fs::exists(JournalOf(dataFile), ec)) return true;
    // Reading the schema rolls a left-over journal back first.
    Connection c;
    if (OpenTableFile(c, dataFile, timeout) != SQLITE_OK) return false;
    sqlite3_stmt* st = nullptr;
    bool empty = false;
    if (sqlite3_prepare_v2(c.db, "SELECT count(*) FROM main.sqlite_schema", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        empty = sqlite3_column_int64(st, 0) == 0;
    }
    sqlite3_finalize(st);
    return empty;
}

}  // namespace korvalen::tablestore::detail
