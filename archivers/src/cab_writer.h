// Writes Microsoft Cabinet files: one folder of MSZIP blocks with checksums,
// Shift-JIS names (UTF-8 with the name flag where Shift-JIS cannot hold one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "file_io.h"
#include "pack_item.h"
#include "progress.h"

namespace korvalen::archivers {

// The CFDATA checksum: XOR of little-endian 32-bit words, leftover bytes
// packed first byte highest.
uint32_t cabChecksum(const uint8_t* data, size_t size, uint32_t seed);

class CabWriter {
public:
    CabWriter(OutputFile& out, Progress& progress, int level = 6);
    // Writes the whole cabinet; folders among the items are skipped, as the
    // format has no entries for them.
    void write(const std::vector<PackItem>& items);

private:
    OutputFile& out_;
    Progress& progress_;
    int level_;
};

}  // namespace korvalen::archivers
