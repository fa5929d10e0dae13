#include <gtest/gtest.h>

#include <streambuf>
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

CaseRecord Settings(double contractRate, bool inputOrder = false, const char* startDay = nullptr) {
    CaseRecord c;
    c.RIRITSU = contractRate;
    c.CHECKBOX = inputOrder ? 1 : 0;
    c.START_DAY = startDay ? Day(startDay) : 0;
    return c;
}

HistoryList Read(std::string_view csv, const CaseRecord& c = Settings(20)) { return ReadHistoryCsv(csv, c).entries; }

// The refusal of `csv`: its line and its message.
HistoryCsvError Refusal(std::string_view csv, const CaseRecord& c = Settings(20)) {
    try {
        ReadHistoryCsv(csv, c);
    } catch (const HistoryCsvError& e) {
        return e;
    }
    ADD_FAILURE() << "accepted: " << csv.substr(0, 80);
    return HistoryCsvError(-1, "");
}

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
        "05/03/10, , \"20,000\",\r\n";
    ExpectEntries(Read(csv, Settings(29.2)), {{"2005-01-10", 0, 300000, 0, 292000},
                                              {"2005-02-10", 1, 0, 20000, 273750},
                                              {"2005-03-10", 2, 0, 20000, 273750}});
}

TEST(HistoryCsv, EveryLineBreakEndsALineAndIsCountedOnce) {
    // LF, CR LF and a lone CR, mixed: the bad fourth line is named as such.
    const std::string csv = "2005-01-10,1000,0\r\n2005-02-10,0,100\r2005-03-10,0,100\n2005-04-31,0,100\r";
    const HistoryCsvError e = Refusal(csv);
    EXPECT_EQ(e.line(), 4);
    EXPECT_NE(std::string(e.what()).find("2005-04-31"), std::string::npos) << e.what();
    EXPECT_EQ(Read("2005-01-10,1000,0\r2005-02-10,0,100\r\r\n2005-03-10,0,100").size(), 3u);
}

TEST(HistoryCsv, SortsLikeTheGridAndWarnsOfEachDateBeforeTheLineAbove) {
    const std::string csv =
        "2005-02-10,0,5000\n"
        "2005-02-10,30000,0\n"
        "\n"
        "2005-01-10,50000,0\n"
        "2005-03-10,0,1000\n"
        "2005-03-01,0,1000\n";
    const HistoryCsv read = ReadHistoryCsv(csv, Settings(20));
    ExpectEntries(read.entries, {{"2005-01-10", 2, 50000, 0, 200000},
                                 {"2005-02-10", 1, 30000, 0, 200000},
                                 {"2005-02-10", 0, 0, 5000, 200000},
                                 {"2005-03-01", 4, 0, 1000, 200000},
                                 {"2005-03-10", 3, 0, 1000, 200000}});
    // The same day is no warning; the file's line numbers, blank lines counted.
    ASSERT_EQ(read.warnings.size(), 2u);
    EXPECT_EQ(read.warnings[0].line, 4);
    EXPECT_EQ(read.warnings[0].message.rfind("日付が前の行より前です（前の行は 2005-02-10）", 0), 0u)
        << read.warnings[0].message;
    EXPECT_EQ(read.warnings[1].line, 6);
    ExpectEntries(Read(csv, Settings(20, true)), {{"2005-01-10", 2, 50000, 0, 200000},
                                                  {"2005-02-10", 0, 0, 5000, 200000},
                                                  {"2005-02-10", 1, 30000, 0, 200000},
                                                  {"2005-03-01", 4, 0, 1000, 200000},
                                                  {"2005-03-10", 3, 0, 1000, 200000}});
}

TEST(HistoryCsv, DetectsUtf8BomAndShiftJis) {
    const std::string heading = "年月日,借入,返済\n";
    const std::string body = "2005-01-10,1000,0\n";
    EXPECT_EQ(Read("\xEF\xBB\xBF" + heading + body).size(), 1u);
    // 年月日,借入,返済 in code page 932.
    const std::string sjisHeading = "\x94\x4e\x8c\x8e\x93\xfa,\x8e\xd8\x93\xfc,\x95\xd4\x8d\xcf\n";
    EXPECT_EQ(Read(sjisHeading + body).size(), 1u);
    // A lone lead byte is neither UTF-8 nor Shift-JIS; behind a byte-order
    // mark it is broken UTF-8, never read some other way. Either way the line
    // named is the one that holds it, not the UTF-8 heading that Shift-JIS
    // cannot read.
    for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
        const HistoryCsvError e = Refusal(prefix + heading + body + "2005-02-10,1000,\x81\n");
        EXPECT_EQ(e.line(), 3);
        EXPECT_NE(std::string(e.what()).find("UTF-8"), std::string::npos) << e.what();
    }
}

