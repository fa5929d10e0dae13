#include "korvalen/engine/text_forms.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <utility>

#include "korvalen/engine/eras.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {
namespace {

// The formatters below build their few characters by hand: a result table
// formats some ten thousand cells per run, and the general routines
// (snprintf, streams) cost more than the calculation itself.
void AppendTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

std::string TwoDigits(int value) {
    std::string out;
    if (value >= 100) out += std::to_string(value / 100);
    AppendTwoDigits(out, value);
    return out;
}

// "yy/mm/dd" after an optional prefix.
std::string SlashedDate(std::string prefix, int year, int month, int day) {
    prefix.reserve(prefix.size() + 8);
    AppendTwoDigits(prefix, year);
    prefix.push_back('/');
    AppendTwoDigits(prefix, month);
    prefix.push_back('/');
    AppendTwoDigits(prefix, day);
    return prefix;
}

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// Three decimals of a four-decimal fixed-point rate, the fourth rounded half
// away from zero as the format routines of the desktop do.
std::string ThreeDecimals(FixedRate rate) {
    const std::uint64_t thousandths = (Magnitude(rate) + 5) / 10;
    std::string out = rate < 0 && thousandths != 0 ? "-" : "";
    out += std::to_string(thousandths / 1000);
    const auto fraction = static_cast<int>(thousandths % 1000);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + fraction / 100));
    AppendTwoDigits(out, fraction);
    return out;
}

// The first character of a UTF-8 text.
std::string FirstCharacter(const std::string& text) {
    if (text.empty()) return text;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return text.substr(0, length);
}

}  // namespace

void AppendAmount(std::string& out, std::int64_t yen) {
    char buffer[32];
    char* const end = buffer + sizeof buffer;
    char* p = end;
    std::uint64_t magnitude = Magnitude(yen);
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) *--p = ',';
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (yen < 0) *--p = '-';
    out.append(p, end);
}

std::string FormatAmount(std::int64_t yen) {
    std::string text;
    AppendAmount(text, yen);
    return text;
}

std::string FormatGridRate(FixedRate rate) { return ThreeDecimals(rate) + "%"; }

std::string FormatTableRate(FixedRate rate) { return ThreeDecimals(rate); }

std::string FormatDays(std::int64_t days) { return std::to_string(days); }

std::string FormatGridDate(DayNumber day) {
    const CivilDate d = CivilFromDayNumber(day);
    return SlashedDate({}, d.year % 100, d.month, d.day);
}

std::string FormatResultDate(DayNumber day, bool westernCalendar) {
    if (!westernCalendar) {
        if (const auto era = JapaneseEraDateOf(day)) {
            // An era past its 99th year keeps all its digits.
            std::string prefix = FirstCharacter(era->eraName);
            if (era->eraYear >= 100) prefix += std::to_string(era->eraYear / 100);
            return SlashedDate(std::move(prefix), era->eraYear, era->month, era->day);
        }
    }
    return FormatGridDate(day);
}

std::string FormatStartDateWestern(DayNumber day) {
    const CivilDate d = CivilFromDayNumber(day);
    char year[16];
    std::snprintf(year, sizeof year, "%04d", d.year);
    return std::string(year) + "年" + TwoDigits(d.month) + "月" + TwoDigits(d.day) + "日";
}

std::string FormatStartDateEra(DayNumber day) {
    const auto era = JapaneseEraDateOf(day);
    if (!era) return FormatStartDateWestern(day);
    return era->eraName + TwoDigits(era->eraYear) + "年" + TwoDigits(era->month) + "月" + TwoDigits(era->day) + "日";
}

std::string FormatStartDate(DayNumber day, bool westernCalendar) {
    return westernCalendar ? FormatStartDateWestern(day) : FormatStartDateEra(day);
}

std::string FormatMessageDate(DayNumber day) {
    const CivilDate d = CivilFromDayNumber(day);
    return std::to_string(d.year) + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
}

std::string FormatIsoDate(DayNumber day) {
    const CivilDate d = CivilFromDayNumber(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

std::int32_t ParseAmountText(std::string_view text) {
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') continue;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) {
            throw ConversionError("「" + std::string(text) +
                                  "」は金額として扱える範囲（2,147,483,647円まで）を超えています。");
        }
    }
    return static_cast<std::int32_t>(value);
}

double ParseRateText(std::string_view text) {
    std::string kept = "0";  // a leading zero keeps ".5" a number
    bool point = false;
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            kept.push_back(c);
            digit = true;
        } else if (c == '.' && !point) {
            kept.push_back(c);
            point = true;
        }
    }
    if (!digit) return 0.0;
    if (kept.back() == '.') kept.pop_back();
    double value = 0.0;
    const auto result = std::from_chars(kept.data(), kept.data() + kept.size(), value);
    if (result.ec != std::errc()) {
        throw ConversionError("「" + std::string(text) + "」は利率として読めません。");
    }
    return value;
}

}  // namespace korvalen::engine
