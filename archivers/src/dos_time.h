// Time stamps as the two formats and the calling interface keep them.
#pragma once

#include <cstdint>

namespace korvalen::archivers {

struct DosDateTime {
    uint16_t date = 0;
    uint16_t time = 0;
};

// Local time, two-second steps; dates before 1980 become 1980-01-01.
DosDateTime unixToDos(int64_t unixSeconds);
// 100 ns units since 1601-01-01 UTC.
uint64_t unixToFileTime(int64_t unixSeconds, int64_t nanoseconds = 0);

}  // namespace korvalen::archivers
