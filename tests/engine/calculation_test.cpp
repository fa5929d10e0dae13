#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history_fixture.h"
#include "korvalen/engine/calculation.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {
namespace {

using fixtures::Day;
using fixtures::EntryRow;
using fixtures::MakeHistory;

// The cells of one entry's row that carry figures, as the table shows them.
struct RowText {
    std::string rate, interest, principal, balance, unpaid, overpaymentInterest, unpaidOverpayment;
    bool operator==(const RowText&) const = default;
};

std::ostream& operator<<(std::ostream& os, const RowText& r) {
    return os << "{" << r.rate << " | " << r.interest << " | " << r.principal << " | " << r.balance << " | " << r.unpaid
              << " | " << r.overpaymentInterest << " | " << r.unpaidOverpayment << "}";
}

RowText RowOf(const ResultTable& table, int row) {
    const bool recalc = table.kind() == CalculationKind::Recalculation;
    auto text = [&](int column) { return std::string(table.cell(row, column)); };
    return RowText{text(kColRate),
                   text(kColInterest),
                   text(kColPrincipalRepaid),
                   text(kColBalance),
                   text(kColUnpaidInterest),
                   recalc ? text(kColOverpaymentInterest) : "",
                   recalc ? text(kColUnpaidOverpaymentInterest) : ""};
}

// Day-count method 0, contract rate 29.2 %, no start date, no first-day interest.
CaseRecord BaseCase() {
    CaseRecord c;
    c.RIRITSU = 29.2;
    c.SYONITI_UMU = false;
    return c;
}

CaseRecord With(CaseRecord c, auto change) {
    change(c);
    return c;
}

const std::vector<EntryRow> kThreeEntries = {
    {"2005-01-10", 300000, 0}, {"2005-02-10", 0, 20000}, {"2005-03-10", 0, 20000}};
const std::vector<EntryRow> kOverpaid = {
    {"2005-01-10", 50000, 0}, {"2005-03-10", 0, 60000}, {"2005-06-10", 30000, 0}, {"2005-07-10", 0, 10000}};

// A loan at 29.2 % whose contract was cut to 15 % for two periods.
const std::vector<EntryRow> kPassingCut = {{"2005-01-10", 300000, 0, 29.2},
                                           {"2005-02-10", 0, 20000, 29.2},
                                           {"2005-03-10", 0, 20000, 15},
                                           {"2005-04-10", 0, 20000, 15},
                                           {"2005-05-10", 0, 20000, 29.2}};

CaseRecord OverpaidCase(int seisanKind, bool firstDay) {
    return With(BaseCase(), [&](CaseRecord& c) {
        c.KABARAI_RIRITSU = 5;
        c.SEISAN_KIND = seisanKind;
        c.SYONITI_UMU = firstDay;
    });
}

struct Scenario {
    const char* name;
    CalculationKind kind;
    CaseRecord settings;
    std::vector<EntryRow> history;
    std::vector<RowText> rows;
};

constexpr auto kLender = CalculationKind::LenderCalculation;
constexpr auto kRecalc = CalculationKind::Recalculation;

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios = {
        {"lender's table at the contract rate",
         kLender,
         BaseCase(),
         kThreeEntries,
         {{"29.200", "0", "0", "300,000", "", "", ""},
          {"29.200", "7,440", "12,560", "287,440", "", "", ""},
          {"29.200", "6,438", "13,562", "273,878", "", "", ""}}},
        {"recalculation rewrites row 1 with the second entry's rate",
         kRecalc,
         BaseCase(),
         kThreeEntries,
         {{"18.000", "0", "0", "300,000", "", "0", ""},
          {"18.000", "4,586", "15,414", "284,586", "", "0", ""},
          {"18.000", "3,929", "16,071", "268,515", "", "0", ""}}},
        {"overpayment interest offset against the next borrowing",
         kRecalc,
         OverpaidCase(0, false),
         kOverpaid,
         {{"20.000", "0", "0", "50,000", "", "0", ""},
          {"20.000", "1,616", "58,384", "-8,384", "", "0", ""},
          {"20.000", "0", "0", "21,511", "", "105", "0"},
          {"20.000", "353", "9,647", "11,864", "", "0", ""}}},
        {"overpayment interest claimed at the end",
         kRecalc,
         OverpaidCase(1, false),
         kOverpaid,
         {{"20.000", "0", "0", "50,000", "", "0", ""},
          {"20.000", "1,616", "58,384", "-8,384", "", "0", ""},
          {"20.000", "0", "0", "21,616", "", "105", "105"},
          {"20.000", "355", "9,645", "11,971", "", "0", "105"}}},
        {"lender's table of an overpaid history",
         kLender,
         OverpaidCase(0, false),
         kOverpaid,
         {{"29.200", "0", "0", "50,000", "", "", ""},
          {"29.200", "2,360", "57,640", "-7,640", "", "", ""},
          {"29.200", "0", "0", "22,360", "", "", ""},
          {"29.200", "536", "9,464", "12,896", "", "", ""}}},
        {"first-day interest, left unpaid and paid later",
         kRecalc,
         OverpaidCase(0, true),
         kOverpaid,
         {{"20.000", "27", "0", "50,000", "27", "0", ""},
          {"20.000", "1,616", "58,357", "-8,357", "-27", "0", ""},
          {"20.000", "16", "0", "21,538", "16", "105", "0"},
          {"20.000", "354", "9,630", "11,908", "-16", "0", ""}}},
        {"a repayment smaller than the interest",
         kRecalc,
         BaseCase(),
         {{"2005-01-10", 90000, 0}, {"2005-02-10", 0, 1000}, {"2005-03-10", 0, 10000}},
         {{"20.000", "0", "0", "90,000", "", "0", ""},
          {"20.000", "1,528", "0", "90,000", "528", "0", ""},
          {"20.000", "1,380", "8,092", "81,908", "-528", "0", ""}}},
        {"the limit rate falls with a larger balance and never rises again",
         kRecalc,
         BaseCase(),
         {{"2005-01-10", 90000, 0}, {"2005-02-10", 60000, 0}, {"2005-03-10", 0, 60000}, {"2005-04-10", 0, 10000}},
         {{"20.000", "0", "0", "90,000", "", "0", ""},
          {"20.000", "1,528", "0", "150,000", "1,528", "0", ""},
          {"18.000", "2,071", "56,401", "93,599", "-1,528", "0", ""},
          {"18.000", "1,430", "8,570", "85,029", "", "0", ""}}},
        {"a contract under the limit is never raised to it",
         kRecalc,
         BaseCase(),
         {{"2005-01-10", 300000, 0, 10}, {"2005-02-10", 0, 20000, 10}, {"2005-03-10", 0, 20000, 10}},
         {{"10.000", "0", "0", "300,000", "", "0", ""},
          {"10.000", "2,547", "17,453", "282,547", "", "0", ""},
          {"10.000", "2,167", "17,833", "264,714", "", "0", ""}}},
        {"a contract under the limit with first-day interest at the contract rate",
         kRecalc,
         OverpaidCase(0, true),
         {{"2005-01-10", 50000, 0, 10},
          {"2005-03-10", 0, 60000, 10},
          {"2005-06-10", 30000, 0, 10},
          {"2005-07-10", 0, 10000, 10}},
         {{"10.000", "13", "0", "50,000", "13", "0", ""},
          {"10.000", "808", "59,179", "-9,179", "-13", "0", ""},
          {"10.000", "8", "0", "20,706", "8", "115", "0"},
          {"10.000", "170", "9,822", "10,884", "-8", "0", ""}}},
        {"a passing contract cut lowers only its own periods",
         kRecalc,
         BaseCase(),
         kPassingCut,
         {{"18.000", "0", "0", "300,000", "", "0", ""},
          {"18.000", "4,586", "15,414", "284,586", "", "0", ""},
          {"15.000", "3,274", "16,726", "267,860", "", "0", ""},
          {"15.000", "3,412", "16,588", "251,272", "", "0", ""},
          {"18.000", "3,717", "16,283", "234,989", "", "0", ""}}},
        {"row 1, rewritten by the second entry, keeps a lower first contract",
         kRecalc,
         BaseCase(),
         {{"2005-01-10", 300000, 0, 10}, {"2005-02-10", 0, 20000, 29.2}, {"2005-03-10", 0, 20000, 12}},
         {{"10.000", "0", "0", "300,000", "", "0", ""},
          {"18.000", "4,586", "15,414", "284,586", "", "0", ""},
          {"12.000", "2,619", "17,381", "267,205", "", "0", ""}}},
        {"start balance decides the first rate",
         kRecalc,
         With(BaseCase(), [](CaseRecord& c) { c.START_DAY = Day("2005-01-01"), c.START_KARI = 500000; }),
         {{"2005-01-31", 0, 20000}},
         {{"18.000", "7,397", "12,603", "487,397", "", "0", ""}}},
        {"with first-day interest the first entry decides the first rate",
         kRecalc,
         With(BaseCase(),
              [](CaseRecord& c) { c.START_DAY = Day("2005-01-01"), c.START_KARI = 500000, c.SYONITI_UMU = true; }),
         {{"2005-01-31", 0, 20000}},
         {{"20.000", "8,219", "11,781", "488,219", "", "0", ""}}},
        {"reference borrowing decides the first rate",
         kRecalc,
         With(BaseCase(),
              [](CaseRecord& c) { c.START_DAY = Day("2005-01-01"), c.START_KARI = 50000, c.HIKI_RIRITU = 1000000; }),
         {{"2005-01-31", 0, 10000}},
         {{"15.000", "616", "9,384", "40,616", "", "0", ""}}},
        {"a single entry keeps its contract rate",
         kRecalc,
         BaseCase(),
         {{"2005-01-10", 50000, 0}},
         {{"29.200", "0", "0", "50,000", "", "0", ""}}},
        {"start date without balance or reference takes the first borrowing's rate",
         kRecalc,
         With(BaseCase(), [](CaseRecord& c) { c.START_DAY = Day("2005-01-01"); }),
         {{"2005-01-10", 50000, 0}, {"2005-02-10", 0, 10000}},
         {{"20.000", "0", "0", "50,000", "", "0", ""}, {"20.000", "849", "9,151", "40,849", "", "0", ""}}},
    };
    return scenarios;
}

