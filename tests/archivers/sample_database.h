// A database folder of a few MB as the backup packs it: the table files
// of the four tables, made through SQLite with realistic rows, and one file
// with a Japanese name. The same every time.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvalen::archivers::test {

// Writes the files into folder and returns their full paths, sorted.
std::vector<std::string> makeSampleDatabase(const std::filesystem::path& folder);

}  // namespace korvalen::archivers::test
