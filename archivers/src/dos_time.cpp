#include "dos_time.h"

#include <ctime>

namespace korvalen::archivers {

DosDateTime unixToDos(int64_t unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr || tm.tm_year < 80) return {static_cast<uint16_t>((1 << 5) | 1), 0};
    if (tm.tm_year > 207) tm = std::tm{59, 59, 23, 31, 11, 207};
    DosDateTime d;
    d.date = static_cast<uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    d.time = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return d;
}

uint64_t unixToFileTime(int64_t unixSeconds, int64_t nanoseconds) {
    constexpr int64_t kEpochDiff = 11644473600LL;  // seconds from 1601 to 1970
    const int64_t s = unixSeconds + kEpochDiff;
    if (s < 0) return 0;
    return static_cast<uint64_t>(s) * 10000000ULL + static_cast<uint64_t>(nanoseconds / 100);
}

}  // namespace korvalen::archivers
