// The folder's anchor, TableStore.tx: the main database of each connection
// (so that a commit over several tables is atomic, through a super-journal
// beside it) and the file the folder's write lock is taken on. It holds no
// data at all: an empty file is a sound anchor, and a damaged one is simply
// made again.
#pragma once

#include <filesystem>
#include <string>

namespace korvalen::tablestore::detail {

std::filesystem::path AnchorFile(const std::filesystem::path& folder);

// Whether an SQLite result on the anchor says it is no sound database.
bool AnchorDamaged(int rc);

// Replaces a damaged anchor by an empty one, then raises the error that says
// so (HeaderCorrupt naming no table); the access error when it cannot. A
// file that another process has already made again is left alone.
[[noreturn]] void ReplaceDamagedAnchor(const std::filesystem::path& anchor, const std::string& detail);

}  // namespace korvalen::tablestore::detail
