// A database folder of a few MB as the backup packs it: the table files
// of the four tables, made through SQLite with realistic rows, and one file
// with a Japanese name. The same every time.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvalen::archivers::test {

// Writes the files into folder and returns their full paths, sorted. A
// larger scale multiplies the rows (scale 1 is about 4.5 MB).
std::vector<std::string> makeSampleDatabase(const std::filesystem::path& folder, int scale = 1);

}  // namespace korvalen::archivers::test
