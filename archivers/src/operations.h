// What the commands do, for either format.
#pragma once

#include <cstdint>
#include <string>

#include "archive_reader.h"
#include "command_line.h"
#include "output_text.h"
#include "progress.h"

namespace korvalen::archivers {

// Creates the archive, or updates it (members of the same name replaced,
// new ones added). The archive is written under a temporary name and
// renamed over the old one only when complete.
void packArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log);

// Extracts into the command's folder. All or nothing: members are written
// to a work folder inside the destination and moved into place only after
// every member has passed its check, so a damaged archive leaves the
// destination as it was.
void extractArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log);

void listArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log);
// Reads every member's data against its CRC or checksum.
void testArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log);

struct MemoryResult {
    uint32_t written = 0;
    int64_t mtime = 0;
    uint16_t attributes = 0;
};
// The first member matching the command's name (or the first member) into
// the buffer. Throws ArcError(ARC_ERR_BUFFER) when it does not fit; the
// buffer and the result then hold its beginning.
void extractToMemory(ArchiveFormat format, const CommandLine& cl, uint8_t* buffer, uint32_t size, MemoryResult& result);

// Runs a command text: the whole main entry, with its return code and text.
int runCommand(ArchiveFormat format, uintptr_t window, const char* text, char* output, uint32_t outputSize);

}  // namespace korvalen::archivers
