#include "korvalen/wizard/date_digits.h"

#include <cmath>
#include <cstdio>

#include "korvalen/engine/eras.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::wizard {
namespace {

using engine::DayNumber;

bool AllDigits(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

int Number(std::string_view digits) {
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    return n;
}

std::string Plain(int year, int month, int day) {
    return std::to_string(year) + "年" + std::to_string(month) + "月" + std::to_string(day) + "日";
}

std::string RangeProblem() {
    return Plain(kFirstInputYear, 1, 1) + "から" + Plain(kLastInputYear, 12, 31) + "までの日付を入力して下さい。";
}

DayNumber FirstInputDay() { return engine::DayNumberFromCivil(kFirstInputYear, 1, 1); }
DayNumber LastInputDay() { return engine::DayNumberFromCivil(kLastInputYear, 12, 31); }

char LetterOf(const std::string& name) {
    if (name == "明治") return 'M';
    if (name == "大正") return 'T';
    if (name == "昭和") return 'S';
    if (name == "平成") return 'H';
    if (name == "令和") return 'R';
    return 0;
}

std::vector<Era> LoadEras() {
    // Era changes are found day by day between year starts, through the
    // engine's era function, so the list is exactly the one the long forms
    // are written with.
    std::vector<Era> eras;
    auto nameOf = [](DayNumber day) {
        const auto era = engine::JapaneseEraDateOf(day);
        return era ? era->eraName : std::string();
    };
    const DayNumber first = FirstInputDay();
    const DayNumber last = LastInputDay();
    eras.push_back(Era{nameOf(first), LetterOf(nameOf(first)), first, last});
    for (int year = kFirstInputYear; year <= kLastInputYear; ++year) {
        const DayNumber end = engine::DayNumberFromCivil(year, 12, 31);
        if (nameOf(end) == eras.back().name) continue;
        DayNumber lo = engine::DayNumberFromCivil(year, 1, 1);
        DayNumber hi = end;
        while (lo < hi) {
            const DayNumber mid = std::floor((lo + hi) / 2);
            if (nameOf(mid) == eras.back().name) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        eras.back().lastDay = lo - 1;
        const std::string name = nameOf(lo);
        eras.push_back(Era{name, LetterOf(name), lo, last});
    }
    // The first era began before the input years; its own first day gives
    // the Western year of its era years.
    DayNumber lo = engine::DayNumberFromCivil(1800, 1, 1);
    DayNumber hi = first;
    while (lo < hi) {
        const DayNumber mid = std::floor((lo + hi) / 2);
        if (nameOf(mid) == eras.front().name) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    eras.front().firstDay = lo;
    return eras;
}

}  // namespace

bool IsInputDay(DayNumber day) { return day >= FirstInputDay() && day <= LastInputDay(); }

std::string DateDigitsOf(DayNumber day) {
    const auto d = engine::CivilFromDayNumber(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    return text;
}

std::optional<DayNumber> DayOfDateDigits(std::string_view digits) {
    const DateReading reading = ReadWesternDigits(digits);
    return reading.day;
}

std::string MonthDigitsOf(int year, int month) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d", year, month);
    return text;
}

const std::vector<Era>& JapaneseEras() {
    static const std::vector<Era> eras = LoadEras();
    return eras;
}

std::size_t EraIndexOf(DayNumber day) {
    const auto& eras = JapaneseEras();
    std::size_t index = 0;
    for (std::size_t i = 0; i < eras.size(); ++i) {
        if (eras[i].firstDay <= day) index = i;
    }
    return index;
}

DateReading ReadWesternDigits(std::string_view digits) {
    if (digits.size() != 8 || !AllDigits(digits)) {
        return {std::nullopt, "年月日を西暦の8桁で入力して下さい。\r\n（例　19700207）"};
    }
    const int year = Number(digits.substr(0, 4));
    const int month = Number(digits.substr(4, 2));
    const int day = Number(digits.substr(6, 2));
    if (!engine::IsValidCivilDate(year, month, day)) {
        return {std::nullopt, Plain(year, month, day) + "は存在しない日付です。"};
    }
    const DayNumber n = engine::DayNumberFromCivil(year, month, day);
    if (!IsInputDay(n)) return {std::nullopt, RangeProblem()};
    return {n, {}};
}

DateReading ReadEraDigits(const Era& era, std::string_view digits) {
    if (digits.size() != 6 || !AllDigits(digits)) {
        return {std::nullopt, "年月日を和暦の6桁で入力して下さい。\r\n（例　450207）"};
    }
    const int eraYear = Number(digits.substr(0, 2));
    const int month = Number(digits.substr(2, 2));
    const int day = Number(digits.substr(4, 2));
    const std::string typed =
        era.name + std::to_string(eraYear) + "年" + std::to_string(month) + "月" + std::to_string(day) + "日";
    const int year = engine::CivilFromDayNumber(era.firstDay).year + eraYear - 1;
    if (eraYear < 1 || !engine::IsValidCivilDate(year, month, day)) {
        return {std::nullopt, typed + "は存在しない日付です。"};
    }
    const DayNumber n = engine::DayNumberFromCivil(year, month, day);
    if (n < era.firstDay || n > era.lastDay) {
        const auto& eras = JapaneseEras();
        const bool lastEra = &era == &eras.back();
        const auto from = engine::CivilFromDayNumber(era.firstDay);
        const auto to = engine::CivilFromDayNumber(era.lastDay);
        std::string span = era.name + "は" + Plain(from.year, from.month, from.day) + "から";
        if (!lastEra) span += Plain(to.year, to.month, to.day) + "まで";
        return {std::nullopt, typed + "は存在しない日付です。\r\n" + span + "です。"};
    }
    if (!IsInputDay(n)) return {std::nullopt, RangeProblem()};
    return {n, {}};
}

std::string EraDigitsOf(DayNumber day) {
    const auto era = engine::JapaneseEraDateOf(day);
    if (!era) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", era->eraYear % 100, era->month, era->day);
    return text;
}

std::string LongFormsOf(DayNumber day, bool westernFirst) {
    const std::string western = engine::FormatStartDateWestern(day);
    const std::string era = engine::FormatStartDateEra(day);
    return westernFirst ? western + "（" + era + "）" : era + "（" + western + "）";
}

}  // namespace korvalen::wizard
