#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history_fixture.h"
#include "korvalen/engine/day_count.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {
namespace {

using fixtures::Day;

constexpr Money k100000Yen = YenToMoney(100000);
constexpr FixedRate k20Percent = 200000;

struct PeriodCase {
    const char* name;
    DayCountMethod method;
    std::int32_t principalYen;
    FixedRate rate;
    const char* start;
    const char* end;
    std::int32_t interest;
};

std::int32_t InterestOf(const PeriodCase& c, const WarningSink& warn = {}) {
    const DayNumber s = Day(c.start);
    const DayNumber e = Day(c.end);
    return PeriodInterest(c.method, YenToMoney(c.principalYen), c.rate, DayCountFixed(s, e), s, e, warn);
}

TEST(PeriodInterest, WorkedPeriods) {
    using M = DayCountMethod;
    const std::vector<PeriodCase> cases = {
        {"365 days, 31 days", M::Fixed365, 100000, k20Percent, "2005-01-10", "2005-02-10", 1698},
        // Exactly 16,644 yen; in double precision the product falls just short.
        {"a whole year at 29.2 %", M::Fixed365, 57000, 292000, "2005-01-10", "2006-01-10", 16644},
        {"365 days in a leap year too", M::Fixed365, 100000, k20Percent, "2004-01-10", "2004-02-10", 1698},
        {"calendar years split at the year end", M::LeapCalendarYear, 100000, k20Percent, "2003-12-15", "2004-01-15",
         1696},
        {"calendar year, leap year only", M::LeapCalendarYear, 100000, k20Percent, "2004-01-10", "2004-02-10", 1693},
        {"calendar year, common year only", M::LeapCalendarYear, 100000, k20Percent, "2005-01-10", "2005-02-10", 1698},
        {"year after a start before a leap day", M::LeapYearAfterStart, 100000, k20Percent, "2003-03-01", "2003-04-01",
         1693},
        {"year after a start past the leap day", M::LeapYearAfterStart, 100000, k20Percent, "2004-03-01", "2004-04-01",
         1698},
        {"year after 29 February holds no leap day", M::LeapYearAfterStart, 100000, k20Percent, "2004-02-29",
         "2004-03-31", 1698},
        {"leap day inside the period", M::LeapDayInPeriod, 100000, k20Percent, "2004-02-01", "2004-03-01", 1584},
        {"leap year, leap day before the period", M::LeapDayInPeriod, 100000, k20Percent, "2004-03-01", "2004-04-01",
         1698},
        {"into a leap year, before its leap day", M::LeapDayInPeriod, 100000, k20Percent, "2003-12-01", "2004-01-31",
         3342},
        {"into a leap year, through its leap day", M::LeapDayInPeriod, 100000, k20Percent, "2003-12-01", "2004-02-29",
         4918},
        {"common years around a leap year count 365", M::LeapDayInPeriod, 100000, k20Percent, "2003-12-01",
         "2005-01-01", 21753},
        {"a month of 30 days", M::Monthly, 120000, 180000, "2005-04-10", "2005-05-10", 1800},
        {"a month of 31 days", M::Monthly, 100000, k20Percent, "2005-01-10", "2005-02-10", 1666},
        {"February of a common year", M::Monthly, 100000, k20Percent, "2005-02-10", "2005-03-10", 1666},
        {"31 January to 28 February is days", M::Monthly, 100000, k20Percent, "2005-01-31", "2005-02-28", 1534},
        {"31 January to 3 March is a month", M::Monthly, 100000, k20Percent, "2005-01-31", "2005-03-03", 1666},
        {"method 5 is method 4", M::MonthlyElseDaily365, 120000, 180000, "2005-04-10", "2005-05-10", 1800},
        {"method 5 counts days short of a month", M::MonthlyElseDaily365, 100000, k20Percent, "2005-01-31",
         "2005-02-28", 1534},
        {"entries out of date order", M::Fixed365, 100000, k20Percent, "2005-02-10", "2005-01-10", -1698},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InterestOf(c), c.interest) << c.name;
    }
}

TEST(PeriodInterest, ZeroDaysGiveZeroUnderEveryMethod) {
    for (int m = 0; m < kDayCountMethodCount; ++m) {
        const DayNumber d = Day("2004-02-29");
        EXPECT_EQ(PeriodInterest(DayCountMethodFrom(m), k100000Yen, k20Percent, 0, d, d), 0) << m;
    }
}

