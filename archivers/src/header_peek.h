// Facts of the raw headers that libarchive does not hand out: for LHA the
// method, data CRC, OS-ID and packed size of a member; for Cabinet the
// compression of each file's folder and its share of the packed bytes.
// Every read is bounded by the header's own limits and checked against the
// file; a damaged header gives "unknown", never an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvalen::archivers {

struct HeaderFacts {
    std::string method;       // "-lh5-", "MSZIP", ... (empty when unknown)
    uint16_t crc = 0;         // LHA data CRC-16
    uint8_t osId = 0;         // LHA OS-ID
    uint64_t packedSize = 0;  // bytes of packed data (for Cabinet: the file's share of its folder)
};

// The LHA member whose header starts at the given offset.
HeaderFacts peekLhaHeader(int fd, int64_t offset);

// Where the LHA member whose header starts at the given offset ends (its
// header and its packed data); -1 when its header cannot be read.
int64_t lhaMemberEnd(int fd, int64_t offset);

// All files of a cabinet, in the order of its file table.
std::vector<HeaderFacts> peekCabFiles(int fd);

}  // namespace korvalen::archivers