TEST(RunCalculation, WorkedCases) {
    for (const auto& s : Scenarios()) {
        SCOPED_TRACE(s.name);
        auto entries = MakeHistory(s.history);
        const ResultTable table = RunCalculation(s.kind, entries, s.settings);
        ASSERT_EQ(table.entryRowCount(), static_cast<int>(s.rows.size()));
        for (std::size_t i = 0; i < s.rows.size(); ++i) {
            EXPECT_EQ(RowOf(table, static_cast<int>(i) + 1), s.rows[i]) << "row " << i + 1;
        }
    }
}

TEST(RunCalculation, PlainColumnsAndDays) {
    auto entries = MakeHistory(kThreeEntries);
    const ResultTable table = RunCalculation(kLender, entries, BaseCase(), {.westernCalendar = false});
    EXPECT_EQ(table.cell(1, kColDate), "平17/01/10");
    EXPECT_EQ(table.cell(1, kColBorrowing), "300,000");
    EXPECT_EQ(table.cell(1, kColRepayment), "0");
    EXPECT_EQ(table.cell(1, kColDays), "");  // no start date: no first period
    EXPECT_EQ(table.cell(2, kColDays), "31");
    EXPECT_EQ(table.cell(3, kColDays), "28");

    auto again = MakeHistory(kThreeEntries);
    auto settings = BaseCase();
    settings.START_DAY = Day("2004-12-31");
    const ResultTable western = RunCalculation(kLender, again, settings, {.westernCalendar = true});
    EXPECT_EQ(western.cell(1, kColDate), "05/01/10");
    EXPECT_EQ(western.cell(1, kColDays), "10");
}