TEST(PeriodInterest, BorrowingDayIsOneDayOnTheSameDate) {
    const DayNumber d = Day("2005-01-10");
    // One day on 50,000 at 20 % under every method: 27.39… yen.
    for (int m = 0; m < kDayCountMethodCount; ++m) {
        EXPECT_EQ(PeriodInterest(DayCountMethodFrom(m), YenToMoney(50000), k20Percent, kFixedOne, d, d), 27) << m;
    }
}

TEST(PeriodInterest, CalendarYearMethodRefusesThreeYears) {
    std::vector<std::string> warnings;
    const PeriodCase c{
        "three years", DayCountMethod::LeapCalendarYear, 100000, k20Percent, "2003-12-20", "2005-01-10", 0};
    EXPECT_EQ(InterestOf(c, [&](const std::string& m) { warnings.push_back(m); }), 0);
    EXPECT_EQ(warnings, std::vector<std::string>{"３年間にまたがる計算はできません。"});
}

TEST(PeriodInterest, WarningWithoutSinkGoesToStderr) {
    ::testing::internal::CaptureStderr();
    const PeriodCase c{
        "three years", DayCountMethod::LeapCalendarYear, 100000, k20Percent, "2003-12-20", "2005-01-10", 0};
    EXPECT_EQ(InterestOf(c), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "３年間にまたがる計算はできません。\n");
}

TEST(PeriodInterest, InterestBeyondThirtyTwoBitsIsAnError) {
    const DayNumber s = Day("2000-01-01");
    const DayNumber e = Day("2009-12-31");
    EXPECT_THROW(PeriodInterest(DayCountMethod::Fixed365, YenToMoney(2000000000), 9990000, DayCountFixed(s, e), s, e),
                 CalculationOverflow);
}

TEST(LeapYearWarning, ReportsPeriodsCrossingIntoOrOutOfALeapYear) {
    struct Case {
        const char* a;
        const char* b;
        bool reported;
    };
    const Case cases[] = {
        {"2003-12-15", "2004-01-15", true},   // into a leap year
        {"2004-12-15", "2005-01-15", true},   // out of a leap year
        {"2003-12-31", "2004-01-31", false},  // starts on 31 December: nothing counted in 2003
        {"2004-01-10", "2004-03-10", false},  // within one year
        {"2005-12-15", "2006-01-15", false},  // two common years
        {"2003-05-01", "2005-05-01", false},  // common years around a leap year
        {"2004-02-10", "2003-12-10", false},  // out of date order
    };
    for (const auto& c : cases) {
        const auto list = fixtures::MakeHistory({{c.a, 1000, 0}, {c.b, 0, 100}});
        EXPECT_EQ(LeapYearWarnings(list, Day(c.b)).size(), c.reported ? 1u : 0u) << c.a << " " << c.b;
    }
}

TEST(LeapYearWarning, OnlyThePeriodsTouchingTheReferenceDateAreReported) {
    const auto list = fixtures::MakeHistory(
        {{"2003-12-15", 1000, 0}, {"2004-06-15", 0, 100}, {"2005-01-15", 0, 100}, {"2008-01-15", 0, 100}});
    const std::string first = "閏年をまたぐ期間があります。\r\n【03/12/15～04/06/15】";
    const std::string second = "閏年をまたぐ期間があります。\r\n【04/06/15～05/01/15】";
    const std::string third = "閏年をまたぐ期間があります。\r\n【05/01/15～08/01/15】";
    EXPECT_EQ(LeapYearWarnings(list, Day("2004-06-15")), (std::vector<std::string>{first, second}));
    EXPECT_EQ(LeapYearWarnings(list, Day("2003-12-15")), (std::vector<std::string>{first}));
    EXPECT_EQ(LeapYearWarnings(list, Day("2008-01-15")), (std::vector<std::string>{third}));
    EXPECT_TRUE(LeapYearWarnings(list, Day("2009-01-01")).empty());
}

TEST(DayCountMethods, LabelsAndValues) {
    EXPECT_EQ(DayCountMethodLabels().size(), 6u);
    EXPECT_EQ(DayCountMethodLabel(DayCountMethod::Fixed365), "常に365日として日割り計算");
    EXPECT_EQ(DayCountMethodLabel(DayCountMethod::MonthlyElseDaily365),
              "月割計算。但し月未満の期間は365日の日割り計算");
    EXPECT_EQ(DayCountMethodFrom(3), DayCountMethod::LeapDayInPeriod);
    EXPECT_THROW(DayCountMethodFrom(6), InvalidCaseSetting);
    EXPECT_THROW(DayCountMethodFrom(-1), InvalidCaseSetting);
}

}  // namespace
}  // namespace korvalen::engine
