// One connected database object: an SQLite connection whose main database
// is the folder's anchor file and to which each open table is attached, the
// folder's write lock, and the transaction over the attached tables.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

#include "diagnosis.h"
#include "layout.h"
#include "value.h"
#include "writer_lock.h"

struct sqlite3;
struct sqlite3_stmt;

namespace korvalen::tablestore::detail {

class Cursor;

// A table attached to the connection, shared by every cursor on it.
struct Attachment {
    std::string table;
    std::string schema;  // the attached name: "t1", "t2", ...
    std::filesystem::path file;
    // synchronous=EXTRA (the folder synced after the journal is deleted) can
    // only be set outside a transaction; a table attached inside one gets it
    // when the transaction ends, and its commit syncs the folder by hand.
    bool extraSync = false;
    Layout layout;
    int users = 0;
    // Bumped by every write through this connection, so cursors know their
    // read-ahead may be out of date.
    std::uint64_t generation = 0;
    // The rows written through this connection lately, by key (the key
    // fields, or the row number in a table without a key) and generation: a
    // cursor whose read-ahead none of them falls into keeps it, so a loop
    // that reads one case and writes another reads each row once. The list
    // holds every write of the generations after writesFrom.
    struct Written {
        std::uint64_t generation;
        std::vector<Value> key;
    };
    std::deque<Written> writes;
    std::uint64_t writesFrom = 0;
    // After a write, with the generation already bumped.
    void NoteWrite(std::vector<Value> key);
    // After a change the list cannot describe (a rollback, a failed write).
    void ForgetWrites() {
        writes.clear();
        writesFrom = generation;
    }
    std::unordered_map<std::uint32_t, sqlite3_stmt*> statements;
};

class Session {
public:
    Session(std::filesystem::path folder, std::chrono::milliseconds timeout);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void setTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds timeout() const { return timeout_; }
    bool connected() const { return db_ != nullptr; }
    sqlite3* db();

    // Attaches the table for one more cursor. A missing .idx is rebuilt here.
    Attachment& openTable(const std::string& name);
    void closeTable(Attachment& table) noexcept;
    Attachment* attached(std::string_view name);
    void createTable(const std::string& name, const Layout& layout);
    // Detaches a table no cursor uses; DataError when one does.
    void release(std::string_view name);
    // The integrity check of one table file, attached for the check alone.
    TableCheck check(const std::string& name);

    void lockWriter(const std::string& tableName);
    void unlockWriter() noexcept;

    void startTransaction();
    void commit();
    void rollback() noexcept;
    bool inTransaction() const { return explicit_; }

    // Runs one write: inside the transaction, or else as its own atomic and
    // durable step under the folder's write lock.
    void write(Attachment& table, const std::function<void()>& step);

    sqlite3_stmt* statement(Attachment& table, std::uint32_t key, const std::function<std::string()>& sql);
    // Steps a statement; false when it is done. Errors become EngineErrors.
    bool step(sqlite3_stmt* statement, Attachment& table);
    // Raises the EngineError for an SQLite result; a damaged dataFile is
    // diagnosed first so the code names the repair.
    [[noreturn]] void fail(int rc, const std::string& tableName, const std::filesystem::path* dataFile);

    void add(Cursor* cursor) { cursors_.insert(cursor); }
    void remove(Cursor* cursor) { cursors_.erase(cursor); }
    void disconnect() noexcept;

private:
    void exec(const std::string& sql, const std::string& tableName, const std::filesystem::path* dataFile);
    std::unique_ptr<Attachment> attach(const std::string& name, bool forCheck);
    // ATTACH of a table file as schema; create lets it make the file.
    void attachFile(const std::string& schema, const std::filesystem::path& dat, bool create, const std::string& name);
    void detachFile(const std::string& schema) noexcept;
    void detach(Attachment& table) noexcept;
    void detachIdle() noexcept;
    void endTransaction(bool committed) noexcept;

    std::filesystem::path folder_;
    std::chrono::milliseconds timeout_;
    sqlite3* db_ = nullptr;
    WriterLock writer_;
    bool explicit_ = false;
    // Set when SQLite gave up the transaction by itself after an error; the
    // commit must then fail with that error instead of pretending success.
    std::uint16_t lostCode_ = 0;
    int nextSchema_ = 1;
    std::map<std::string, std::unique_ptr<Attachment>> tables_;
    std::set<Cursor*> cursors_;
};

// The folder's write lock, taken for one scope and dropped when it ends,
// however it ends.
class ScopedWriterLock {
public:
    ScopedWriterLock(Session& session, const std::string& tableName) : session_(session) {
        session.lockWriter(tableName);
    }
    ~ScopedWriterLock() { session_.unlockWriter(); }
    ScopedWriterLock(const ScopedWriterLock&) = delete;
    ScopedWriterLock& operator=(const ScopedWriterLock&) = delete;

private:
    Session& session_;
};

std::string Utf8(const std::filesystem::path& path);

}  // namespace korvalen::tablestore::detail