TEST(RunCalculation, TableShapeAndPadding) {
    auto entries = MakeHistory(kThreeEntries);
    const ResultTable lender = RunCalculation(kLender, entries, BaseCase());
    EXPECT_EQ(lender.columnCount(), 10);
    EXPECT_EQ(lender.rowCount(), 50);
    EXPECT_EQ(lender.cell(0, 0), "取引日");
    EXPECT_EQ(lender.cell(0, 8), "未払利息");
    EXPECT_EQ(lender.cell(0, 9), "");
    EXPECT_EQ(lender.cell(1, 9), "");
    EXPECT_EQ(lender.cell(4, 0), "");  // padding rows stay empty
    EXPECT_EQ(lender.cell(49, 9), "");
    EXPECT_THROW(lender.cell(50, 0), std::out_of_range);

    auto copy = CopyHistory(entries);
    const ResultTable recalc = RunCalculation(kRecalc, copy, BaseCase());
    EXPECT_EQ(recalc.columnCount(), 11);
    EXPECT_EQ(recalc.cell(0, 10), "未払過払利息");

    std::vector<EntryRow> many;
    for (int i = 0; i < 60; ++i) many.push_back({i % 2 ? "2005-02-10" : "2005-01-10", 1000, 0});
    auto manyEntries = MakeHistory(many);
    EXPECT_EQ(RunCalculation(kLender, manyEntries, BaseCase()).rowCount(), 61);
}

