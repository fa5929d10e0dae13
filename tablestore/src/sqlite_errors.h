// The engine error code for an SQLite result.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

struct sqlite3;

namespace korvalen::tablestore::detail {

// Damage (a corrupt page, a failed page checksum) maps to TableDamaged here;
// ThrowSqlite refines it by a diagnosis of the file.
std::uint16_t CodeForSqlite(int rc, std::string_view message, int systemErrno);

// Raises the EngineError for a failed call on a connection. When the result
// speaks of damage and dataFile is given, the file is diagnosed so that the
// code names the repair (index rebuild, re-create, restore).
[[noreturn]] void ThrowSqlite(sqlite3* db, int rc, const std::string& tableName, const std::filesystem::path* dataFile);

}  // namespace korvalen::tablestore::detail
