#include "korvalen/wizard/date_digits.h"

#include <gtest/gtest.h>

#include <ostream>

#include <optional>
#include <string>

namespace korvalen::wizard {
namespace {

using engine::DayNumberFromCivil;

TEST(JapaneseEras, FromMeijiWithTheirLettersAndFirstDays) {
    const auto& eras = JapaneseEras();
    ASSERT_GE(eras.size(), 5u);
    const char* names[] = {"明治", "大正", "昭和", "平成", "令和"};
    const char letters[] = {'M', 'T', 'S', 'H', 'R'};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(eras[i].name, names[i]);
        EXPECT_EQ(eras[i].letter, letters[i]);
    }
    EXPECT_EQ(eras[1].firstDay, DayNumberFromCivil(1912, 7, 30));
    EXPECT_EQ(eras[2].firstDay, DayNumberFromCivil(1926, 12, 25));
    EXPECT_EQ(eras[2].lastDay, DayNumberFromCivil(1989, 1, 7));
    EXPECT_EQ(eras[3].firstDay, DayNumberFromCivil(1989, 1, 8));
    EXPECT_EQ(eras[4].firstDay, DayNumberFromCivil(2019, 5, 1));
    EXPECT_EQ(EraIndexOf(DayNumberFromCivil(1989, 1, 7)), 2u);
    EXPECT_EQ(EraIndexOf(DayNumberFromCivil(1989, 1, 8)), 3u);
}

struct DigitsCase {
    const char* name;
    int era;  // index into JapaneseEras(); -1 for Western digits
    const char* digits;
    std::optional<engine::CivilDate> date;
    const char* problem;
};
void PrintTo(const DigitsCase& c, std::ostream* os) { *os << c.name; }

class DateDigits : public ::testing::TestWithParam<DigitsCase> {};

TEST_P(DateDigits, ReadAsADayOrRefusedWithTheReason) {
    const DigitsCase& c = GetParam();
    const DateReading reading =
        c.era < 0 ? ReadWesternDigits(c.digits) : ReadEraDigits(JapaneseEras()[c.era], c.digits);
    if (c.date) {
        ASSERT_TRUE(reading.day.has_value()) << reading.problem;
        EXPECT_EQ(*reading.day, DayNumberFromCivil(c.date->year, c.date->month, c.date->day));
        EXPECT_EQ(reading.problem, "");
    } else {
        EXPECT_FALSE(reading.day.has_value());
        EXPECT_EQ(reading.problem, c.problem);
    }
}

const char* const kRange = "1900年1月1日から2099年12月31日までの日付を入力して下さい。";

const DigitsCase kDigitsCases[] = {
    {"Western", -1, "19700207", engine::CivilDate{1970, 2, 7}, nullptr},
    {"WesternLeapDay", -1, "20000229", engine::CivilDate{2000, 2, 29}, nullptr},
    {"WesternNoLeapDay", -1, "19000229", std::nullopt, "1900年2月29日は存在しない日付です。"},
    {"WesternMonth13", -1, "19701301", std::nullopt, "1970年13月1日は存在しない日付です。"},
    {"WesternShort", -1, "1970027", std::nullopt, "年月日を西暦の8桁で入力して下さい。\r\n（例　19700207）"},
    {"WesternNotDigits", -1, "1970-2-7", std::nullopt, "年月日を西暦の8桁で入力して下さい。\r\n（例　19700207）"},
    {"WesternBeforeTheYears", -1, "18991231", std::nullopt, kRange},
    {"WesternAfterTheYears", -1, "21000101", std::nullopt, kRange},
    {"Showa", 2, "450207", engine::CivilDate{1970, 2, 7}, nullptr},
    {"ShowaLastDay", 2, "640107", engine::CivilDate{1989, 1, 7}, nullptr},
    {"ShowaAfterItsEnd", 2, "640108", std::nullopt,
     "昭和64年1月8日は存在しない日付です。\r\n昭和は1926年12月25日から1989年1月7日までです。"},
    {"HeiseiFirstDay", 3, "010108", engine::CivilDate{1989, 1, 8}, nullptr},
    {"HeiseiBeforeItsStart", 3, "010107", std::nullopt,
     "平成1年1月7日は存在しない日付です。\r\n平成は1989年1月8日から2019年4月30日までです。"},
    {"ReiwaBeforeItsStart", 4, "010430", std::nullopt,
     "令和1年4月30日は存在しない日付です。\r\n令和は2019年5月1日からです。"},
    {"ReiwaFirstDay", 4, "010501", engine::CivilDate{2019, 5, 1}, nullptr},
    {"YearZero", 2, "000101", std::nullopt, "昭和0年1月1日は存在しない日付です。"},
    {"EraNoLeapDay", 3, "050229", std::nullopt, "平成5年2月29日は存在しない日付です。"},
    {"MeijiInTheYears", 0, "330101", engine::CivilDate{1900, 1, 1}, nullptr},
    {"MeijiBeforeTheYears", 0, "321231", std::nullopt, kRange},
    {"EraShort", 2, "45027", std::nullopt, "年月日を和暦の6桁で入力して下さい。\r\n（例　450207）"},
};

INSTANTIATE_TEST_SUITE_P(Cases, DateDigits, ::testing::ValuesIn(kDigitsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DateDigits, TextFormsOfADay) {
    const auto day = DayNumberFromCivil(1970, 2, 7);
    EXPECT_EQ(DateDigitsOf(day), "19700207");
    EXPECT_EQ(EraDigitsOf(day), "450207");
    EXPECT_EQ(EraDigitsOf(DayNumberFromCivil(2019, 5, 1)), "010501");
    EXPECT_EQ(MonthDigitsOf(2024, 5), "202405");
    EXPECT_EQ(LongFormsOf(day, true), "1970年02月07日（昭和45年02月07日）");
    EXPECT_EQ(LongFormsOf(day, false), "昭和45年02月07日（1970年02月07日）");
    EXPECT_EQ(DayOfDateDigits("19700207"), day);
    EXPECT_EQ(DayOfDateDigits("19700231"), std::nullopt);
    EXPECT_EQ(DayOfDateDigits(""), std::nullopt);
}

}  // namespace
}  // namespace korvalen::wizard
