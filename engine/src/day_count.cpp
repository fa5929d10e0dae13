#include "korvalen/engine/day_count.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

#include "extended_precision.h"
#include "korvalen/engine/errors.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

// Every interest formula runs in Extended, strictly left to right; the yen
// of the system depend on it.

constexpr Extended kDivisor365 = 36500.0L;
constexpr Extended kDivisor366 = 36600.0L;
constexpr Extended kTenPow12 = 1.0e12L;

const std::array<std::string_view, kDayCountMethodCount> kLabels = {
    "常に365日として日割り計算",
    "閏年の暦年は年366日として日割り計算",
    "計算基準日より1年後の期間に2月29日がある場合は366日として日割り計算",
    "計算期間に2月29日がある場合は366日として日割り計算",
    "月割計算",
    "月割計算。但し月未満の期間は365日の日割り計算",
};

std::int32_t TruncToYen(Extended value) {
    // Anything strictly between these bounds cuts toward zero into 32 bits;
    // the conversion itself truncates.
    if (!(value > -2147483649.0L && value < 2147483648.0L)) {
        throw CalculationOverflow("利息が扱える金額の範囲（±2,147,483,647円）を超えました。計算できません。");
    }
    return static_cast<std::int32_t>(value);
}

// P × r × d ÷ divisor ÷ 10^12, before the cut to whole yen.
Extended DailyInterest(Money principal, FixedRate rate, FixedDays days, Extended divisor) {
    return static_cast<Extended>(principal) * static_cast<Extended>(rate) * static_cast<Extended>(days) / divisor /
           kTenPow12;
}

Extended YearDivisor(int year) { return IsLeapYear(year) ? kDivisor366 : kDivisor365; }

// The day the day count reaches from the start, as the methods that look at
// calendar years test it.
DayNumber PeriodEnd(DayNumber start, FixedDays days) {
    const Extended end = static_cast<Extended>(start) + static_cast<Extended>(days) / 10000.0L;
    return static_cast<DayNumber>(std::floor(end));
}

// An empty sink still shows the warning, as one line on std::cerr.
void DeliverWarning(const WarningSink& warn, const std::string& message) {
    if (warn) {
        warn(message);
    } else {
        std::cerr << message << '\n';
    }
}

std::int32_t LeapCalendarYear(Money principal, FixedRate rate, FixedDays days, DayNumber start,
                              const WarningSink& warn) {
    const int y1 = CivilFromDayNumber(start).year;
    const int y2 = CivilFromDayNumber(PeriodEnd(start, days)).year;
    if (y2 == y1) return TruncToYen(DailyInterest(principal, rate, days, YearDivisor(y1)));
    if (y2 == y1 + 1) {
        const FixedDays firstDays = DayCountFixed(start, DayNumberFromCivil(y1, 12, 31));
        const FixedDays secondDays = days - firstDays;
        // The first year's share is kept as a double before it is added back.
        const double first = static_cast<double>(DailyInterest(principal, rate, firstDays, YearDivisor(y1)));
        const Extended second = static_cast<Extended>(principal) * static_cast<Extended>(rate) *
                                static_cast<Extended>(secondDays) / YearDivisor(y2);
        return TruncToYen((second + static_cast<Extended>(first) * kTenPow12) / kTenPow12);
    }
    DeliverWarning(warn, std::string(kThreeYearWarning));
    return 0;
}

// Year length of the twelve months that begin on the start date. A start
// on 29 February has no same date a year later; its year runs to 28
// February, which holds no further leap day, so it counts 365 days.
Extended YearAfterStartDivisor(DayNumber start) {
    const CivilDate s = CivilFromDayNumber(start);
    const int nextYear = s.year + 1;
    const int day = std::min(s.day, DaysInMonth(nextYear, s.month));
    return static_cast<Extended>(DayNumberFromCivil(nextYear, s.month, day) - start) * 100.0L;
}

Extended LeapDayInPeriodDivisor(DayNumber start, FixedDays days) {
    const DayNumber end = PeriodEnd(start, days);
    const int y1 = CivilFromDayNumber(start).year;
    const int y2 = CivilFromDayNumber(end).year;
    if (IsLeapYear(y1)) {
        const DayNumber leapDay = LeapDayOf(y1);
        return start <= leapDay && leapDay <= end ? kDivisor366 : kDivisor365;
    }
    if (IsLeapYear(y2)) return LeapDayOf(y2) <= end ? kDivisor366 : kDivisor365;
    return kDivisor365;
}

std::int32_t MonthlyInterest(Money principal, FixedRate rate, FixedDays days, DayNumber start, DayNumber end) {
    const CivilDate s = CivilFromDayNumber(start);
    if (end - start == DaysInMonth(s.year, s.month)) {
        return TruncToYen(static_cast<Extended>(principal) * static_cast<Extended>(rate) / 1200.0L / 1.0e8L);
    }
    return TruncToYen(DailyInterest(principal, rate, days, kDivisor365));
}

}  // namespace

const std::array<std::string_view, kDayCountMethodCount>& DayCountMethodLabels() { return kLabels; }

std::string_view DayCountMethodLabel(DayCountMethod method) { return kLabels.at(static_cast<std::size_t>(method)); }

DayCountMethod DayCountMethodFrom(std::int32_t keisanKind) {
    if (keisanKind < 0 || keisanKind >= kDayCountMethodCount) {
        throw InvalidCaseSetting("日割り計算の方法（" + std::to_string(keisanKind) +
                                 "）が不正です。0から5の値を指定してください。");
    }
    return static_cast<DayCountMethod>(keisanKind);
}

std::vector<std::string> LeapYearWarnings(const HistoryList& entries, DayNumber reference) {
    std::vector<std::string> messages;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const DayNumber a = entries[i - 1]->date;
        const DayNumber b = entries[i]->date;
        const CivilDate ca = CivilFromDayNumber(a);
        const CivilDate cb = CivilFromDayNumber(b);
        if (ca.year == cb.year || !(IsLeapYear(ca.year) || IsLeapYear(cb.year))) continue;
        if (ca.month == 12 && ca.day == 31) continue;
        if (!(a <= reference && reference <= b)) continue;
        messages.push_back("閏年をまたぐ期間があります。\r\n【" + FormatGridDate(a) + "～" + FormatGridDate(b) + "】");
    }
    return messages;
}

std::int32_t PeriodInterest(DayCountMethod method, Money principal, FixedRate rate, FixedDays days, DayNumber start,
                            DayNumber end, const WarningSink& warn) {
    switch (method) {
        case DayCountMethod::Fixed365: return TruncToYen(DailyInterest(principal, rate, days, kDivisor365));
        case DayCountMethod::LeapCalendarYear: return LeapCalendarYear(principal, rate, days, start, warn);
        case DayCountMethod::LeapYearAfterStart:
            return TruncToYen(DailyInterest(principal, rate, days, YearAfterStartDivisor(start)));
        case DayCountMethod::LeapDayInPeriod:
            return TruncToYen(DailyInterest(principal, rate, days, LeapDayInPeriodDivisor(start, days)));
        case DayCountMethod::Monthly:
        case DayCountMethod::MonthlyElseDaily365: return MonthlyInterest(principal, rate, days, start, end);
    }
    throw InvalidCaseSetting("日割り計算の方法が不正です。");
}

}  // namespace korvalen::engine
