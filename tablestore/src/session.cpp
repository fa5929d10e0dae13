#include "session.h"

#include <sqlite3.h>

#include "cursor.h"
#include "korvalen/tablestore/errors.h"
#include "os_errors.h"
#include "page_checksum_vfs.h"
#include "rebuild.h"
#include "sqlite_errors.h"
#include "stored_layout.h"
#include "table_files.h"

namespace korvalen::tablestore::detail {

namespace fs = std::filesystem;

namespace {

// A URI that opens an existing file only ("mode=rw"; "rwc" may create it):
// ATTACH of a plain name would quietly make an empty file where a table
// vanished.
std::string FileUri(const fs::path& file, bool create) {
    // A URI path is always absolute: a folder given relative to the working
    // folder would otherwise be read from the root of the disk.
    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec);
    const auto generic = (ec ? file : absolute).generic_u8string();
    const std::string path(generic.begin(), generic.end());
    std::string uri = "file:";
    if (path.empty() || path[0] != '/') uri += "///";
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : path) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                     c == '-' || c == '_' || c == '.' || c == '~' || c == ':';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri + (create ? "?mode=rwc" : "?mode=rw");
}

}  // namespace

void Attachment::NoteWrite(std::vector<Value> key) {
    // Enough for a cursor that reads while another writes a row at a time;
    // a cursor further behind simply reads its batch again.
    constexpr std::size_t kWritesKept = 64;
    writes.push_back({generation, std::move(key)});
    if (writes.size() > kWritesKept) {
        writesFrom = writes.front().generation;
        writes.pop_front();
    }
}

std::string Utf8(const fs::path& path) {
    auto u = path.u8string();
    return std::string(u.begin(), u.end());
}

Session::Session(fs::path folder, std::chrono::milliseconds timeout)
    : folder_(std::move(folder)), timeout_(timeout), writer_(folder_ / std::string(kAnchorName), timeout) {}

Session::~Session() { disconnect(); }

void Session::setTimeout(std::chrono::milliseconds timeout) {
    timeout_ = timeout;
    writer_.setTimeout(timeout);
    if (db_) sqlite3_busy_timeout(db_, static_cast<int>(timeout.count()));
}

sqlite3* Session::db() {
    if (db_) return db_;
    CheckFolder(folder_);
    // The main database is the folder's anchor file, a real file in the
    // folder itself: SQLite makes a commit over several attached tables
    // atomic only then, through a super-journal beside it.
    const fs::path anchor = folder_ / std::string(kAnchorName);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(
        Utf8(anchor).c_str(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX,
        PageChecksumVfsName());
    if (rc != SQLITE_OK) {
        int sysErr = db ? sqlite3_system_errno(db) : 0;
        std::string detail = db ? sqlite3_errmsg(db) : "cannot open";
        sqlite3_close_v2(db);
        std::uint16_t code = (rc & 0xff) == SQLITE_NOMEM ? codes::OutOfMemory
                             : sysErr != 0               ? CodeForSystemErrno(sysErr)
                                                         : codes::AccessDenied;
        throw EngineError(code, {}, "anchor: " + detail);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, static_cast<int>(timeout_.count()));
    // No statement of ours rewrites the schema table by hand; refuse it from
    // any damaged file too.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    db_ = db;
    return db_;
}

void Session::exec(const std::string& sql, const std::string& tableName, const fs::path* dataFile) {
    char* message = nullptr;
    int rc = sqlite3_exec(db(), sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) fail(rc, tableName, dataFile);
}

void Session::fail(int rc, const std::string& tableName, const fs::path* dataFile) {
    // SQLite may roll the whole transaction back by itself (disk full, I/O
    // error): remember it, the commit must then not report success.
    const bool lost = explicit_ && db_ && sqlite3_get_autocommit(db_);
    try {
        ThrowSqlite(db_, rc, tableName, dataFile);
    } catch (const EngineError& e) {
        if (lost) lostCode_ = e.code();
        throw;
    }
}

bool Session::step(sqlite3_stmt* st, Attachment& table) {
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(st);
        return false;
    }
    // fail() reads the connection's message first; the reset after it would
    // only repeat the error.
    try {
        fail(rc, table.table, &table.file);
    } catch (...) {
        sqlite3_reset(st);
        throw;
    }
}

sqlite3_stmt* Session::statement(Attachment& table, std::uint32_t key, const std::function<std::string()>& sql) {
    auto it = table.statements.find(key);
    if (it != table.statements.end()) return it->second;
    sqlite3_stmt* st = nullptr;
    std::string text = sql();
    int rc = sqlite3_prepare_v3(db(), text.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(rc, table.table, &table.file);
    }
    table.statements.emplace(key, st);
    return st;
}

