// Creating a table file all or nothing. The file is built under a name of
// its own beside the table (NAME.dat~new), made durable, and only then
// renamed to NAME.dat, after its .idx and .blb: since the .dat's existence is
// the table's existence, a crash or a full disk at any moment leaves either
// no table or the whole of it.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace korvalen::tablestore::detail {

struct Layout;

// Where a table file is built before it takes its name.
std::filesystem::path BuildingFile(const std::filesystem::path& dataFile);

// Builds an empty table of the layout in `file` (which must not exist),
// synced to the disk. Throws EngineError naming the table; leaves no file
// behind when it fails.
void BuildTableFile(const std::filesystem::path& file, const Layout& layout, const std::string& tableName,
                    std::chrono::milliseconds timeout);

// Whether a .dat is what a creation cut off leaves behind (an engine older
// than this one created the file in place): empty, or a database that holds
// no table at all once a left-over journal is rolled back. Such a file
// cannot hold a row. A file that cannot be read is not taken for one.
bool CreationCutOff(const std::filesystem::path& dataFile, std::chrono::milliseconds timeout);

}  // namespace korvalen::tablestore::detail
