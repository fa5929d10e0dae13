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
#include <optional>
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

    // A read of one committed state (Database::ReadCommitted): a deferred
    // transaction, so each table keeps the state it had when the read first
    // touched it until the read ends. Two-phase locking makes the tables one
    // committed state; the price is that a commit over several tables may
    // wait for a table this read holds while the read waits for one the
    // commit holds. The read then gives way: the step that waits raises
    // ReadConflict and the read starts again.
    // BeginRead is false (and starts nothing) inside a transaction or read.
    bool BeginRead();
    void EndRead() noexcept;
    // Ends the read, pauses and begins it again, this time taking every
    // table the last attempt needed at once, before the read runs: a read
    // slower than the pause between other processes' commits would
    // otherwise give way again and again. SharingViolation once the lock
    // timeout has passed since the first attempt.
    void RestartRead();

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
    void Connect(bool createAnchor);
    // Rebuilds a missing index (stamp empty) and writes a missing .blb, when
    // the folder's write lock is free; leaves them for a later open if not.
    void RepairSmallFiles(const std::string& name, const std::filesystem::path& dat, std::optional<std::string>& stamp);
    // Makes the connection's main database the anchor before a write.
    void UseAnchor();
    static int Busy(void* session, int count);
    // Takes the table's lock for the read that is open.
    void HoldForRead(const std::string& name);
    // Refuses a write inside a read.
    void RequireNotReading() const;
    // synchronous=EXTRA for the tables attached inside a transaction or a
    // read, once it is over; committed: their writes were committed and the
    // folder must be synced by hand.
    void SettleSynchronous(bool committed) noexcept;
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
    bool onAnchor_ = false;  // else a private in-memory main database
    WriterLock writer_;
    bool explicit_ = false;
    bool reading_ = false;
    bool readHolds_ = false;  // the read has touched a table
    std::string readWanted_;  // the table a read gave way for
    std::chrono::steady_clock::time_point readDeadline_;
    std::chrono::steady_clock::time_point busySince_;
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

}  // namespace korvalen::tablestore::detail
