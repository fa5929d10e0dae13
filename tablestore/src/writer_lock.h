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
    // another holder keeps it past the timeout. Makes the anchor when the
    // folder has none.
    void acquire(const std::string& tableName);
    // The lock if it is free this moment (or already held here); never waits
    // and never throws.
    bool TryAcquire() noexcept;
    void release() noexcept;
    bool held() const { return depth_ > 0; }

private:
    std::filesystem::path anchor_;
    std::chrono::milliseconds timeout_;
    std::chrono::steady_clock::time_point released_;
    sqlite3* conn_ = nullptr;
    int depth_ = 0;
};

}  // namespace korvalen::tablestore::detail
