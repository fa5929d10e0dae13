#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history_fixture.h"
#include "korvalen/engine/repayment_generation.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

using fixtures::Day;
using Rule = BusinessDayRule;
using Shift = DayOffShift;

RepaymentPlan Plan(const char* first, const char* final, Rule rule = Rule::EveryDay,
                   Shift shift = Shift::NextBusinessDay) {
    RepaymentPlan plan;
    plan.firstDate = Day(first);
    plan.finalDate = Day(final);
    plan.contractDay = CivilFromDayNumber(plan.firstDate).day;
    plan.monthlyAmount = 30000;
    plan.rule = rule;
    plan.shift = shift;
    plan.contractRate = 29.2;
    return plan;
}

RepaymentPlan MonthEndPlan(const char* first, const char* final) {
    RepaymentPlan plan = Plan(first, final);
    plan.monthEnd = true;
    return plan;
}

std::vector<std::string> DatesOf(const std::vector<HistoryEntry>& entries) {
    std::vector<std::string> dates;
    for (const auto& entry : entries) dates.push_back(FormatIsoDate(entry.date));
    return dates;
}

TEST(ScheduleRepayments, MakesOneRepaymentAMonthAtTheContractRate) {
    const auto entries = ScheduleRepayments(Plan("2024-01-25", "2024-06-25"));
    ASSERT_EQ(DatesOf(entries), (std::vector<std::string>{"2024-01-25", "2024-02-25", "2024-03-25", "2024-04-25",
                                                          "2024-05-25", "2024-06-25"}));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].order, static_cast<int>(i) + 1);
        EXPECT_EQ(entries[i].borrowing, 0);
        EXPECT_EQ(entries[i].repayment, 30000);
        EXPECT_EQ(entries[i].rate, 292000);
    }
}

TEST(ScheduleRepayments, Dates) {
    struct Case {
        const char* name;
        RepaymentPlan plan;
        std::vector<std::string> dates;
    };
    const std::vector<Case> cases = {
        {"month ends",
         MonthEndPlan("2024-01-31", "2024-06-30"),
         {"2024-01-31", "2024-02-29", "2024-03-31", "2024-04-30", "2024-05-31", "2024-06-30"}},
        {"a Saturday moves to Monday",
         Plan("2024-04-25", "2024-06-25", Rule::MondayToFriday),
         {"2024-04-25", "2024-05-27", "2024-06-25"}},
        {"3 to 6 May are off, 6 May standing in for Sunday 5 May",
         Plan("2024-04-03", "2024-06-03", Rule::MondayToFriday),
         {"2024-04-03", "2024-05-07", "2024-06-03"}},
        {"back to the business day before",
         Plan("2024-04-03", "2024-06-03", Rule::MondayToFriday, Shift::PreviousBusinessDay),
         {"2024-04-03", "2024-05-02", "2024-06-03"}},
        {"Saturdays are business days under 日曜・祭日; 12 August stands in for 山の日",
         Plan("2024-04-11", "2024-08-11", Rule::MondayToSaturday),
         {"2024-04-11", "2024-05-11", "2024-06-11", "2024-07-11", "2024-08-13"}},
        {"the first date is never moved",
         Plan("2024-05-03", "2024-07-03", Rule::MondayToFriday),
         {"2024-05-03", "2024-06-03", "2024-07-03"}},
        {"the last moved date may lie after the final date",
         Plan("2024-03-25", "2024-05-25", Rule::MondayToFriday),
         {"2024-03-25", "2024-04-25", "2024-05-27"}},
        {"each month counts from the first date, not from the moved one",
         Plan("2024-01-31", "2024-04-30", Rule::MondayToSaturday),
         {"2024-01-31", "2024-02-29", "2024-04-01", "2024-04-30"}},
        {"4 May 1984 was an ordinary Friday",
         Plan("1984-04-04", "1984-06-04", Rule::MondayToFriday),
         {"1984-04-04", "1984-05-04", "1984-06-04"}},
        {"Sunday 23 December 1984 was no holiday: nothing stood in on Monday",
         Plan("1984-11-23", "1985-01-23", Rule::MondayToFriday),
         {"1984-11-23", "1984-12-24", "1985-01-23"}},
        {"in 1997 only the day after a Sunday holiday stood in",
         Plan("1997-04-06", "1997-06-06", Rule::MondayToFriday),
         {"1997-04-06", "1997-05-06", "1997-06-06"}},
        {"2 and 3 January are off",
         Plan("2023-12-02", "2024-02-02", Rule::MondayToSaturday),
         {"2023-12-02", "2024-01-04", "2024-02-02"}},
    };
    for (const auto& c : cases) EXPECT_EQ(DatesOf(ScheduleRepayments(c.plan)), c.dates) << c.name;
}

