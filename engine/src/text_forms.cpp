#include "korvalen/engine/text_forms.h"

#include <charconv>
#include <cstdio>
#include <limits>

#include "cell_text.h"
#include "korvalen/engine/eras.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {
namespace {

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

// One cell's text from its in-place writer.
template <typename Writer>
std::string CellText(Writer write) {
    char text[kMaxCellText];
    return std::string(text, write(text));
}

}  // namespace

std::string FormatAmount(std::int64_t yen) {
    return CellText([&](char* out) { return WriteAmount(out, yen); });
}

std::string FormatGridRate(FixedRate rate) { return FormatTableRate(rate) + "%"; }

std::string FormatTableRate(FixedRate rate) {
    return CellText([&](char* out) { return WriteTableRate(out, rate); });
}

std::string FormatDays(std::int64_t days) {
    return CellText([&](char* out) { return WriteDays(out, days); });
}

std::string FormatGridDate(DayNumber day) {
    return CellText([&](char* out) { return WriteGridDate(out, day); });
}

std::string FormatResultDate(DayNumber day, bool westernCalendar) {
    return CellText([&](char* out) { return WriteResultDate(out, day, westernCalendar); });
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
