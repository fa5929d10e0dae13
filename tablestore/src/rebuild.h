// Rebuilding a table file's index from its rows, for the index repair.
//
// Neither REINDEX nor VACUUM will do when the index itself is damaged: both
// read the old index pages (VACUUM copies index entries as they are). So the
// rows alone are copied into a fresh file, the index is built there, and the
// fresh file is copied page by page over the old one under SQLite's own
// locking and journal, so other connections simply see a changed file.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace korvalen::tablestore::detail {

struct Layout;

// Returns the table's layout. Throws EngineError; the caller holds the
// folder's write lock and has not attached the file.
Layout RebuildFromRows(const std::filesystem::path& dataFile, const std::string& tableName,
                       std::chrono::milliseconds timeout);

}  // namespace korvalen::tablestore::detail
