#include "rebuild.h"

#include <sqlite3.h>

#include "korvalen/tablestore/errors.h"
#include "layout.h"
#include "page_checksum_vfs.h"
#include "sqlite_errors.h"
#include "stored_layout.h"
#include "table_files.h"

namespace korvalen::tablestore::detail {
namespace {

void Exec(sqlite3* db, const std::string& sql, const std::string& table, const std::filesystem::path* file) {
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowSqlite(db, rc, table, file);
}

}  // namespace

Layout RebuildFromRows(const std::filesystem::path& dataFile, const std::string& tableName,
                       std::chrono::milliseconds timeout) {
    // The fresh copy: a private temporary file, with the same free space at
    // the end of each page as a table file.
    Connection fresh;
    int rc = sqlite3_open_v2("", &fresh.db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_EXRESCODE,
                             PageChecksumVfsName());
    if (rc != SQLITE_OK) ThrowSqlite(fresh.db, rc, tableName, nullptr);
    sqlite3_busy_timeout(fresh.db, static_cast<int>(timeout.count()));
    int reserve = kPageReserve;
    sqlite3_file_control(fresh.db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);

    sqlite3_stmt* attach = nullptr;
    sqlite3_prepare_v2(fresh.db, "ATTACH ?1 AS old", -1, &attach, nullptr);
    sqlite3_bind_text(attach, 1, Utf8(dataFile).c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(attach);
    sqlite3_finalize(attach);
    if (rc != SQLITE_DONE) ThrowSqlite(fresh.db, rc, tableName, &dataFile);
    std::optional<Layout> found;
    if (rc = ReadStoredLayout(fresh.db, "old", found); rc != SQLITE_OK) ThrowSqlite(fresh.db, rc, tableName, &dataFile);
    if (!found) throw EngineError(codes::RecordCorrupt, tableName, "the rows table is not a layout of ours");
    const Layout& layout = *found;
    Exec(fresh.db, "PRAGMA main.page_size=4096", tableName, nullptr);
    for (const std::string& sql : CreateStatements(layout, "main")) Exec(fresh.db, sql, tableName, nullptr);

    // The rows, read with every page checked: a damaged row page stops the
    // rebuild (and is diagnosed as such) instead of being copied.
    Exec(fresh.db, std::string("INSERT INTO main.") + kRowsTable + " SELECT * FROM old." + kRowsTable, tableName,
         &dataFile);
    Exec(fresh.db, "DETACH old", tableName, nullptr);
    if (layout.keyed()) Exec(fresh.db, CreateIndexStatement(layout, "main"), tableName, nullptr);

    // Over the old file. Its pages are read only to be journaled, so they are
    // taken as they are: the damaged ones among them are being replaced.
    Connection target;
    rc = OpenTableFile(target, dataFile, timeout);
    if (rc != SQLITE_OK) ThrowSqlite(target.db, rc, tableName, nullptr);
    Exec(target.db, "PRAGMA synchronous=EXTRA", tableName, nullptr);
    if (auto probe = PageProbe::Of(target.db, "main")) probe->setTolerant(true);
    sqlite3_backup* backup = sqlite3_backup_init(target.db, "main", fresh.db, "main");
    if (!backup) ThrowSqlite(target.db, sqlite3_errcode(target.db), tableName, nullptr);
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) ThrowSqlite(target.db, rc, tableName, nullptr);
    return layout;
}

}  // namespace korvalen::tablestore::detail
