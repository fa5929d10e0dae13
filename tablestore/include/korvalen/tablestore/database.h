// The database object: one folder of tables, shared safely between the
// processes (and PCs) that use it at the same time.
//
// Each table NAME is the files NAME.dat, NAME.idx and NAME.blb of the folder
// (see tablestore/FORMAT.md). The object connects lazily on the first table
// it opens, so it may point at a folder that does not exist yet.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace korvalen::tablestore {

namespace detail {
class Session;
class FolderHold;
// Raised inside a read that must give way to another process's commit; it
// never leaves Database::ReadCommitted. Not a std::exception, so that no
// handler of errors takes it for one.
struct ReadConflict {};
}  // namespace detail

// What an integrity check of one table found. code is 0 for a sound table,
// otherwise the code an access to the table raises or would raise; findings
// are the engine's own lines, for a log.
struct TableCheck {
    std::uint16_t code = 0;
    std::vector<std::string> findings;
    bool ok() const { return code == 0; }
};

// Holds the folder's write lock: no process writes to any table of the
// folder while it lives, and every table was brought to a clean state (see
// Database::lockFolder). Release by destroying it.
class FolderLock {
public:
    FolderLock(FolderLock&&) noexcept;
    FolderLock& operator=(FolderLock&&) noexcept;
    ~FolderLock();

private:
    friend class Database;
    explicit FolderLock(std::unique_ptr<detail::FolderHold> hold);
    std::unique_ptr<detail::FolderHold> hold_;
};

class Database {
public:
    static constexpr std::chrono::milliseconds DefaultLockTimeout{5000};

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Points the object at a folder; disconnects first when it changes.
    void setDirectory(const std::filesystem::path& folder);
    const std::filesystem::path& directory() const { return folder_; }
    // Closes every table of this object and rolls back an open transaction.
    void disconnect() noexcept;
    bool connected() const;

    // How long a lock is waited for before SharingViolation (11058).
    void setLockTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds lockTimeout() const { return timeout_; }

    // One transaction over any tables of the folder: all its posts and
    // deletions become durable together at commit, or none of them.
    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // Runs `read` (which must not write) on one committed state of every
    // table it reads, without the folder's write lock: other processes go on
    // saving meanwhile, and `read` sees none of it. A commit that is being
    // written when `read` needs a table is waited for; should it need a
    // table `read` already holds, `read` gives way and runs again from the
    // start, so it must build its result afresh each time. Only commits that
    // keep it waiting past the lock timeout give SharingViolation (11058).
    // Inside a transaction of this object, or another read, `read` simply
    // runs. Returns what `read` returns.
    template <typename Read>
    auto ReadCommitted(Read&& read) -> decltype(read());

    // A table exists when its .dat file exists.
    bool tableExists(std::string_view tableName) const;
    // Whether the table's .dat is what a creation cut off by a crash or a
    // full disk left in place: empty, or a database without any table (it
    // cannot hold a row). create() replaces such a file. This engine builds
    // a table under another name and renames it into place, so only a file
    // of an older engine or a damaged disk can be one.
    bool UnfinishedTable(std::string_view tableName) const;
    // Removes the table's files (and a left-over journal). The table must
    // not be open in this object. A table without files is no error.
    void deleteTable(std::string_view tableName);
    // Renames the table's files; TableExists when the new name is taken.
    void renameTable(std::string_view from, std::string_view to);
    // Removes only the table's .idx; the next open rebuilds the index.
    void deleteIndexFile(std::string_view tableName);
    std::filesystem::path tableFile(std::string_view tableName, std::string_view extension) const;

    // The layout, the index and every page of one table.
    TableCheck checkTable(std::string_view tableName);

    // Takes the folder's write lock (waiting as for any write) and rolls back
    // every table's left-over journal of a crashed writer, so the .dat files
    // may be copied as they are while the lock is held.
    FolderLock lockFolder();
    // The same, releasing the lock at once.
    void makeFolderClean();

private:
    friend class Table;
    detail::Session& session();
    bool BeginRead();
    void EndRead() noexcept;
    void RestartRead();

    std::filesystem::path folder_;
    std::chrono::milliseconds timeout_ = DefaultLockTimeout;
    std::shared_ptr<detail::Session> session_;
};

template <typename Read>
auto Database::ReadCommitted(Read&& read) -> decltype(read()) {
    if (!BeginRead()) return read();
    for (;;) {
        try {
            if constexpr (std::is_void_v<decltype(read())>) {
                read();
                EndRead();
                return;
            } else {
                auto result = read();
                EndRead();
                return result;
            }
        } catch (const detail::ReadConflict&) {
            RestartRead();
        } catch (...) {
            EndRead();
            throw;
        }
    }
}

}  // namespace korvalen::tablestore