TEST(CheckRepaymentPlan, RefusesWithTheWarningOfTheFirstFault) {
    auto withStart = [](RepaymentPlan plan, const char* start) {
        plan.startDay = Day(start);
        return plan;
    };
    auto withoutAmount = [](RepaymentPlan plan) {
        plan.monthlyAmount = 0;
        return plan;
    };
    auto withDay = [](RepaymentPlan plan, int day) {
        plan.contractDay = day;
        return plan;
    };
    struct Case {
        const char* name;
        RepaymentPlan plan;
        PlanFault fault;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"first date before the start date", withStart(Plan("2024-01-25", "2024-06-25"), "2024-02-01"),
         PlanFault::BeforeStartDate, "【計算開始年月日(2024年2月1日)】よりも前の[１件目返済日]は処理できません。"},
        {"the start date is told before a missing amount",
         withoutAmount(withStart(Plan("2024-01-25", "2024-06-25"), "2024-02-01")), PlanFault::BeforeStartDate,
         "【計算開始年月日(2024年2月1日)】よりも前の[１件目返済日]は処理できません。"},
        {"no amount", withoutAmount(Plan("2024-01-25", "2024-06-25")), PlanFault::NoAmount,
         "【毎月返済額】を入力して下さい。"},
        {"final date one month after the first", Plan("2024-01-25", "2024-02-25"), PlanFault::DatesContradict,
         "【１件目と最終の返済日】の入力に矛盾があります。"},
        {"final date before the first", Plan("2024-06-25", "2024-01-25"), PlanFault::DatesContradict,
         "【１件目と最終の返済日】の入力に矛盾があります。"},
        {"one month after 31 January is 29 February", MonthEndPlan("2024-01-31", "2024-02-29"),
         PlanFault::DatesContradict, "【１件目と最終の返済日】の入力に矛盾があります。"},
        {"the 31st is no contract day of 1 to 30", withDay(Plan("2024-01-31", "2024-06-30"), 30),
         PlanFault::FirstDateOffDay, "【１件目の返済日】を約定返済日と同じく返済日にして下さい。"},
        {"first date not a month end", MonthEndPlan("2024-01-30", "2024-06-30"), PlanFault::FirstDateOffDay,
         "【１件目の返済日】を約定返済日と同じく月末にして下さい。"},
        {"final date off the contract day", Plan("2024-01-25", "2024-06-24"), PlanFault::FinalDateOffDay,
         "【最終返済日】を約定返済日と同じく返済日にして下さい。"},
        {"final date not a month end", MonthEndPlan("2024-01-31", "2024-06-29"), PlanFault::FinalDateOffDay,
         "【最終返済日】を約定返済日と同じく月末にして下さい。"},
        {"1,000 months", Plan("1990-01-25", "2073-04-25"), PlanFault::TooManyEntries,
         "作成すると履歴が999件を超えます（作成1000件）。\r\n何も作成していません。"},
    };
    for (const auto& c : cases) {
        const auto refusal = CheckRepaymentPlan(c.plan, 0, 999);
        ASSERT_TRUE(refusal) << c.name;
        EXPECT_EQ(refusal->fault, c.fault) << c.name;
        EXPECT_EQ(refusal->message, c.message) << c.name;
    }
}

