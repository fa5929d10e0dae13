#include "korvalen/engine/text_forms.h"

#include <charconv>
#include <cstdio>
#include <limits>

#include "korvalen/engine/eras.h"
#include "korvalen/engine/errors.h"

namespace korvalen {
namespace {

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string GroupThousands(std::uint64_t magnitude) {
    std::string digits = std::to_string(magnitude);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    const std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    out.append(digits, 0, lead);
    for (std::size_t i = lead; i < digits.size(); i += 3) {
        out.push_back(',');
        out.append(digits, i, 3);
    }
    return out;
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
    out.push_back('.');
    const auto fraction = std::to_string(thousandths % 1000);
    out.append(3 - fraction.size(), '0');
    out += fraction;
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

std::string FormatAmount(std::int64_t yen) {
    return (yen < 0 ? "-" : "") + GroupThousands(Magnitude(yen));
}

std::string FormatGridRate(FixedRate rate) { return ThreeDecimals(rate) + "%"; }

std::string FormatTableRate(FixedRate rate) { return ThreeDecimals(rate); }

std::string FormatDays(std::int64_t days) { return std::to_string(days); }

std::string FormatGridDate(DayNumber day) {
    const CivilDate d = CivilFromDayNumber(day);
    return TwoDigits(d.year % 100) + "/" + TwoDigits(d.month) + "/" + TwoDigits(d.day);
}

std::string FormatResultDate(DayNumber day, bool westernCalendar) {
    if (!westernCalendar) {
        if (const auto era = JapaneseEraDateOf(day)) {
            return FirstCharacter(era->eraName) + TwoDigits(era->eraYear) + "/" + TwoDigits(era->month) + "/" +
                   TwoDigits(era->day);
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

}  // namespace korvalen
