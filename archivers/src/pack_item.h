// One member to be written into a new archive.
#pragma once

#include <cstdint>
#include <string>

namespace korvalen::archivers {

struct PackItem {
    std::string storedName;  // UTF-8 with "/" separators, no leading or trailing separator
    std::string sourcePath;  // the file whose bytes go in (empty for a folder)
    bool isDirectory = false;
    uint64_t size = 0;  // as seen when the list was made; the writers record what they read
    int64_t mtime = 0;  // seconds since 1970 UTC
    uint16_t dosAttributes = 0x20;
};

}  // namespace korvalen::archivers
