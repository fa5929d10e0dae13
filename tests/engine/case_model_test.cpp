#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "history_fixture.h"
#include "korvalen/engine/case_model.h"
#include "korvalen/engine/errors.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

using fixtures::Day;
using fixtures::MakeHistory;

TEST(FixedPoint, RatesRoundToNearestNotDown) {
    // 29.2 is 29.19999… as a double: cutting would lose a unit.
    EXPECT_EQ(RateToFixed(29.2), 292000);
    EXPECT_EQ(RateToFixed(18.0), 180000);
    EXPECT_EQ(RateToFixed(0.00004), 0);
    EXPECT_EQ(RateToFixed(0.00006), 1);
    EXPECT_EQ(RateToFixed(-29.2), -292000);
    EXPECT_DOUBLE_EQ(FixedToPercent(292000), 29.2);
    EXPECT_THROW(RateToFixed(1e300), ConversionError);
    EXPECT_THROW(RateToFixed(std::numeric_limits<double>::infinity()), ConversionError);
}

TEST(FixedPoint, RoundAndTruncToYen) {
    struct Case {
        Money value;
        std::int64_t rounded;
        std::int64_t truncated;
    };
    for (const Case& c : {Case{25000, 3, 2}, Case{-25000, -3, -2}, Case{24999, 2, 2}, Case{-24999, -2, -2},
                          Case{0, 0, 0}, Case{10000, 1, 1}, Case{-5000, -1, 0}}) {
        EXPECT_EQ(RoundYen(c.value), c.rounded) << c.value;
        EXPECT_EQ(TruncYen(c.value), c.truncated) << c.value;
    }
}

TEST(FixedPoint, LimitRateBoundaries) {
    struct Case {
        std::int64_t yen;
        FixedRate rate;
    };
    for (const Case& c : {Case{0, 200000}, Case{99999, 200000}, Case{100000, 180000}, Case{999999, 180000},
                          Case{1000000, 150000}, Case{2147483647, 150000}, Case{-8384, 200000}}) {
        EXPECT_EQ(LimitRateFor(c.yen), c.rate) << c.yen;
    }
}

TEST(FixedPoint, DayCountIsWholeDaysTimesTenThousand) {
    EXPECT_EQ(DayCountFixed(Day("2005-01-10"), Day("2005-02-10")), 310000);
    EXPECT_EQ(DayCountFixed(Day("2005-02-10"), Day("2005-01-10")), -310000);
    // A fraction of a day, which no date of this system has, still rounds
    // to the nearest ten-thousandth.
    EXPECT_EQ(DayCountFixed(0.0, 0.00006103515625), 1);  // 0.61 ten-thousandths
    EXPECT_EQ(DayCountFixed(0.5, 1.0), 5000);
    EXPECT_EQ(DayCountFixed(1.0e16, 1.0e16 + 2.0), 20000);
}

TEST(GridCells, AmountKeepsDigitsOnly) {
    struct Case {
        const char* text;
        std::int32_t yen;
    };
    for (const Case& c : {Case{"1,234,567", 1234567}, Case{"-5,000", 5000}, Case{"abc", 0}, Case{"", 0},
                          Case{"￥ 12 000円", 12000}, Case{"2,147,483,647", 2147483647}, Case{"000000000000042", 42}}) {
        EXPECT_EQ(ParseAmountText(c.text), c.yen) << c.text;
    }
}

TEST(GridCells, AmountBeyondThirtyTwoBitsIsAConversionError) {
    for (const char* text : {"2,147,483,648", "99999999999", "12345678901234567890123"}) {
        EXPECT_THROW(ParseAmountText(text), ConversionError) << text;
    }
}

TEST(GridCells, RateKeepsDigitsAndFirstPoint) {
    struct Case {
        const char* text;
        double percent;
    };
    for (const Case& c : {Case{"29.200%", 29.2}, Case{"18.5.3%", 18.53}, Case{"%", 0}, Case{"", 0}, Case{"-20", 20},
                          Case{".5", 0.5}, Case{"15.", 15}}) {
        EXPECT_DOUBLE_EQ(ParseRateText(c.text), c.percent) << c.text;
    }
}

TEST(GridCells, GridDateCentury) {
    struct Case {
        const char* text;
        int year, month, day;
    };
    for (const Case& c : {Case{"49/12/31", 2049, 12, 31}, Case{"50/01/01", 1950, 1, 1}, Case{"06/03/10", 2006, 3, 10},
                          Case{"04/02/29", 2004, 2, 29}}) {
        const auto day = ParseGridDate(c.text);
        ASSERT_TRUE(day) << c.text;
        EXPECT_EQ(*day, DayNumberFromCivil(c.year, c.month, c.day)) << c.text;
    }
    for (const char* bad : {"  /  /  ", "06/13/01", "05/02/29", "06/00/10", "06/03/32", "060310", "06-03-10", ""}) {
        EXPECT_FALSE(ParseGridDate(bad)) << bad;
    }
}

