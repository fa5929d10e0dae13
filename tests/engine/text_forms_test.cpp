#include <gtest/gtest.h>

#include "history_fixture.h"
#include "korvalen/engine/eras.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

using fixtures::Day;

TEST(TextForms, Amounts) {
    struct Case {
        std::int64_t yen;
        const char* text;
    };
    for (const Case& c : {Case{0, "0"}, Case{999, "999"}, Case{1000, "1,000"}, Case{1234567, "1,234,567"},
                          Case{-8384, "-8,384"}, Case{-100000, "-100,000"}, Case{2147483647, "2,147,483,647"}}) {
        EXPECT_EQ(FormatAmount(c.yen), c.text);
    }
}

TEST(TextForms, RatesRoundTheFourthDecimalHalfAway) {
    struct Case {
        FixedRate rate;
        const char* grid;
        const char* table;
    };
    for (const Case& c :
         {Case{292000, "29.200%", "29.200"}, Case{180000, "18.000%", "18.000"}, Case{0, "0.000%", "0.000"},
          Case{292345, "29.235%", "29.235"}, Case{292344, "29.234%", "29.234"}, Case{1000000, "100.000%", "100.000"},
          Case{5, "0.001%", "0.001"}, Case{-4, "0.000%", "0.000"}, Case{-292000, "-29.200%", "-29.200"}}) {
        EXPECT_EQ(FormatGridRate(c.rate), c.grid);
        EXPECT_EQ(FormatTableRate(c.rate), c.table);
    }
}

TEST(TextForms, DaysAndGridDates) {
    EXPECT_EQ(FormatDays(31), "31");
    EXPECT_EQ(FormatDays(0), "0");
    EXPECT_EQ(FormatDays(-3), "-3");
    EXPECT_EQ(FormatGridDate(Day("2006-03-10")), "06/03/10");
    EXPECT_EQ(FormatGridDate(Day("1999-12-31")), "99/12/31");
    EXPECT_EQ(FormatGridDate(Day("2000-01-01")), "00/01/01");
}

TEST(TextForms, ResultDatesFollowTheEraBoundaries) {
    struct Case {
        const char* date;
        const char* era;
    };
    for (const Case& c :
         {Case{"2006-03-10", "平18/03/10"}, Case{"1989-01-07", "昭64/01/07"}, Case{"1989-01-08", "平01/01/08"},
          Case{"2019-04-30", "平31/04/30"}, Case{"2019-05-01", "令01/05/01"}, Case{"1926-12-25", "昭01/12/25"},
          Case{"1926-12-24", "大15/12/24"}, Case{"1912-07-30", "大01/07/30"}, Case{"1900-01-01", "明33/01/01"}}) {
        EXPECT_EQ(FormatResultDate(Day(c.date), false), c.era) << c.date;
    }
    EXPECT_EQ(FormatResultDate(Day("2006-03-10"), true), "06/03/10");
}

TEST(TextForms, DaysBeforeTheFirstEraShowTheWesternDate) {
    EXPECT_FALSE(JapaneseEraDateOf(Day("1850-06-01")));
    EXPECT_EQ(FormatResultDate(Day("1850-06-01"), false), "50/06/01");
    EXPECT_EQ(FormatStartDateEra(Day("1850-06-01")), "1850年06月01日");
    EXPECT_TRUE(JapaneseEraDateOf(Day("1873-01-01")));
}

TEST(TextForms, LongAndMessageDates) {
    EXPECT_EQ(FormatStartDateWestern(Day("2006-03-10")), "2006年03月10日");
    EXPECT_EQ(FormatStartDateEra(Day("2006-03-10")), "平成18年03月10日");
    EXPECT_EQ(FormatStartDateEra(Day("2019-05-01")), "令和01年05月01日");
    EXPECT_EQ(FormatStartDate(Day("2006-03-10"), true), "2006年03月10日");
    EXPECT_EQ(FormatStartDate(Day("2006-03-10"), false), "平成18年03月10日");
    EXPECT_EQ(FormatMessageDate(Day("2006-03-10")), "2006年3月10日");
    EXPECT_EQ(FormatMessageDate(Day("2006-12-01")), "2006年12月1日");
    EXPECT_EQ(FormatIsoDate(Day("2006-03-01")), "2006-03-01");
}

}  // namespace
}  // namespace korvalen::engine
