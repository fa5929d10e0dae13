#include "korvalen/engine/holidays.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "extended_precision.h"

namespace korvalen::engine {
namespace {

using Day = std::int64_t;

Day DayOf(int year, int month, int day) { return static_cast<Day>(DayNumberFromCivil(year, month, day)); }

// The n-th Monday of a month.
Day NthMonday(int year, int month, int n) {
    const Day first = DayOf(year, month, 1);
    const int weekday = Weekday(static_cast<DayNumber>(first));
    return first + (8 - weekday) % 7 + 7 * (n - 1);
}

// The equinox days as the calendar has always computed them; they give the
// published days for every year from 1980 to 2026 (and far beyond), where
// the true equinox lies well clear of midnight.
int VernalEquinoxDay(int year) {
    const Extended y = year;
    return static_cast<int>(std::floor(y * 0.24242L - std::floor(y / 4) + 35.84L));
}

int AutumnalEquinoxDay(int year) {
    const Extended y = year;
    return static_cast<int>(std::floor(y * 0.24204L - std::floor(y / 4) + 39.01L));
}

// The holiday law (国民の祝日に関する法律) in force from 20 July 1948; its
// amendments are taken by the first whole year they governed.
constexpr int kFirstHolidayYear = 1949;

// The national holidays proper of a year (国民の祝日), with the special laws'
// one-off days, in date order.
std::vector<Day> NationalHolidays(int year) {
    std::vector<Day> days;
    if (year < kFirstHolidayYear) return days;
    auto add = [&](int month, int day) { days.push_back(DayOf(year, month, day)); };

    add(1, 1);  // 元日
    if (year < 2000)
        add(1, 15);
    else
        days.push_back(NthMonday(year, 1, 2));  // 成人の日
    if (year >= 1967) add(2, 11);               // 建国記念の日
    if (year >= 2020) add(2, 23);               // 天皇誕生日
    add(3, VernalEquinoxDay(year));             // 春分の日
    add(4, 29);                                 // 天皇誕生日 to 1988, みどりの日 to 2006, 昭和の日 since
    add(5, 3);                                  // 憲法記念日
    if (year >= 2007) add(5, 4);                // みどりの日; before, a day between two holidays
    add(5, 5);                                  // こどもの日

    // 海の日; in 2020 and 2021 moved for the Olympic Games, with スポーツの日
    // and 山の日.
    if (year == 2020) {
        add(7, 23);
        add(7, 24);
        add(8, 10);
    } else if (year == 2021) {
        add(7, 22);
        add(7, 23);
        add(8, 8);
    } else {
        if (year >= 2003)
            days.push_back(NthMonday(year, 7, 3));
        else if (year >= 1996)
            add(7, 20);
        if (year >= 2016) add(8, 11);  // 山の日
    }

    if (year >= 2003)
        days.push_back(NthMonday(year, 9, 3));
    else if (year >= 1966)
        add(9, 15);                      // 敬老の日
    add(9, AutumnalEquinoxDay(year));    // 秋分の日
    if (year != 2020 && year != 2021) {  // 体育の日, スポーツの日 since 2020
        if (year >= 2000)
            days.push_back(NthMonday(year, 10, 2));
        else if (year >= 1966)
            add(10, 10);
    }
    add(11, 3);                                     // 文化の日
    add(11, 23);                                    // 勤労感謝の日
    if (year >= 1989 && year <= 2018) add(12, 23);  // 天皇誕生日

    // Days of the special laws: the wedding of 1959, the funeral of the Shōwa
    // emperor, the two enthronements and the crown prince's wedding.
    if (year == 1959) add(4, 10);
    if (year == 1989) add(2, 24);
    if (year == 1990) add(11, 12);
    if (year == 1993) add(6, 9);
    if (year == 2019) {
        add(5, 1);
        add(10, 22);
    }

    std::sort(days.begin(), days.end());
    return days;
}

// From 12 April 1973 a national holiday on a Sunday gave the next day off;
// from 2007 the first day after it that is no national holiday.
Day SubstitutesFrom() { return DayOf(1973, 4, 12); }
constexpr int kNearestSubstituteYear = 2007;
// The day between two national holidays is off from 27 December 1985; until
// 2006 not when it was a Sunday or a substitute holiday anyway.
Day BetweenDaysFrom() { return DayOf(1985, 12, 27); }

struct YearCalendar {
    std::vector<Day> holidays;     // national holidays proper
    std::vector<Day> between;      // 国民の休日
    std::vector<Day> substitutes;  // 振替休日
};

bool Contains(const std::vector<Day>& days, Day day) { return std::binary_search(days.begin(), days.end(), day); }

YearCalendar CalendarOf(int year) {
    YearCalendar calendar;
    calendar.holidays = NationalHolidays(year);
    const auto& holidays = calendar.holidays;
    auto isHoliday = [&](Day day) { return Contains(holidays, day); };

    for (Day holiday : holidays) {
        if (holiday < SubstitutesFrom() || Weekday(static_cast<DayNumber>(holiday)) != 0) continue;
        Day next = holiday + 1;
        if (year >= kNearestSubstituteYear) {
            while (isHoliday(next)) ++next;
        } else if (isHoliday(next)) {
            continue;
        }
        calendar.substitutes.push_back(next);
    }
    for (std::size_t i = 0; i + 1 < holidays.size(); ++i) {
        const Day day = holidays[i] + 1;
        if (holidays[i + 1] != day + 1 || day < BetweenDaysFrom()) continue;
        if (year < kNearestSubstituteYear &&
            (Weekday(static_cast<DayNumber>(day)) == 0 || Contains(calendar.substitutes, day))) {
            continue;
        }
        calendar.between.push_back(day);
    }
    return calendar;
}

bool IsNewYearDay(const CivilDate& date) { return date.month == 1 && date.day <= 3; }

}  // namespace

int Weekday(DayNumber day) {
    // Day 0, 30 December 1899, was a Saturday.
    const auto n = static_cast<std::int64_t>(day);
    return static_cast<int>(((n + 6) % 7 + 7) % 7);
}

std::vector<std::string> HolidayCodes(int year) {
    const YearCalendar calendar = CalendarOf(year);
    std::vector<Day> listed = {DayOf(year, 1, 1), DayOf(year, 1, 2), DayOf(year, 1, 3)};
    listed.insert(listed.end(), calendar.holidays.begin(), calendar.holidays.end());
    listed.insert(listed.end(), calendar.between.begin(), calendar.between.end());
    std::sort(listed.begin(), listed.end());
    listed.erase(std::unique(listed.begin(), listed.end()), listed.end());

    std::vector<std::string> codes;
    codes.reserve(listed.size());
    for (Day day : listed) {
        const CivilDate date = CivilFromDayNumber(static_cast<DayNumber>(day));
        char code[5];
        std::snprintf(code, sizeof code, "%02d%02d", date.month, date.day);
        codes.emplace_back(code);
    }
    return codes;
}

DayClass ClassifyDay(DayNumber day, bool substitute) {
    const CivilDate date = CivilFromDayNumber(day);
    const Day n = static_cast<Day>(day);
    const YearCalendar calendar = CalendarOf(date.year);
    if (IsNewYearDay(date) || Contains(calendar.holidays, n) || Contains(calendar.between, n)) return DayClass::Listed;
    if (substitute && Contains(calendar.substitutes, n)) return DayClass::Substitute;
    if (Weekday(day) == 0) return DayClass::Sunday;
    return DayClass::Working;
}

bool IsDayOff(DayNumber day) { return ClassifyDay(day, true) != DayClass::Working; }

}  // namespace korvalen::engine