TEST(RunCalculation, RecalculationWritesTheAppliedRatesIntoTheCopyOnly) {
    const auto history = MakeHistory(kPassingCut);
    auto copy = CopyHistory(history);
    const ResultTable first = RunCalculation(kRecalc, copy, BaseCase());
    std::vector<FixedRate> copied, kept;
    for (const auto& e : copy) copied.push_back(e->rate);
    for (const auto& e : history) kept.push_back(e->rate);
    EXPECT_EQ(copied, (std::vector<FixedRate>{180000, 180000, 150000, 150000, 180000}));
    EXPECT_EQ(kept, (std::vector<FixedRate>{292000, 292000, 150000, 150000, 292000}));

    // A second run over the same copy gives the same table.
    const ResultTable second = RunCalculation(kRecalc, copy, BaseCase());
    for (int row = 0; row < first.rowCount(); ++row) {
        for (int col = 0; col < first.columnCount(); ++col) EXPECT_EQ(second.cell(row, col), first.cell(row, col));
    }

    auto lenderEntries = CopyHistory(history);
    RunCalculation(kLender, lenderEntries, BaseCase());
    for (std::size_t i = 0; i < history.size(); ++i) EXPECT_EQ(lenderEntries[i]->rate, history[i]->rate);
}

TEST(RunCalculation, ThreeYearWarningNamesTheEntryAndTheRunGoesOn) {
    auto settings = BaseCase();
    settings.KEISAN_KIND = 1;
    auto entries = MakeHistory({{"2003-12-20", 100000, 0}, {"2005-01-10", 0, 10000}, {"2005-02-10", 0, 10000}});
    std::vector<CalculationWarning> warnings;
    const ResultTable table = RunCalculation(
        kLender, entries, settings, {.onWarning = [&](const CalculationWarning& w) { warnings.push_back(w); }});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].entryIndex, 1u);
    EXPECT_EQ(warnings[0].message, "３年間にまたがる計算はできません。");
    EXPECT_EQ(table.cell(2, kColInterest), "0");
    EXPECT_EQ(table.cell(3, kColInterest), "2,232");  // 90,000 at 29.2 % for 31 days

    ::testing::internal::CaptureStderr();
    auto again = MakeHistory({{"2003-12-20", 100000, 0}, {"2005-01-10", 0, 10000}});
    RunCalculation(kLender, again, settings);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "３年間にまたがる計算はできません。\n");
}

TEST(RunCalculation, BadSettingsAndOverflowAreErrors) {
    auto settings = BaseCase();
    settings.KEISAN_KIND = 9;
    auto entries = MakeHistory(kThreeEntries);
    EXPECT_THROW(RunCalculation(kLender, entries, settings), InvalidCaseSetting);

    // Unpaid interest piling up past 32 bits must not wrap into a wrong yen.
    auto huge = MakeHistory({{"2000-01-01", 2000000000, 0},
                             {"2001-01-01", 0, 0},
                             {"2002-01-01", 0, 0},
                             {"2003-01-01", 0, 0},
                             {"2004-01-01", 0, 0}});
    EXPECT_THROW(RunCalculation(kLender, huge, BaseCase()), CalculationOverflow);
}

}  // namespace
}  // namespace korvalen::engine