TEST(HistoryCsv, AFirstLineIsAHeadingOnlyWhenNeitherItsDateNorItsAmountsRead) {
    enum Outcome { Heading, Entry, RefusedOnLine1 };
    struct Case {
        const char* first;
        Outcome outcome;
    };
    const Case cases[] = {
        {"年月日,借入,返済", Heading},
        {"date,borrowing,repayment", Heading},
        {"日付,借入,", Heading},
        {"2005-01-10,1000,0", Entry},
        // Amounts that read as numbers make it an entry, whose date must read.
        {"H17.1.10,1000,0", RefusedOnLine1},
        {"10 Feb 2005,1000,0", RefusedOnLine1},
        {"日付,,5000", RefusedOnLine1},
        {"日付,1.5,0", RefusedOnLine1},
        // A date-shaped first field makes it an entry whatever its amounts.
        {"2005-01-10,借入,返済", RefusedOnLine1},
        {"2005-02-30,借入,返済", RefusedOnLine1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        const std::string csv = std::string(c.first) + "\n2005-01-20,1000,0\n";
        switch (c.outcome) {
            case Heading: EXPECT_EQ(Read(csv).size(), 1u); break;
            case Entry: EXPECT_EQ(Read(csv).size(), 2u); break;
            case RefusedOnLine1: EXPECT_EQ(Refusal(csv).line(), 1); break;
        }
    }
    // Blank lines before it do not make a heading of the first entry.
    EXPECT_EQ(Refusal("\n \n10 Feb 2005,1000,0\n").line(), 3);
    // A heading further down is bad input.
    EXPECT_EQ(Refusal("2005-01-10,1,0\n年月日,借入,返済\n").line(), 2);
}

TEST(HistoryCsv, BadLinesNameTheLineAndTheProblem) {
    struct Case {
        const char* line;
        const char* problem;
    };
    const Case cases[] = {
        {"2005-02-30,1000,0,", "日付「2005-02-30」が読めません"},
        {"2005-13-01,1000,0,", "日付「2005-13-01」が読めません"},
        {"1872-12-31,1000,0,", "日付「1872-12-31」は扱えない日付です"},
        {"2100-01-01,1000,0,", "日付「2100-01-01」は扱えない日付です"},
        {"2005-02-10,-5000,0,", "借入額「-5000」が負の値です"},
        {"2005-02-10,0,abc,", "返済額「abc」が数値ではありません"},
        {"2005-02-10,0,\"1,00\",", "返済額「1,00」が数値ではありません"},
        {"2005-02-10,2147483648,0,", "借入額「2147483648」が大きすぎます"},
        {"2005-02-10,1000,0,abc", "利率「abc」が数値ではありません"},
        {"2005-02-10,1000,0,-18", "利率「-18」が負の値です"},
        {"2005-02-10,1000,0,1000", "利率「1000」が大きすぎます"},
        // Printed to three decimals this would be 1000.000.
        {"2005-02-10,1000,0,999.9995", "利率「999.9995」が大きすぎます"},
        {"2005-02-10,\"1000,0,", "引用符"},
        // Every line has as many fields as the first.
        {"2005-02-10,1000,0", "項目が 3 つしかありません（1 行目は 4 つ）"},
        {"2005-02-10,1000,0,,", "項目が 5 つあります（1 行目は 4 つ）"},
        // Where the count cannot tell, a split amount is still refused.
        {"2005-02-10,0,13,000", "「13,000」は引用符のない3桁区切りの金額に見えます"},
        {"2005-02-10, 1,000 ,0", "「1,000」は引用符のない3桁区切りの金額に見えます"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const HistoryCsvError e = Refusal(std::string("年月日,借入,返済,利率\n2005-01-10,1000,0,\n") + c.line + "\n");
        EXPECT_EQ(e.line(), 3);
        EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
    }
    // The edges that are still read, and separate figures written in quotes.
    ExpectEntries(Read("1873-01-01,1,0,999.9994\n2099-12-31,\"300\",\"500\",\n"),
                  {{"1873-01-01", 0, 1, 0, 9999994}, {"2099-12-31", 1, 300, 500, 9999994}});
}

TEST(HistoryCsv, TheFirstLineSetsTheFieldCount) {
    struct Case {
        const char* csv;
        int line;
        const char* problem;
    };
    const Case cases[] = {
        {"2005-01-10,1000,0\n2005-02-10,0,13,000\n", 2, "項目が 4 つあります（1 行目は 3 つ）"},
        {"年月日,借入,返済\n2005-01-10,1000,0,18\n", 2, "項目が 4 つあります（1 行目は 3 つ）"},
        {"年月日,借入,返済,利率,備考\n2005-01-10,1000,0,18,\n", 1, "見出しの項目が 5 つ"},
        {"履歴\n2005-01-10,1000,0\n", 1, "見出しの項目が 1 つ"},
        {"2005-01-10,1000\n", 1, "項目が足りません"},
        {"2005-01-10,1,000,2,000\n", 1, "項目が多すぎます"},
        {"", 0, "取引が一つもありません"},
        {"\xEF\xBB\xBF年月日,借入,返済\r\n\r\n", 0, "取引が一つもありません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csv);
        const HistoryCsvError e = Refusal(c.csv);
        EXPECT_EQ(e.line(), c.line);
        EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
    }
}

TEST(HistoryCsv, DatesBeforeTheStartDateAreRefused) {
    const std::string csv = "2005-01-10,1000,0\n2004-12-31,0,500\n";
    EXPECT_EQ(Read(csv, Settings(0, false, "2004-12-31")).size(), 2u);
    const HistoryCsvError e = Refusal(csv, Settings(0, false, "2005-01-01"));
    EXPECT_EQ(e.line(), 2);
    EXPECT_NE(std::string(e.what()).find("計算開始日（2005年1月1日）より前"), std::string::npos) << e.what();
}

std::string Lines(std::size_t count, const std::string& line) {
    std::string text;
    text.reserve(count * line.size());
    for (std::size_t i = 0; i < count; ++i) text += line;
    return text;
}

TEST(HistoryCsv, AFileHoldsAtMostOneCase) {
    const std::string entry = "2005-01-10,1,0\n";
    const std::string full = "年月日,借入,返済\n" + Lines(kMaxCaseEntries, entry);
    EXPECT_EQ(Read(full).size(), kMaxCaseEntries);
    const HistoryCsvError tooMany = Refusal(full + "\n" + entry);
    EXPECT_EQ(tooMany.line(), static_cast<int>(kMaxCaseEntries) + 3);
    EXPECT_NE(std::string(tooMany.what()).find("32,768 件まで"), std::string::npos) << tooMany.what();

    const HistoryCsvError tooLong = Refusal(entry + std::string(kMaxHistoryLineBytes + 1, ' ') + "x\n");
    EXPECT_EQ(tooLong.line(), 2);
    EXPECT_NE(std::string(tooLong.what()).find("行が長すぎます"), std::string::npos) << tooLong.what();
    // The longest line is still read.
    const std::string padded = "2005-01-10,1,0" + std::string(kMaxHistoryLineBytes - 14, ' ') + "\n";
    EXPECT_EQ(Read(padded).size(), 1u);

    // A problem on an earlier line is reported before the bound that stopped
    // the reading.
    EXPECT_EQ(Refusal(entry + "2005-02-30,1,0\n" + std::string(10000, 'x')).line(), 2);
}

// An input that never ends, counting what was taken from it.
class EndlessInput : public std::streambuf {
public:
    explicit EndlessInput(std::string pattern) : pattern_(Lines(4096 / pattern.size() + 1, pattern)) {}
    std::size_t taken() const { return taken_; }

protected:
    int_type underflow() override {
        taken_ += pattern_.size();
        setg(pattern_.data(), pattern_.data(), pattern_.data() + pattern_.size());
        return traits_type::to_int_type(pattern_[0]);
    }

private:
    std::string pattern_;
    std::size_t taken_ = 0;
};

TEST(HistoryCsv, AnEndlessInputIsRefusedAfterABoundedRead) {
    struct Case {
        const char* pattern;
        const char* problem;
    };
    const Case cases[] = {
        {"2005-01-10,1,0\n", "取引が多すぎます"},
        {"\r\n", "ファイルが大きすぎます"},
        {"x", "行が長すぎます"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EndlessInput endless(c.pattern);
        std::istream in(&endless);
        try {
            ReadHistoryCsv(in, Settings(20));
            ADD_FAILURE() << "accepted";
        } catch (const HistoryCsvError& e) {
            EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
        }
        EXPECT_LE(endless.taken(), kMaxHistoryFileBytes + 128 * 1024);
    }
}

TEST(HistoryCsv, WrittenTextReadsBackToTheSameEntries) {
    const auto list = fixtures::MakeHistory({{"2005-01-10", 300000, 0, 29.2},
                                             {"2005-01-10", 0, 1000, 29.2},
                                             {"2005-02-10", 0, 20000, 18.0001},
                                             // Side by side these look like one amount split at its separator.
                                             {"2005-03-10", 300, 500, 109.5},
                                             {"2005-04-10", 7, 500, 100},
                                             {"1999-12-31", 2147483647, 2147483647, 999.999}});
    auto sorted = CopyHistory(list);
    SortHistory(sorted, 0);
    const auto back = Read(WriteHistoryCsv(sorted), Settings(99));
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
