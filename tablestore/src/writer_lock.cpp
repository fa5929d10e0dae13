#include "writer_lock.h"

#include <sqlite3.h>

#include "korvalen/tablestore/errors.h"
#include "session.h"
#include "sqlite_errors.h"

namespace korvalen::tablestore::detail {

WriterLock::~WriterLock() {
    depth_ = depth_ > 0 ? 1 : 0;
    release();
}

void WriterLock::acquire(const std::string& tableName) {
    if (depth_ > 0) {
        ++depth_;
        return;
    }
    // A fresh connection each time: should the anchor have been deleted and
    // made again (a restore empties the folder), a kept connection would lock
    // the old file while others lock the new one.
    sqlite3* conn = nullptr;
    int rc = sqlite3_open_v2(Utf8(anchor_).c_str(), &conn,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXRESCODE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(conn, static_cast<int>(timeout_.count()));
        rc = sqlite3_exec(conn, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        int sysErr = conn ? sqlite3_system_errno(conn) : 0;
        std::string detail = conn ? sqlite3_errmsg(conn) : "cannot open the anchor";
        sqlite3_close_v2(conn);
        throw EngineError(CodeForSqlite(rc, detail, sysErr), tableName, "write lock: " + detail);
    }
    conn_ = conn;
    depth_ = 1;
}

void WriterLock::release() noexcept {
    if (depth_ == 0) return;
    if (--depth_ > 0) return;
    // Nothing was written through this connection: the commit only drops
    // the lock.
    sqlite3_exec(conn_, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(conn_);
    conn_ = nullptr;
}

}  // namespace korvalen::tablestore::detail
