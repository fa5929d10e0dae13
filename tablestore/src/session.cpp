#include "session.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>

#include "anchor.h"
#include "cursor.h"
#include "folder_hold.h"
#include "korvalen/tablestore/errors.h"
#include "os_errors.h"
#include "page_checksum_vfs.h"
#include "rebuild.h"
#include "sqlite_errors.h"
#include "stored_layout.h"
#include "table_creation.h"
#include "table_files.h"

namespace korvalen::tablestore::detail {

namespace fs = std::filesystem;

namespace {

// How long a read that already holds tables waits for a lock before it gives
// way (see BeginRead): about as long as a commit of one case takes.
constexpr std::chrono::milliseconds kReadPatience{20};

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

Session::Session(fs::path folder, std::chrono::milliseconds timeout)
    : folder_(std::move(folder)), timeout_(timeout), writer_(AnchorFile(folder_), timeout) {}

Session::~Session() { disconnect(); }

void Session::setTimeout(std::chrono::milliseconds timeout) {
    timeout_ = timeout;
    writer_.setTimeout(timeout);
}

int Session::Busy(void* session, int count) {
    Session& s = *static_cast<Session*>(session);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0) s.busySince_ = now;
    const auto patience = s.reading_ && s.readHolds_ ? kReadPatience : s.timeout_;
    if (now - s.busySince_ >= patience) return 0;
    // A read looks often: it only needs the moment between two commits.
    sqlite3_sleep(s.reading_ ? 1 : std::min(count + 1, 10));
    return 1;
}

namespace {

// The main database of a connection: the anchor, or while the folder has
// none (a folder no process has written to yet) a private in-memory one, so
// that reading creates nothing.
int OpenMain(const fs::path& anchor, bool create, sqlite3** db) {
    // The connection may make files (the table files create() attaches); the
    // URI's mode decides whether opening makes the anchor.
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX;
    return sqlite3_open_v2(anchor.empty() ? ":memory:" : FileUri(anchor, create).c_str(), db, flags,
                           PageChecksumVfsName());
}

[[noreturn]] void ThrowOpenFailure(sqlite3* db, int rc, const fs::path& anchor) {
    const int sysErr = db ? sqlite3_system_errno(db) : 0;
    const std::string detail = db ? sqlite3_errmsg(db) : "cannot open";
    sqlite3_close_v2(db);
    const std::uint16_t code = (rc & 0xff) == SQLITE_NOMEM ? codes::OutOfMemory
                               : sysErr != 0               ? CodeForSystemErrno(sysErr)
                                                           : codes::AccessDenied;
    throw EngineError(code, {}, "control file: " + detail, Utf8(anchor));
}

}  // namespace

sqlite3* Session::db() {
    if (db_) return db_;
    CheckFolder(folder_);
    Connect(false);
    return db_;
}

void Session::Connect(bool createAnchor) {
    // The main database is the folder's anchor file, a real file in the
    // folder itself: SQLite makes a commit over several attached tables
    // atomic only then, through a super-journal beside it.
    const fs::path anchor = AnchorFile(folder_);
    sqlite3* db = nullptr;
    int rc = OpenMain(anchor, createAnchor, &db);
    const bool onAnchor = rc == SQLITE_OK;
    if (!onAnchor && !createAnchor && sqlite3_system_errno(db) == ENOENT) {
        sqlite3_close_v2(db);
        db = nullptr;
        rc = OpenMain({}, false, &db);
        if (rc != SQLITE_OK) ThrowOpenFailure(db, rc, {});  // in memory: no file to name
    } else if (rc != SQLITE_OK) {
        ThrowOpenFailure(db, rc, anchor);
    }
    if (onAnchor) {
        // A look at its header: a damaged anchor would fail every statement
        // and be taken for damage in whichever table the statement was for.
        rc = sqlite3_exec(db, "PRAGMA main.schema_version", nullptr, nullptr, nullptr);
        if (AnchorDamaged(rc)) {
            const std::string detail = sqlite3_errmsg(db);
            sqlite3_close_v2(db);
            ReplaceDamagedAnchor(anchor, detail);
        }
    }
    // A commit killed in the middle leaves its super-journal, which nothing
    // else removes: settled here, when the folder's write lock is free.
    if (onAnchor && HasSuperJournal(folder_) && writer_.TryAcquire()) {
        try {
            SettleFolder(folder_, timeout_);
        } catch (const EngineError&) {
            // Left for the next open; nothing this connection reads depends on it.
        }
        writer_.release();
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, &Session::Busy, this);
    // No statement of ours rewrites the schema table by hand; refuse it from
    // any damaged file too.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    db_ = db;
    onAnchor_ = onAnchor;
}

void Session::UseAnchor() {
    if (onAnchor_) return;
    // The first write of a connection that has only read a folder without an
    // anchor: connect again on the anchor (made now), the open tables
    // attached again under their names, so cursors carry on.
    for (auto& [name, table] : tables_) {
        for (auto& [key, st] : table->statements) sqlite3_finalize(st);
        table->statements.clear();
    }
    sqlite3_close_v2(db_);
    db_ = nullptr;
    try {
        Connect(true);
        for (auto& [name, table] : tables_) {
            attachFile(table->schema, table->file, false, name);
            exec("PRAGMA " + Quote(table->schema) + ".synchronous=EXTRA", name, &table->file);
            table->extraSync = true;
        }
    } catch (...) {
        disconnect();
        throw;
    }
}

void Session::exec(const std::string& sql, const std::string& tableName, const fs::path* dataFile) {
    char* message = nullptr;
    int rc = sqlite3_exec(db(), sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) fail(rc, tableName, dataFile);
}

void Session::fail(int rc, const std::string& tableName, const fs::path* dataFile) {
    const int primary = rc & 0xff;
    if (reading_ && readHolds_ && (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)) {
        readWanted_ = tableName;
        throw ReadConflict{};
    }
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
    if (rc == SQLITE_ROW) {
        readHolds_ = reading_;
        return true;
    }
    if (rc == SQLITE_DONE) {
        readHolds_ = reading_;
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
    if (!forCheck) RepairSmallFiles(name, dat, stamp);
    auto table = std::make_unique<Attachment>();
    table->table = name;
    table->file = dat;
    table->schema = "t" + std::to_string(nextSchema_++);
    const fs::path* file = &table->file;
    attachFile(table->schema, table->file, false, name);
    try {
        if (!explicit_ && !reading_) {
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

        // A table whose index file is still missing opens as it stands.
        if (stamp && *stamp != IndexStamp(table->layout)) {
            throw EngineError(codes::IndexCorrupt, name, "index file does not match the table");
        }
    } catch (...) {
        detach(*table);
        throw;
    }
    return table;
}

void Session::RepairSmallFiles(const std::string& name, const fs::path& dat, std::optional<std::string>& stamp) {
    const fs::path blb = TableFile(folder_, name, kBlobExt);
    std::error_code ec;
    const bool blobMissing = !fs::exists(blb, ec);
    if ((stamp && !blobMissing) || !fs::exists(dat, ec)) return;
    // The index file was deleted (the index repair does so), or a copy lost
    // the small files: the index is rebuilt from the rows and the files are
    // written again, when the folder's write lock is free this moment. Never
    // waiting for it, an open (a read above all) is never held up or refused
    // by another process's edit; the next open repairs what this one could
    // not.
    if (!writer_.TryAcquire()) return;
    struct Release {
        WriterLock& lock;
        ~Release() { lock.release(); }
    } release{writer_};
    if (!stamp) {
        const Layout layout = RebuildFromRows(dat, name, timeout_);
        stamp = IndexStamp(layout);
        WriteStamp(TableFile(folder_, name, kIndexExt), *stamp, name);
    }
    if (blobMissing) WriteStamp(blb, kBlobStamp, name);
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
    // A table stays attached while a transaction may still commit it, and
    // while a read holds it (SQLite cannot detach it then).
    if (explicit_ || reading_) return;
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
    if (a->users > 0 || explicit_ || reading_)
        throw DataError("テーブル「" + std::string(name) + "」は使用中です。閉じてから処理して下さい。");
    detachIdle();
}

void Session::createTable(const std::string& name, const Layout& layout) {
    CheckTableName(name);
    RequireNotReading();
    if (explicit_) throw DataError("トランザクション中はテーブルを作成できません。");
    const fs::path dat = TableFile(folder_, name, kDataExt);
    ScopedWriterLock lock(*this, name);

    std::error_code ec;
    if (fs::exists(dat, ec)) {
        if (!CreationCutOff(dat, timeout_)) throw EngineError(codes::TableExists, name);
        // What a creation cut off by a crash left in place: no rows, so it
        // simply gives way to the new table.
        RemoveIfPresent(dat, name);
    }
    // Left-overs of a table whose .dat was removed, or of a creation cut off,
    // must not pass for the new table's.
    const fs::path building = BuildingFile(dat);
    for (const fs::path& old : {JournalOf(dat), building, JournalOf(building), TableFile(folder_, name, kIndexExt),
                                TableFile(folder_, name, kBlobExt)}) {
        RemoveIfPresent(old, name);
    }
    BuildTableFile(building, layout, name, timeout_);
    try {
        WriteStamp(TableFile(folder_, name, kIndexExt), IndexStamp(layout), name);
        WriteStamp(TableFile(folder_, name, kBlobExt), kBlobStamp, name);
        // The table comes into being here, whole.
        fs::rename(building, dat, ec);
        if (ec) throw EngineError(CodeForOsError(ec), name, ec.message(), Utf8(dat));
    } catch (...) {
        std::error_code ignored;
        fs::remove(building, ignored);
        throw;
    }
    SyncFolder(folder_);
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
    RequireNotReading();
    db();
    if (!writer_.held()) UseAnchor();
    writer_.acquire(tableName);
}

void Session::unlockWriter() noexcept { writer_.release(); }

void Session::RequireNotReading() const {
    if (reading_) throw DataError("読み取りの途中では書き込めません。");
}

bool Session::BeginRead() {
    if (explicit_ || reading_) return false;
    exec("BEGIN", {}, nullptr);
    reading_ = true;
    readHolds_ = false;
    readDeadline_ = std::chrono::steady_clock::now() + timeout_;
    return true;
}

void Session::EndRead() noexcept {
    if (!reading_) return;
    if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    reading_ = false;
    readHolds_ = false;
    SettleSynchronous(false);
    detachIdle();
}

void Session::RestartRead() {
    const auto deadline = readDeadline_;
    std::vector<std::string> needed;
    for (const auto& [name, table] : tables_) needed.push_back(name);
    for (;;) {
        if (!readWanted_.empty() && std::find(needed.begin(), needed.end(), readWanted_) == needed.end()) {
            needed.push_back(readWanted_);
        }
        readWanted_.clear();
        EndRead();
        if (std::chrono::steady_clock::now() >= deadline) {
            throw EngineError(codes::SharingViolation, {}, "a read kept giving way to other processes' commits");
        }
        // Long enough for the commit that was in the way to finish.
        sqlite3_sleep(5);
        BeginRead();
        readDeadline_ = deadline;
        try {
            for (const std::string& name : needed) HoldForRead(name);
            return;
        } catch (const ReadConflict&) {
        }
    }
}

void Session::HoldForRead(const std::string& name) {
    Attachment& table = openTable(name);
    struct Release {
        Session& session;
        Attachment& table;
        ~Release() { session.closeTable(table); }
    } release{*this, table};
    constexpr std::uint32_t kHoldStatement = 0xFF000000u;
    sqlite3_stmt* st = statement(
        table, kHoldStatement, [&] { return "SELECT 1 FROM " + Quote(table.schema) + "." + kRowsTable + " LIMIT 1"; });
    if (step(st, table)) sqlite3_reset(st);
}

void Session::startTransaction() {
    RequireNotReading();
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

void Session::SettleSynchronous(bool committed) noexcept {
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
}

void Session::endTransaction(bool committed) noexcept {
    explicit_ = false;
    lostCode_ = 0;
    SettleSynchronous(committed);
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
    RequireNotReading();
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
    EndRead();
    for (auto& [name, table] : tables_) detach(*table);
    tables_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    while (writer_.held()) writer_.release();
}

}  // namespace korvalen::tablestore::detail
