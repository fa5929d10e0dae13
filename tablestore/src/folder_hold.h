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

}  // namespace korvalen::tablestore::detail