TEST(CheckRepaymentPlan, AcceptsWhatTheChecksLetThrough) {
    auto withStart = [](RepaymentPlan plan, const char* start) {
        plan.startDay = Day(start);
        return plan;
    };
    struct Case {
        const char* name;
        RepaymentPlan plan;
    };
    const std::vector<Case> cases = {
        {"start date on the first date", withStart(Plan("2024-01-25", "2024-06-25"), "2024-01-25")},
        {"two months", Plan("2024-01-25", "2024-03-25")},
        {"dates off the contract day with a holiday setting", Plan("2024-01-31", "2024-06-24", Rule::MondayToFriday)},
        {"999 months fill the grid", Plan("1990-01-25", "2073-03-25")},
    };
    for (const auto& c : cases) EXPECT_FALSE(CheckRepaymentPlan(c.plan, 0, 999)) << c.name;
}

TEST(CheckRepaymentPlan, CountsTheKeptEntriesAgainstTheGrid) {
    RepaymentPlan plan = Plan("1990-01-25", "2072-08-25");  // 992 months
    EXPECT_FALSE(CheckRepaymentPlan(plan, 8, 999));
    EXPECT_FALSE(CheckRepaymentPlan(plan, 7, 999));
    plan.keepExisting = true;
    EXPECT_FALSE(CheckRepaymentPlan(plan, 7, 999));
    const auto refusal = CheckRepaymentPlan(plan, 8, 999);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "作成すると履歴が999件を超えます（入力済8件、作成992件）。\r\n何も作成していません。");
}

class GenerateRepaymentsOnList : public ::testing::Test {
protected:
    HistoryList list_ = fixtures::MakeHistory({{"2024-08-10", 100000, 0}, {"2024-09-10", 0, 20000}});
};

TEST_F(GenerateRepaymentsOnList, ReplacesTheHistory) {
    ASSERT_FALSE(GenerateRepayments(Plan("2024-01-25", "2024-06-25"), list_, 999));
    ASSERT_EQ(list_.size(), 6u);
    EXPECT_EQ(FormatIsoDate(list_.front()->date), "2024-01-25");
    EXPECT_EQ(list_.front()->order, 1);
}

TEST_F(GenerateRepaymentsOnList, KeepsTheOldEntriesInFrontUnsorted) {
    const HistoryEntry* first = list_[0].get();
    RepaymentPlan plan = Plan("2024-01-25", "2024-03-25");
    plan.keepExisting = true;
    ASSERT_FALSE(GenerateRepayments(plan, list_, 999));
    ASSERT_EQ(list_.size(), 5u);
    EXPECT_EQ(list_[0].get(), first);
    EXPECT_EQ(FormatIsoDate(list_[1]->date), "2024-09-10");
    EXPECT_EQ(FormatIsoDate(list_[2]->date), "2024-01-25");
    EXPECT_EQ(list_[4]->order, 3);
}

TEST_F(GenerateRepaymentsOnList, ARefusedPlanChangesNothing) {
    const HistoryEntry* first = list_[0].get();
    RepaymentPlan plan = Plan("2024-01-25", "2024-06-25");
    plan.monthlyAmount = 0;
    const auto refusal = GenerateRepayments(plan, list_, 999);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->fault, PlanFault::NoAmount);
    ASSERT_EQ(list_.size(), 2u);
    EXPECT_EQ(list_[0].get(), first);

    plan = Plan("1990-01-25", "2073-04-25");
    ASSERT_TRUE(GenerateRepayments(plan, list_, 999));
    EXPECT_EQ(list_.size(), 2u);
}

}  // namespace
}  // namespace korvalen::engine
