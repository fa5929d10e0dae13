#include "writer_lock.h"

#include <sqlite3.h>

#include <thread>

#include "anchor.h"
#include "korvalen/tablestore/errors.h"
#include "session.h"
#include "sqlite_errors.h"

namespace korvalen::tablestore::detail {

namespace {

constexpr std::chrono::milliseconds kPauseBetweenWrites{2};

}  // namespace

WriterLock::~WriterLock() {
    depth_ = depth_ > 0 ? 1 : 0;
    release();
}

void WriterLock::acquire(const std::string& tableName) {
    if (depth_ > 0) {
        ++depth_;
        return;
    }
    // Writes that follow each other at once (a list of cases deleted one by
    // one) leave a moment between their commits, in which the readers of
    // other processes get at the tables.
    if (const auto since = std::chrono::steady_clock::now() - released_; since < kPauseBetweenWrites) {
        std::this_thread::sleep_for(kPauseBetweenWrites - since);
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
        // Damage in the anchor is no damage of the table being written.
        if (AnchorDamaged(rc)) ReplaceDamagedAnchor(anchor_, detail);
        const std::uint16_t code = CodeForSqlite(rc, detail, sysErr);
        throw EngineError(code, tableName, "write lock: " + detail,
                          code == codes::AccessDenied ? Utf8(anchor_) : std::string());
    }
    conn_ = conn;
    depth_ = 1;
}

bool WriterLock::TryAcquire() noexcept {
    if (depth_ > 0) {
        ++depth_;
        return true;
    }
    sqlite3* conn = nullptr;
    int rc = sqlite3_open_v2(Utf8(anchor_).c_str(), &conn,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXRESCODE, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(conn, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(conn);
        return false;
    }
    conn_ = conn;
    depth_ = 1;
    return true;
}

void WriterLock::release() noexcept {
    if (depth_ == 0) return;
    if (--depth_ > 0) return;
    // Nothing was written through this connection: the commit only drops
    // the lock.
    sqlite3_exec(conn_, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(conn_);
    conn_ = nullptr;
    released_ = std::chrono::steady_clock::now();
}

}  // namespace korvalen::tablestore::detail
