#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "history_fixture.h"
#include "korvalen/engine/holidays.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

using fixtures::Day;

// The published national holidays of 1980 to 2026: date → name.
std::map<DayNumber, std::string> PublishedHolidays() {
    std::ifstream in(KORVALEN_SOURCE_DIR "/tests/engine/data/japan_holidays_1980_2026.txt");
    std::map<DayNumber, std::string> holidays;
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        holidays.emplace(Day(line.substr(0, space).c_str()), line.substr(space + 1));
    }
    return holidays;
}

bool IsPublishedSubstitute(const std::string& name) { return name.find("振替休日") != std::string::npos; }

bool IsNewYearDay(DayNumber day) {
    const CivilDate date = CivilFromDayNumber(day);
    return date.month == 1 && date.day <= 3;
}

class PublishedCalendar : public ::testing::Test {
protected:
    static void SetUpTestSuite() { holidays_ = new std::map<DayNumber, std::string>(PublishedHolidays()); }
    static void TearDownTestSuite() { delete holidays_; }
    static const std::map<DayNumber, std::string>& Holidays() { return *holidays_; }

private:
    static inline std::map<DayNumber, std::string>* holidays_ = nullptr;
};

TEST_F(PublishedCalendar, DataCoversEveryYear) {
    ASSERT_GT(Holidays().size(), 700u);
    EXPECT_EQ(CivilFromDayNumber(Holidays().begin()->first).year, 1980);
    EXPECT_EQ(CivilFromDayNumber(Holidays().rbegin()->first).year, 2026);
}

// Off: a published holiday of any kind, a Sunday, or 1 to 3 January, when
// lenders are closed; nothing else (Saturdays included).
TEST_F(PublishedCalendar, EveryDayOffIsAPublishedHolidayASundayOrANewYearDay) {
    std::vector<std::string> wrong;
    for (DayNumber day = Day("1980-01-01"); day <= Day("2026-12-31"); ++day) {
        const bool expected = Holidays().count(day) != 0 || Weekday(day) == 0 || IsNewYearDay(day);
        if (IsDayOff(day) != expected)
            wrong.push_back(FormatIsoDate(day) + (expected ? " should be off" : " is no holiday"));
    }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

TEST_F(PublishedCalendar, SubstituteHolidaysAreTheirOwnKind) {
    std::vector<std::string> wrong;
    for (DayNumber day = Day("1980-01-01"); day <= Day("2026-12-31"); ++day) {
        const auto found = Holidays().find(day);
        const bool published = found != Holidays().end() && IsPublishedSubstitute(found->second);
        // 2 January is listed as a New Year day, also when it stands in for
        // a Sunday 1 January.
        const bool expected = published && !IsNewYearDay(day);
        if ((ClassifyDay(day, true) == DayClass::Substitute) != expected) wrong.push_back(FormatIsoDate(day));
        if (ClassifyDay(day, false) == DayClass::Substitute) wrong.push_back(FormatIsoDate(day) + " without the flag");
    }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

TEST_F(PublishedCalendar, HolidayCodesListTheYearsHolidaysWithoutSubstitutes) {
    std::map<int, std::set<std::string>> expected;
    for (int year = 1980; year <= 2026; ++year) expected[year] = {"0101", "0102", "0103"};
    for (const auto& [day, name] : Holidays()) {
        if (IsPublishedSubstitute(name)) continue;
        const CivilDate date = CivilFromDayNumber(day);
        char code[5];
        std::snprintf(code, sizeof code, "%02d%02d", date.month, date.day);
        expected[date.year].insert(code);
    }
    for (const auto& [year, codes] : expected) {
        EXPECT_EQ(HolidayCodes(year), std::vector<std::string>(codes.begin(), codes.end())) << year;
    }
}

// What kind of day, where the published list only tells off or not: the
// law's turns around 4 May, and the days that are never off by themselves.
TEST(ClassifyDay, LawAsItStoodEachYear) {
    struct Case {
        const char* date;
        DayClass kind;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"1984-05-04", DayClass::Working, "4 May was an ordinary day before 1988"},
        {"1988-05-04", DayClass::Listed, "the first day between two holidays"},
        {"1997-05-04", DayClass::Sunday, "until 2006 a Sunday was no day between two holidays"},
        {"1997-05-06", DayClass::Working, "until 2006 only the day after a Sunday holiday stood in"},
        {"2009-05-06", DayClass::Substitute, "from 2007 the first day after the holidays stands in"},
        {"2021-08-09", DayClass::Substitute, "山の日 moved to Sunday 8 August 2021"},
        {"2019-04-30", DayClass::Listed, "between 昭和の日 and the enthronement"},
        {"2023-01-04", DayClass::Working, "4 January after a Sunday 1 January"},
        {"2024-05-25", DayClass::Working, "a Saturday"},
        {"2024-05-26", DayClass::Sunday, "an ordinary Sunday"},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyDay(Day(c.date), true), c.kind) << c.date << ": " << c.why;
}

TEST(ClassifyDay, SubstituteOnlyWhenAskedFor) {
    EXPECT_EQ(ClassifyDay(Day("2024-05-06"), true), DayClass::Substitute);
    EXPECT_EQ(ClassifyDay(Day("2024-05-06"), false), DayClass::Working);
    EXPECT_EQ(ClassifyDay(Day("2024-05-05"), false), DayClass::Listed);
}

}  // namespace
}  // namespace korvalen::engine
