#include <gtest/gtest.h>

#include <string>

#include "history_fixture.h"
#include "korvalen/engine/history_csv.h"

namespace korvalen::engine {
namespace {

using fixtures::Day;

struct Expected {
    const char* date;
    std::int32_t order, borrowing, repayment;
    FixedRate rate;
};

void ExpectEntries(const HistoryList& list, const std::vector<Expected>& expected) {
    ASSERT_EQ(list.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(list[i]->date, Day(expected[i].date));
        EXPECT_EQ(list[i]->order, expected[i].order);
        EXPECT_EQ(list[i]->borrowing, expected[i].borrowing);
        EXPECT_EQ(list[i]->repayment, expected[i].repayment);
        EXPECT_EQ(list[i]->rate, expected[i].rate);
    }
}

TEST(HistoryCsv, ReadsEveryDateFormAmountFormAndCarriesRates) {
    const std::string csv =
        "年月日,借入,返済,利率\r\n"
        "2005-01-10,\"300,000\",,\r\n"
        "2005/2/10,0,20000,27.375%\r\n"
        "\r\n"
        "05/03/10, , \"20,000\"\r\n";
    ExpectEntries(ReadHistoryCsv(csv, 29.2, false), {{"2005-01-10", 0, 300000, 0, 292000},
                                                     {"2005-02-10", 1, 0, 20000, 273750},
                                                     {"2005-03-10", 2, 0, 20000, 273750}});
}

TEST(HistoryCsv, SortsLikeTheGrid) {
    const std::string csv =
        "2005-02-10,0,5000\n"
        "2005-02-10,30000,0\n"
        "2005-01-10,50000,0\n";
    ExpectEntries(
        ReadHistoryCsv(csv, 20, false),
        {{"2005-01-10", 2, 50000, 0, 200000}, {"2005-02-10", 1, 30000, 0, 200000}, {"2005-02-10", 0, 0, 5000, 200000}});
    ExpectEntries(
        ReadHistoryCsv(csv, 20, true),
        {{"2005-01-10", 2, 50000, 0, 200000}, {"2005-02-10", 0, 0, 5000, 200000}, {"2005-02-10", 1, 30000, 0, 200000}});
}

TEST(HistoryCsv, DetectsUtf8BomAndShiftJis) {
    const std::string heading = "年月日,借入,返済\n";
    const std::string body = "2005-01-10,1000,0\n";
    EXPECT_EQ(ReadHistoryCsv("\xEF\xBB\xBF" + heading + body, 0, false).size(), 1u);
    // 年月日,借入,返済 in code page 932.
    const std::string sjisHeading = "\x94\x4e\x8c\x8e\x93\xfa,\x8e\xd8\x93\xfc,\x95\xd4\x8d\xcf\n";
    EXPECT_EQ(ReadHistoryCsv(sjisHeading + body, 0, false).size(), 1u);
    // A lone lead byte is neither UTF-8 nor Shift-JIS; behind a byte-order
    // mark it is broken UTF-8, never read some other way.
    for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
        try {
            ReadHistoryCsv(prefix + body + "2005-02-10,1000,0,\x81\n", 0, false);
            FAIL() << "undecodable byte accepted";
        } catch (const HistoryCsvError& e) {
            EXPECT_EQ(e.line(), 2);
            EXPECT_NE(std::string(e.what()).find("UTF-8"), std::string::npos) << e.what();
        }
    }
}

TEST(HistoryCsv, BadLinesNameTheLineAndTheProblem) {
    struct Case {
        const char* line;
        const char* problem;
    };
    const Case cases[] = {
        {"2005-02-30,1000,0", "日付「2005-02-30」が読めません"},
        {"2005-13-01,1000,0", "日付「2005-13-01」が読めません"},
        {"10 Feb 2005,1000,0", "日付「10 Feb 2005」が読めません"},
        {"2005-02-10,-5000,0", "借入額「-5000」が負の値です"},
        {"2005-02-10,0,abc", "返済額「abc」が数値ではありません"},
        {"2005-02-10,0,\"1,00\"", "返済額「1,00」が数値ではありません"},
        {"2005-02-10,2147483648,0", "借入額「2147483648」が大きすぎます"},
        {"2005-02-10,1000", "項目が足りません"},
        {"2005-02-10,1,000,2,000", "項目が多すぎます"},
        {"2005-02-10,1000,0,abc", "利率「abc」が数値ではありません"},
        {"2005-02-10,1000,0,-18", "利率「-18」が負の値です"},
        {"2005-02-10,1000,0,1000", "利率「1000」が大きすぎます"},
        {"2005-02-10,\"1000,0", "引用符"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        try {
            ReadHistoryCsv(std::string("年月日,借入,返済\n2005-01-10,1000,0\n") + c.line + "\n", 0, false);
            ADD_FAILURE() << "accepted";
        } catch (const HistoryCsvError& e) {
            EXPECT_EQ(e.line(), 3);
            EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
        }
    }
}

TEST(HistoryCsv, OnlyAFirstLineThatIsNoDateIsAHeading) {
    EXPECT_EQ(ReadHistoryCsv("date,borrowing,repayment\n2005-01-10,1,0\n", 0, false).size(), 1u);
    // A mistyped first date is bad input, not a heading to drop silently.
    EXPECT_THROW(ReadHistoryCsv("2005-02-30,1,0\n2005-03-10,1,0\n", 0, false), HistoryCsvError);
    // A heading further down is bad input.
    EXPECT_THROW(ReadHistoryCsv("2005-01-10,1,0\n年月日,借入,返済\n", 0, false), HistoryCsvError);
    EXPECT_TRUE(ReadHistoryCsv("", 0, false).empty());
}

TEST(HistoryCsv, DatesBeforeTheStartDateAreRefused) {
    const std::string csv = "2005-01-10,1000,0\n2004-12-31,0,500\n";
    EXPECT_EQ(ReadHistoryCsv(csv, 0, false, Day("2004-12-31")).size(), 2u);
    try {
        ReadHistoryCsv(csv, 0, false, Day("2005-01-01"));
        FAIL() << "accepted";
    } catch (const HistoryCsvError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_NE(std::string(e.what()).find("計算開始日（2005年1月1日）より前"), std::string::npos) << e.what();
    }
}

TEST(HistoryCsv, WrittenTextReadsBackToTheSameEntries) {
    const auto list = fixtures::MakeHistory({{"2005-01-10", 300000, 0, 29.2},
                                             {"2005-01-10", 0, 1000, 29.2},
                                             {"2005-02-10", 0, 20000, 18.0001},
                                             {"1999-12-31", 2147483647, 2147483647, 0}});
    auto sorted = CopyHistory(list);
    SortHistory(sorted, 0);
    const auto back = ReadHistoryCsv(WriteHistoryCsv(sorted), 99, false);
    ASSERT_EQ(back.size(), sorted.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i]->date, sorted[i]->date);
        EXPECT_EQ(back[i]->order, static_cast<std::int32_t>(i));
        EXPECT_EQ(back[i]->borrowing, sorted[i]->borrowing);
        EXPECT_EQ(back[i]->repayment, sorted[i]->repayment);
        EXPECT_EQ(back[i]->rate, sorted[i]->rate);
    }
}

}  // namespace
}  // namespace korvalen::engine