TEST(Dates, DayNumberEpochAndRoundTrip) {
    EXPECT_EQ(DayNumberFromCivil(1899, 12, 30), 0);
    EXPECT_EQ(DayNumberFromCivil(1900, 3, 1), 61);
    EXPECT_EQ(DayNumberFromCivil(2006, 3, 10), 38786);
    // Every day of the years 1 to 9999 is a valid date that leads back to
    // its day, and the days around them too.
    int wrong = 0;
    for (DayNumber day = -694000; day <= 2959000 && wrong < 5; ++day) {
        const CivilDate c = CivilFromDayNumber(day);
        const bool valid = c.month >= 1 && c.month <= 12 && c.day >= 1 && c.day <= DaysInMonth(c.year, c.month);
        if (!valid || DayNumberFromCivil(c.year, c.month, c.day) != day) {
            ADD_FAILURE() << "day " << day << " became " << c.year << "-" << c.month << "-" << c.day;
            ++wrong;
        }
    }
    // Far outside that range, and a stray fraction.
    for (DayNumber day : {-5.0e8, -2.0e7, 1.5e9, 5.0e11}) {
        const CivilDate c = CivilFromDayNumber(day);
        EXPECT_EQ(DayNumberFromCivil(c.year, c.month, c.day), day) << day;
    }
    EXPECT_EQ(CivilFromDayNumber(38786.5).day, 10);
    EXPECT_EQ(CivilFromDayNumber(-0.5).day, 29);
    EXPECT_EQ(LeapDayOf(2004), DayNumberFromCivil(2004, 2, 29));
    EXPECT_EQ(LeapDayOf(2003), DayNumberFromCivil(2003, 2, 28));
}

// Entries of one day, typed in the order given; returns the orders after sorting.
std::vector<std::int32_t> SortedOrders(HistoryList list, std::int32_t checkbox) {
    SortHistory(list, checkbox);
    std::vector<std::int32_t> orders;
    for (const auto& e : list) orders.push_back(e->order);
    return orders;
}

TEST(Ordering, BorrowingFirstOnTheSameDay) {
    // A repayment typed before a borrowing of the same day goes after it.
    EXPECT_EQ(SortedOrders(MakeHistory({{"2005-01-10", 0, 5000}, {"2005-01-10", 30000, 0}}), 0),
              (std::vector<std::int32_t>{1, 0}));
    // Two borrowings of one day keep their input order whatever their size.
    EXPECT_EQ(SortedOrders(MakeHistory({{"2005-01-10", 1000, 0}, {"2005-01-10", 90000, 0}}), 0),
              (std::vector<std::int32_t>{0, 1}));
    // Different days go by date whatever the borrowings.
    EXPECT_EQ(SortedOrders(MakeHistory({{"2005-02-10", 90000, 0}, {"2005-01-10", 0, 100}}), 0),
              (std::vector<std::int32_t>{1, 0}));
    // Repayments only: input order.
    EXPECT_EQ(SortedOrders(MakeHistory({{"2005-01-10", 0, 5000}, {"2005-01-10", 0, 9000}}), 0),
              (std::vector<std::int32_t>{0, 1}));
}

TEST(Ordering, InputOrderOnTheSameDay) {
    EXPECT_EQ(SortedOrders(MakeHistory({{"2005-01-10", 0, 5000}, {"2005-01-10", 30000, 0}, {"2005-01-09", 0, 1}}), 1),
              (std::vector<std::int32_t>{2, 0, 1}));
}

TEST(Ordering, ComparisonsAreThreeWay) {
    const auto list = MakeHistory({{"2005-01-10", 0, 5000}, {"2005-01-10", 30000, 0}});
    EXPECT_EQ(CompareEntriesBorrowingFirst(*list[0], *list[1]), 1);
    EXPECT_EQ(CompareEntriesBorrowingFirst(*list[1], *list[0]), -1);
    EXPECT_EQ(CompareEntriesBorrowingFirst(*list[0], *list[0]), 0);
    EXPECT_EQ(CompareEntriesInputOrder(*list[0], *list[1]), -1);
}

TEST(Ordering, RecalculationCopyIsIndependent) {
    const auto list = MakeHistory({{"2005-01-10", 300000, 0}, {"2005-02-10", 0, 20000}});
    auto copy = CopyHistory(list);
    ASSERT_EQ(copy.size(), 2u);
    EXPECT_NE(copy[0].get(), list[0].get());
    copy[0]->rate = 180000;
    EXPECT_EQ(list[0]->rate, 292000);
    EXPECT_EQ(copy[1]->date, list[1]->date);
    EXPECT_EQ(copy[1]->repayment, 20000);
}

}  // namespace
}  // namespace korvalen::engine