std::unique_ptr<Attachment> Session::attach(const std::string& name, bool forCheck) {
    CheckTableName(name);
    sqlite3* d = db();
    // A missing file fails the attach itself (it opens existing files only).
    const fs::path dat = TableFile(folder_, name, kDataExt);
    const fs::path idx = TableFile(folder_, name, kIndexExt);
    // The .idx is read before the attach: when it is missing, the rebuild
    // must run before this connection holds any lock on the file.
    std::optional<std::string> stamp = forCheck ? std::nullopt : ReadSmallFile(idx, kStampReadLimit);
    std::error_code ec;
    if (!forCheck && !stamp && fs::exists(dat, ec)) {
        // The index file was deleted (the index repair does so): rebuild the
        // index from the rows, then mark it done. Before this connection
        // attaches the file, so that it holds no lock the rebuild waits for.
        ScopedWriterLock lock(*this, name);
        const Layout layout = RebuildFromRows(dat, name, timeout_);
        stamp = IndexStamp(layout);
        WriteStamp(idx, *stamp, name);
    }
    auto table = std::make_unique<Attachment>();
    table->table = name;
    table->file = dat;
    table->schema = "t" + std::to_string(nextSchema_++);
    const fs::path* file = &table->file;
    attachFile(table->schema, table->file, false, name);
    try {
        if (!explicit_) {
            exec("PRAGMA " + Quote(table->schema) + ".synchronous=EXTRA", name, file);
            table->extraSync = true;
        }
        std::optional<Layout> layout;
        if (int rc = ReadStoredLayout(d, table->schema, layout); rc != SQLITE_OK) fail(rc, name, file);
        if (!layout) throw EngineError(codes::RecordCorrupt, name, "the rows table is not a layout of ours");
        table->layout = std::move(*layout);

        // Page checksums sit in the space SQLite leaves free at the end of
        // each page; a file without that space is not one of ours.
        int reserve = -1;
        sqlite3_file_control(d, table->schema.c_str(), SQLITE_FCNTL_RESERVE_BYTES, &reserve);
        if (reserve != kPageReserve)
            throw EngineError(codes::HeaderCorrupt, name, "page reserve " + std::to_string(reserve));

        if (!forCheck) {
            if (stamp != IndexStamp(table->layout)) {
                throw EngineError(codes::IndexCorrupt, name, "index file does not match the table");
            }
            const fs::path blb = TableFile(folder_, name, kBlobExt);
            if (!fs::exists(blb, ec)) WriteStamp(blb, kBlobStamp, name);
        }
    } catch (...) {
        detach(*table);
        throw;
    }
    return table;
}

Attachment& Session::openTable(const std::string& name) {
    if (Attachment* a = attached(name)) {
        ++a->users;
        return *a;
    }
    auto table = attach(name, false);
    table->users = 1;
    Attachment& ref = *table;
    tables_.emplace(name, std::move(table));
    return ref;
}

Attachment* Session::attached(std::string_view name) {
    auto it = tables_.find(std::string(name));
    return it == tables_.end() ? nullptr : it->second.get();
}

void Session::closeTable(Attachment& table) noexcept {
    if (table.users > 0) --table.users;
    detachIdle();
}

void Session::attachFile(const std::string& schema, const fs::path& dat, bool create, const std::string& name) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db(), ("ATTACH ?1 AS " + Quote(schema)).c_str(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, FileUri(dat, create).c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_OK) fail(rc, name, &dat);
}

void Session::detachFile(const std::string& schema) noexcept {
    if (db_) sqlite3_exec(db_, ("DETACH " + Quote(schema)).c_str(), nullptr, nullptr, nullptr);
}

void Session::detach(Attachment& table) noexcept {
    for (auto& [key, st] : table.statements) sqlite3_finalize(st);
    table.statements.clear();
    detachFile(table.schema);
}

void Session::detachIdle() noexcept {
    // A table stays attached while a transaction may still commit it.
    if (explicit_) return;
    for (auto it = tables_.begin(); it != tables_.end();) {
        if (it->second->users == 0) {
            detach(*it->second);
            it = tables_.erase(it);
        } else {
            ++it;
        }
    }
}

void Session::release(std::string_view name) {
    Attachment* a = attached(name);
    if (!a) return;
    if (a->users > 0 || explicit_)
        throw DataError("テーブル「" + std::string(name) + "」は使用中です。閉じてから処理して下さい。");
    detachIdle();
}

