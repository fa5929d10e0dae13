#include "cell_text.h"

#include <cstring>
#include <limits>

#include "era_table.h"

namespace korvalen::engine {
namespace {

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// The three digits of every number below 1,000, so that a group of digits
// is one copy instead of three divisions.
struct DigitTriples {
    char text[3000];
    constexpr DigitTriples() : text{} {
        for (int i = 0; i < 1000; ++i) {
            text[3 * i] = static_cast<char>('0' + i / 100);
            text[3 * i + 1] = static_cast<char>('0' + i / 10 % 10);
            text[3 * i + 2] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr DigitTriples kTriples;

// 0 to 999 without leading zeros. It copies three bytes whatever the
// length, so it may write up to two bytes past the end it returns.
char* WriteBelowThousand(char* out, unsigned value) {
    const int length = value < 10 ? 1 : value < 100 ? 2 : 3;
    std::memcpy(out, kTriples.text + 3 * value + 3 - length, 3);
    return out + length;
}

char* WriteTriple(char* out, unsigned value) {
    std::memcpy(out, kTriples.text + 3 * value, 3);
    return out + 3;
}

// Digits grouped by three from the right, with `separator` between the
// groups unless it is 0. One division per group, and no digit written twice.
char* WriteGrouped(char* out, std::uint64_t value, char separator) {
    if (value < 1000) return WriteBelowThousand(out, static_cast<unsigned>(value));
    unsigned groups[7];
    int count = 0;
    while (value >= 1000) {
        groups[count++] = static_cast<unsigned>(value % 1000);
        value /= 1000;
    }
    out = WriteBelowThousand(out, static_cast<unsigned>(value));
    while (count > 0) {
        if (separator != 0) *out++ = separator;
        out = WriteTriple(out, groups[--count]);
    }
    return out;
}

char* WriteUnsigned(char* out, std::uint64_t value) { return WriteGrouped(out, value, 0); }

// Steps up to this many days are walked from the date before.
constexpr std::int64_t kMaxStep = 400;

// The last two digits of a value that is normally 0 to 99.
char* WriteTwoDigits(char* out, int value) {
    out[0] = static_cast<char>('0' + value / 10 % 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
}

char* WriteSlashedDate(char* out, int year, int month, int day) {
    out = WriteTwoDigits(out, year);
    *out++ = '/';
    out = WriteTwoDigits(out, month);
    *out++ = '/';
    return WriteTwoDigits(out, day);
}

}  // namespace

char* WriteAmount(char* out, std::int64_t yen) {
    if (yen < 0) *out++ = '-';
    return WriteGrouped(out, Magnitude(yen), ',');
}

char* WriteDays(char* out, std::int64_t days) {
    if (days < 0) *out++ = '-';
    return WriteUnsigned(out, Magnitude(days));
}

char* WriteTableRate(char* out, FixedRate rate) {
    const std::uint64_t thousandths = (Magnitude(rate) + 5) / 10;
    if (rate < 0 && thousandths != 0) *out++ = '-';
    out = WriteUnsigned(out, thousandths / 1000);
    *out++ = '.';
    return WriteTriple(out, static_cast<unsigned>(thousandths % 1000));
}

char* WriteGridDate(char* out, DayNumber day) {
    const CivilDate d = CivilFromDayNumber(day);
    return WriteSlashedDate(out, d.year % 100, d.month, d.day);
}

char* WriteResultDate(char* out, DayNumber day, bool westernCalendar) {
    return ResultDateWriter(westernCalendar).Write(out, day);
}

char* ResultDateWriter::Write(char* out, DayNumber day) {
    const CivilDate d = CivilOf(day);
    const EraStart* era = westernCalendar_ ? nullptr : EraOfDay(day);
    if (!era) return WriteSlashedDate(out, d.year % 100, d.month, d.day);
    const int eraYear = d.year - era->firstGregorianYear + 1;
    for (const char c : era->firstCharacter) *out++ = c;
    // An era past its 99th year keeps all its digits.
    if (eraYear >= 100) out = WriteUnsigned(out, static_cast<std::uint64_t>(eraYear / 100));
    return WriteSlashedDate(out, eraYear, d.month, d.day);
}

CivilDate ResultDateWriter::CivilOf(DayNumber day) {
    // The whole day, as CivilFromDayNumber takes it.
    std::int64_t whole = static_cast<std::int64_t>(day);
    if (static_cast<DayNumber>(whole) > day) --whole;
    const std::int64_t ahead = whole - lastDay_;
    if (known_ && ahead >= 0 && ahead <= kMaxStep) {
        int dayOfMonth = last_.day + static_cast<int>(ahead);
        int month = last_.month;
        int year = last_.year;
        for (int length = DaysInMonth(year, month); dayOfMonth > length; length = DaysInMonth(year, month)) {
            dayOfMonth -= length;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
        last_ = CivilDate{year, month, dayOfMonth};
    } else {
        last_ = CivilFromDayNumber(day);
        known_ = true;
    }
    lastDay_ = whole;
    return last_;
}

const EraStart* ResultDateWriter::EraOfDay(DayNumber day) {
    if (era_ && eraFrom_ <= day && day < eraUntil_) return era_;
    era_ = EraOf(day);
    if (!era_) return nullptr;
    const auto& eras = EraStarts();
    const auto next = static_cast<std::size_t>(era_ - eras.data()) + 1;
    eraFrom_ = era_->firstDay;
    eraUntil_ = next < eras.size() ? eras[next].firstDay : std::numeric_limits<DayNumber>::infinity();
    return era_;
}

}  // namespace korvalen::engine
