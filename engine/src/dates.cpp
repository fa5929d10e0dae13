#include "korvalen/engine/dates.h"

#include <cmath>
#include <cstdint>

namespace korvalen::engine {
namespace {

// Day number of 1970-01-01 under the 1899-12-30 epoch.
constexpr std::int64_t kUnixEpochDay = 25569;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil), exact for every year an int holds.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Every date a table shows is turned back into a calendar date, so the
// common range takes C. Neri and L. Schneider's 32-bit method ("Euclidean
// affine functions and their application to calendar algorithms", 2022):
// the days are shifted by whole 400-year cycles into unsigned range, and
// the divisions become multiplications. Exact wherever 4 × shifted days + 3
// fits 32 bits; other day numbers take the general method below.
constexpr std::int64_t kFastCycles = 82;
constexpr std::int64_t kFastShift = 719468 + 146097 * kFastCycles;
constexpr std::int64_t kFastLimit = 1'000'000'000 - kFastShift;

CivilDate FastCivilFromDays(std::uint32_t shifted) {
    // Century, counted in a calendar whose years begin on 1 March.
    const std::uint32_t n1 = 4 * shifted + 3;
    const std::uint32_t century = n1 / 146097;
    const std::uint32_t dayOfCentury = n1 % 146097 / 4;
    // Year of the century and day of that year.
    const std::uint32_t n2 = 4 * dayOfCentury + 3;
    const std::uint64_t p2 = std::uint64_t{2939745} * n2;
    const auto yearOfCentury = static_cast<std::uint32_t>(p2 >> 32);
    const auto dayOfYear = static_cast<std::uint32_t>(p2 & 0xFFFFFFFFu) / 2939745 / 4;
    const std::uint32_t year = 100 * century + yearOfCentury;
    // Month and day, March being month 3.
    const std::uint32_t n3 = 2141 * dayOfYear + 197913;
    const std::uint32_t month = n3 >> 16;
    const std::uint32_t day = (n3 & 0xFFFFu) / 2141;
    // January and February belong to the next year of the civil calendar.
    const bool early = dayOfYear >= 306;
    return CivilDate{static_cast<int>(static_cast<std::int64_t>(year) - 400 * kFastCycles + (early ? 1 : 0)),
                     static_cast<int>(early ? month - 12 : month), static_cast<int>(day + 1)};
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads 1 to `maxDigits` digits from text starting at pos.
std::optional<int> ReadNumber(std::string_view text, std::size_t& pos, std::size_t minDigits, std::size_t maxDigits) {
    std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    const std::size_t n = pos - start;
    if (n < minDigits || (pos < text.size() && IsDigit(text[pos]))) return std::nullopt;
    return value;
}

std::optional<DayNumber> MakeDate(int year, int month, int day) {
    if (!IsValidCivilDate(year, month, day)) return std::nullopt;
    return DayNumberFromCivil(year, month, day);
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

bool IsValidCivilDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

DayNumber DayNumberFromCivil(int year, int month, int day) {
    return static_cast<DayNumber>(DaysFromCivil(year, month, day) + kUnixEpochDay);
}

CivilDate CivilFromDayNumber(DayNumber dayNumber) {
    // Day numbers are whole; a stray fraction belongs to the day it starts
    // in. (The floor by hand: the library's costs a call per date shown.)
    std::int64_t whole = static_cast<std::int64_t>(dayNumber);
    if (static_cast<DayNumber>(whole) > dayNumber) --whole;
    const std::int64_t sinceUnixEpoch = whole - kUnixEpochDay;
    if (sinceUnixEpoch > -kFastShift && sinceUnixEpoch < kFastLimit) {
        return FastCivilFromDays(static_cast<std::uint32_t>(sinceUnixEpoch + kFastShift));
    }
    const std::int64_t z0 = sinceUnixEpoch + 719468;
    const std::int64_t era = (z0 >= 0 ? z0 : z0 - 146096) / 146097;
    const std::int64_t doe = z0 - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t year = yoe + era * 400 + (month <= 2);
    return CivilDate{static_cast<int>(year), month, day};
}

DayNumber LeapDayOf(int year) { return DayNumberFromCivil(year, 3, 1) - 1; }

std::optional<DayNumber> ParseGridDate(std::string_view text) {
    if (text.size() != 8 || text[2] != '/' || text[5] != '/') return std::nullopt;
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
        if (!IsDigit(text[i])) return std::nullopt;
    }
    const int yy = (text[0] - '0') * 10 + (text[1] - '0');
    const int month = (text[3] - '0') * 10 + (text[4] - '0');
    const int day = (text[6] - '0') * 10 + (text[7] - '0');
    return MakeDate(yy < 50 ? 2000 + yy : 1900 + yy, month, day);
}

std::optional<DayNumber> ParseDateText(std::string_view text) {
    if (text.size() == 8 && text[2] == '/') return ParseGridDate(text);
    std::size_t pos = 0;
    const auto year = ReadNumber(text, pos, 4, 4);
    if (!year || pos >= text.size() || (text[pos] != '-' && text[pos] != '/')) return std::nullopt;
    const char separator = text[pos++];
    const auto month = ReadNumber(text, pos, 1, 2);
    if (!month || pos >= text.size() || text[pos] != separator) return std::nullopt;
    ++pos;
    const auto day = ReadNumber(text, pos, 1, 2);
    if (!day || pos != text.size()) return std::nullopt;
    return MakeDate(*year, *month, *day);
}

bool HasDateShape(std::string_view text) {
    bool digit = false;
    for (char c : text) {
        if (IsDigit(c)) {
            digit = true;
        } else if (c != '-' && c != '/') {
            return false;
        }
    }
    return digit;
}

}  // namespace korvalen::engine
