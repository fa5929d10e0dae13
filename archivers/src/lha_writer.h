// Writes LHA archives: level-2 headers, -lh5- data (or -lh0- where
// compression does not pay), Shift-JIS names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "lh5_encoder.h"
#include "pack_item.h"
#include "progress.h"

namespace korvalen::archivers {

struct LhaHeaderFields {
    std::string method = "-lh5-";
    uint32_t packedSize = 0;
    uint32_t originalSize = 0;
    uint32_t mtime = 0;
    uint16_t dataCrc = 0;
    std::string fileName;  // CP932, no separators
    std::string folder;    // CP932 folder path, "/" separators, empty for none
    uint16_t attributes = 0x20;
};

// The complete level-2 header with its own CRC. Throws ArcError(ARC_ERR_NAME)
// when the names do not fit.
std::vector<uint8_t> lhaLevel2Header(const LhaHeaderFields& f);

// The OS-ID we write: Windows. Readers that see 'M' fold all-capital names
// to lower case, which would rename the members on extraction.
constexpr uint8_t kLhaOsId = 'W';

class LhaWriter {
public:
    LhaWriter(OutputFile& out, Progress& progress, Lh5Tuning tuning = {});
    void add(const PackItem& item);
    void finish();

private:
    OutputFile& out_;
    Progress& progress_;
    Lh5Tuning tuning_;
};

}  // namespace korvalen::archivers
