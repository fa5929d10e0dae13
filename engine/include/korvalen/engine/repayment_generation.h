// The estimated series of equal monthly repayments (推定返済データ一括生成):
// the business days the dates are moved to, the checks of a plan with the
// warnings the user is shown, and the schedule appended to the history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "korvalen/engine/case_model.h"

namespace korvalen::engine {

// 休日の設定, in the order of its items.
enum class BusinessDayRule {
    MondayToFriday = 0,    // "土曜・日曜・祭日": Saturdays, Sundays and holidays are off
    MondayToSaturday = 1,  // "日曜・祭日": Sundays and holidays are off
    EveryDay = 2,          // "休日設定なし"
};

// 休日の処理: which way a date that is no business day moves.
enum class DayOffShift {
    NextBusinessDay = 0,      // "翌営業日"
    PreviousBusinessDay = 1,  // "前営業日"
};

bool IsBusinessDay(DayNumber day, BusinessDayRule rule);

// `months` calendar months after `day`, its day of the month cut to the
// length of the target month (31 January + 1 month is 29 February 2024).
DayNumber AddMonths(DayNumber day, int months);
// The last day of the month of `day`.
DayNumber MonthEnd(DayNumber day);

struct RepaymentPlan {
    DayNumber firstDate = 0;         // １件目返済日: always used as given
    DayNumber finalDate = 0;         // 最終約定返済日: the last scheduled (unmoved) date
    bool monthEnd = false;           // 月末: the contractual day is the month end
    int contractDay = 25;            // 約定返済日, 1 to 30
    std::int32_t monthlyAmount = 0;  // 毎月返済額, whole yen
    BusinessDayRule rule = BusinessDayRule::EveryDay;
    DayOffShift shift = DayOffShift::NextBusinessDay;
    bool keepExisting = false;  // 既存データは消去しない。
    // From the case as the wizard holds it.
    DayNumber startDay = 0;   // 計算開始年月日, 0 = none
    double contractRate = 0;  // 利率, percent: the rate of every new entry
};

// What is wrong with a plan; the dialog puts the focus on the field at fault.
enum class PlanFault {
    BeforeStartDate,  // １件目返済日 before the calculation start date
    NoAmount,         // 毎月返済額 is 0
    DatesContradict,  // 最終約定返済日 not later than a month after the first
    FirstDateOffDay,  // １件目返済日 not on the contractual day (no holiday setting)
    FinalDateOffDay,  // 最終約定返済日 likewise
    TooManyEntries,   // the history would outgrow the grid
};

struct PlanRefusal {
    PlanFault fault;
    std::string message;  // a warning with an OK button
};

// The entries the plan makes, in generation order: one per month from the
// first date while the unmoved date is not after the final date, every
// date after the first moved to a business day, `order` 1, 2, 3, … No
// checks: a plan whose final date lies before its first gives none.
std::vector<HistoryEntry> ScheduleRepayments(const RepaymentPlan& plan);

// The first fault of the plan, in the order the user is told of them, or
// nothing. `existingEntries` are those the history holds now; the history
// may hold at most `maxEntries` afterwards.
std::optional<PlanRefusal> CheckRepaymentPlan(const RepaymentPlan& plan, std::size_t existingEntries,
                                              std::size_t maxEntries);

// Checks the plan; then, unless it keeps them, releases every entry of the
// list, and appends the schedule. A refused plan changes nothing.
std::optional<PlanRefusal> GenerateRepayments(const RepaymentPlan& plan, HistoryList& list, std::size_t maxEntries);

}  // namespace korvalen::engine
