// The folder's write lock: a write transaction held open on the folder's
// anchor file by a connection of its own. Every writer of the folder takes
// it before touching any table, so writers queue up one at a time, a writer
// never waits for a table lock held by another writer (no deadlock between
// tables), and an edit keeps its row safe from other writers until it posts.
// Readers are never blocked by it.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

struct sqlite3;

namespace korvalen::tablestore::detail {

class WriterLock {
public:
    WriterLock(std::filesystem::path anchor, std::chrono::milliseconds timeout)
        : anchor_(std::move(anchor)), timeout_(timeout) {}
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    // Nested acquisitions by the same owner count up; SharingViolation when
    // another holder keeps it past the timeout.
    void acquire(const std::string& tableName);
    void release() noexcept;
    bool held() const { return depth_ > 0; }

private:
    std::filesystem::path anchor_;
    std::chrono::milliseconds timeout_;
    sqlite3* conn_ = nullptr;
    int depth_ = 0;
};

}  // namespace korvalen::tablestore::detail