void Session::createTable(const std::string& name, const Layout& layout) {
    CheckTableName(name);
    sqlite3* d = db();
    if (explicit_) throw DataError("トランザクション中はテーブルを作成できません。");
    const fs::path dat = TableFile(folder_, name, kDataExt);
    ScopedWriterLock lock(*this, name);

    std::error_code ec;
    if (fs::exists(dat, ec)) throw EngineError(codes::TableExists, name);
    // Left-overs of a table whose .dat was removed must not pass for the new
    // table's.
    RemoveIfPresent(JournalOf(dat), name);
    RemoveIfPresent(TableFile(folder_, name, kIndexExt), name);

    const std::string schema = "c" + std::to_string(nextSchema_++);
    attachFile(schema, dat, true, name);
    try {
        int reserve = kPageReserve;
        sqlite3_file_control(d, schema.c_str(), SQLITE_FCNTL_RESERVE_BYTES, &reserve);
        exec("PRAGMA " + Quote(schema) + ".page_size=4096", name, &dat);
        exec("PRAGMA " + Quote(schema) + ".synchronous=EXTRA", name, &dat);
        // One transaction: after a crash the file holds the whole layout or
        // no table at all (and then opens as TableNotFound).
        exec("BEGIN", name, &dat);
        try {
            for (const std::string& sql : CreateStatements(layout, schema)) exec(sql, name, &dat);
            if (layout.keyed()) exec(CreateIndexStatement(layout, schema), name, &dat);
            exec("COMMIT", name, &dat);
        } catch (...) {
            sqlite3_exec(d, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (...) {
        detachFile(schema);
        throw;
    }
    detachFile(schema);
    WriteStamp(TableFile(folder_, name, kIndexExt), IndexStamp(layout), name);
    WriteStamp(TableFile(folder_, name, kBlobExt), kBlobStamp, name);
}

TableCheck Session::check(const std::string& name) {
    std::unique_ptr<Attachment> table;
    try {
        table = attach(name, true);
    } catch (const EngineError& e) {
        return TableCheck{e.code(), {e.detail()}};
    }
    Layout layout = table->layout;
    detach(*table);
    const fs::path dat = TableFile(folder_, name, kDataExt);
    TableCheck result = Diagnose(dat, timeout_, &layout);
    switch (ReadStamp(TableFile(folder_, name, kIndexExt), IndexStamp(layout))) {
        case StampState::Matches: break;
        case StampState::Missing:
            result.findings.push_back("index file missing: the next open rebuilds the index");
            break;
        case StampState::Differs:
            result.findings.push_back("index file does not match the table");
            if (result.code == 0) result.code = codes::IndexCorrupt;
            break;
    }
    return result;
}

void Session::lockWriter(const std::string& tableName) {
    db();
    writer_.acquire(tableName);
}

void Session::unlockWriter() noexcept { writer_.release(); }

void Session::startTransaction() {
    if (explicit_) throw DataError("トランザクションは既に開始されています。");
    lockWriter({});
    try {
        exec("BEGIN", {}, nullptr);
    } catch (...) {
        unlockWriter();
        throw;
    }
    explicit_ = true;
    lostCode_ = 0;
}

void Session::endTransaction(bool committed) noexcept {
    explicit_ = false;
    lostCode_ = 0;
    bool synced = false;
    for (auto& [name, table] : tables_) {
        if (table->extraSync) continue;
        if (committed && !synced) {
            SyncFolder(folder_);
            synced = true;
        }
        table->extraSync = sqlite3_exec(db_, ("PRAGMA " + Quote(table->schema) + ".synchronous=EXTRA").c_str(), nullptr,
                                        nullptr, nullptr) == SQLITE_OK;
    }
    unlockWriter();
    detachIdle();
}

void Session::commit() {
    if (!explicit_) throw DataError("トランザクションが開始されていません。");
    if (lostCode_ != 0 || sqlite3_get_autocommit(db_)) {
        std::uint16_t code = lostCode_ != 0 ? lostCode_ : codes::SqlError;
        rollback();
        throw EngineError(code, {}, "the transaction was abandoned after an error");
    }
    char* message = nullptr;
    int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) {
        try {
            fail(rc, {}, nullptr);
        } catch (...) {
            rollback();
            throw;
        }
    }
    endTransaction(true);
}

void Session::rollback() noexcept {
    if (!explicit_) return;
    if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    for (auto& [name, table] : tables_) {
        ++table->generation;
        table->ForgetWrites();
    }
    endTransaction(false);
}

void Session::write(Attachment& table, const std::function<void()>& step) {
    if (explicit_) {
        if (lostCode_ != 0) throw EngineError(lostCode_, table.table, "the transaction was abandoned after an error");
        try {
            step();
        } catch (...) {
            ++table.generation;
            table.ForgetWrites();
            throw;
        }
        ++table.generation;
        return;
    }
    ScopedWriterLock lock(*this, table.table);
    try {
        exec("BEGIN", table.table, &table.file);
        try {
            step();
            exec("COMMIT", table.table, &table.file);
        } catch (...) {
            if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (...) {
        ++table.generation;
        table.ForgetWrites();
        throw;
    }
    ++table.generation;
}

void Session::disconnect() noexcept {
    auto cursors = cursors_;
    for (Cursor* c : cursors) c->sessionClosing();
    cursors_.clear();
    rollback();
    for (auto& [name, table] : tables_) detach(*table);
    tables_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    while (writer_.held()) writer_.release();
}

}  // namespace korvalen::tablestore::detail
