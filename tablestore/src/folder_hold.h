// The folder held still for copying: its write lock taken and every table
// brought back to its last committed state.
#pragma once

#include <chrono>
#include <filesystem>

#include "writer_lock.h"

namespace korvalen::tablestore::detail {

class FolderHold {
public:
    FolderHold(const std::filesystem::path& folder, std::chrono::milliseconds timeout);

private:
    WriterLock lock_;
};

// Rolls back the journal a crashed writer left beside a table file (opening
// the file does it) and removes a journal that is left but not live.
void SettleTableFile(const std::filesystem::path& dataFile, std::chrono::milliseconds timeout);

// What a killed commit left in the folder: every table's journal rolled back,
// then the super-journals no journal needs any more removed (SQLite removes
// one only when it rolls back the last table it names, and never one whose
// commit was killed before the tables named it). The caller holds the
// folder's write lock, so no commit is under way.
void SettleFolder(const std::filesystem::path& folder, std::chrono::milliseconds timeout);

// Whether the folder holds a super-journal (a cheap look, without a lock).
bool HasSuperJournal(const std::filesystem::path& folder) noexcept;

}  // namespace korvalen::tablestore::detail
