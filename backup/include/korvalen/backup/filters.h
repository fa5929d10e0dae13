// Expands pack patterns into the list of files to pack, so that the library
// gets plain names and does no scanning of its own.
#pragma once

#include <compare>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/backup/archiver_options.h"
#include "korvalen/platform/clock.h"

namespace korvalen::backup {

// Called with each name the scan adds; setting abort stops the scan.
using TFilterProgress = std::function<void(const std::string& name, bool& abort)>;

// The state the scan reports each added name with.
inline constexpr int kFilterProgressState = 2053;

// A moment in local time, second by second.
struct TLocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    friend auto operator<=>(const TLocalDateTime&, const TLocalDateTime&) = default;
};

// A two-digit year in the window of a hundred years that starts fifty years
// before the current year (in 2024: 74..99 are 1974..1999, 00..73 are 2000..2073).
int ExpandTwoDigitYear(int twoDigitYear, int currentYear);

// One bound of the time window. An optional leading "l" is dropped; then
// 6 characters are yymmdd, 12 yymmddhhmmss, 8 yyyymmdd, 14 yyyymmddhhmmss,
// with defaultTime (hhmmss) where the time is missing. Any other length is
// no bound. Digits that name no date or time raise EArchiver naming the switch.
std::optional<TLocalDateTime> ReadTimeBound(std::string_view text, std::string_view defaultTime, int currentYear,
                                            std::string_view switchName);

// Whether a file name matches a mask with "*" and "?", letter case ignored.
// "*.*" matches every name, and a mask ending in ".*" also matches the name
// without an extension.
bool MatchesMask(std::string_view name, std::string_view mask);

// Turns the pack items into one list of file names, sorted without regard to
// letter case and without duplicates. Relative items are taken from
// baseFolder (the process's current folder is neither used nor changed when
// a base folder is given). Honours a (hidden files), r and p (recursion), jo
// and job (time window), jf = -2 (names relative to baseFolder) and jx
// (exclusions, expanded the same way). Afterwards options has r = -1, p = 1
// and no time window, so the library does none of this again. The scan stops
// as soon as abort is raised.
std::vector<std::string> FilterFiles(TArchiverOptions& options, const std::string& baseFolder,
                                     const std::vector<std::string>& items, bool& abort,
                                     const TFilterProgress& progress, const platform::Clock& clock);
// This PC's date, for callers that are given no clock.
const platform::Clock& ThisPcClock();

}  // namespace korvalen::backup
