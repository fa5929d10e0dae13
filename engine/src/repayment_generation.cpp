#include "korvalen/engine/repayment_generation.h"

#include <algorithm>

#include "korvalen/engine/holidays.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

constexpr int kSaturday = 6;

std::optional<PlanRefusal> Refuse(PlanFault fault, std::string message) {
    return PlanRefusal{fault, std::move(message)};
}

bool IsMonthEnd(DayNumber day) { return MonthEnd(day) == day; }

bool IsContractDay(DayNumber day, const RepaymentPlan& plan) {
    return plan.monthEnd ? IsMonthEnd(day) : CivilFromDayNumber(day).day == plan.contractDay;
}

// The number of entries the plan makes, counted without making them (a plan
// over centuries must be refused, not built first).
std::size_t ScheduledCount(const RepaymentPlan& plan) {
    std::size_t count = 0;
    for (DayNumber p = plan.firstDate; p <= plan.finalDate;) {
        ++count;
        p = AddMonths(plan.firstDate, static_cast<int>(count));
        if (plan.monthEnd) p = MonthEnd(p);
    }
    return count;
}

}  // namespace

bool IsBusinessDay(DayNumber day, BusinessDayRule rule) {
    switch (rule) {
        case BusinessDayRule::MondayToFriday: return Weekday(day) != kSaturday && !IsDayOff(day);
        case BusinessDayRule::MondayToSaturday: return !IsDayOff(day);
        case BusinessDayRule::EveryDay: return true;
    }
    return true;
}

DayNumber AddMonths(DayNumber day, int months) {
    const CivilDate date = CivilFromDayNumber(day);
    const int index = date.year * 12 + (date.month - 1) + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    return DayNumberFromCivil(year, month, std::min(date.day, DaysInMonth(year, month)));
}

DayNumber MonthEnd(DayNumber day) {
    const CivilDate date = CivilFromDayNumber(day);
    return DayNumberFromCivil(date.year, date.month, DaysInMonth(date.year, date.month));
}

std::vector<HistoryEntry> ScheduleRepayments(const RepaymentPlan& plan) {
    const FixedRate rate = RateToFixed(plan.contractRate);
    const DayNumber step = plan.shift == DayOffShift::NextBusinessDay ? 1 : -1;
    std::vector<HistoryEntry> entries;
    DayNumber p = plan.firstDate;
    for (int k = 1; p <= plan.finalDate; ++k) {
        DayNumber d = p;
        if (p != plan.firstDate) {
            while (!IsBusinessDay(d, plan.rule)) d += step;
        }
        entries.push_back(HistoryEntry{d, k, 0, plan.monthlyAmount, rate});
        p = AddMonths(plan.firstDate, k);
        if (plan.monthEnd) p = MonthEnd(p);
    }
    return entries;
}

std::optional<PlanRefusal> CheckRepaymentPlan(const RepaymentPlan& plan, std::size_t existingEntries,
                                              std::size_t maxEntries) {
    if (plan.startDay != 0 && plan.startDay > plan.firstDate) {
        return Refuse(PlanFault::BeforeStartDate, "【計算開始年月日(" + FormatMessageDate(plan.startDay) +
                                                      ")】よりも前の[１件目返済日]は処理できません。");
    }
    if (plan.monthlyAmount == 0) return Refuse(PlanFault::NoAmount, "【毎月返済額】を入力して下さい。");
    if (plan.finalDate <= AddMonths(plan.firstDate, 1)) {
        return Refuse(PlanFault::DatesContradict, "【１件目と最終の返済日】の入力に矛盾があります。");
    }
    if (plan.rule == BusinessDayRule::EveryDay) {
        if (!IsContractDay(plan.firstDate, plan)) {
            return Refuse(PlanFault::FirstDateOffDay,
                          plan.monthEnd ? "【１件目の返済日】を約定返済日と同じく月末にして下さい。"
                                        : "【１件目の返済日】を約定返済日と同じく返済日にして下さい。");
        }
        if (!IsContractDay(plan.finalDate, plan)) {
            return Refuse(PlanFault::FinalDateOffDay, plan.monthEnd
                                                          ? "【最終返済日】を約定返済日と同じく月末にして下さい。"
                                                          : "【最終返済日】を約定返済日と同じく返済日にして下さい。");
        }
    }
    // A history longer than the grid could not be shown, and so not checked.
    const std::size_t kept = plan.keepExisting ? existingEntries : 0;
    const std::size_t made = ScheduledCount(plan);
    if (kept + made > maxEntries) {
        const std::string counts = (plan.keepExisting ? "入力済" + std::to_string(kept) + "件、" : std::string()) +
                                   "作成" + std::to_string(made) + "件";
        return Refuse(PlanFault::TooManyEntries, "作成すると履歴が" + std::to_string(maxEntries) + "件を超えます（" +
                                                     counts + "）。\r\n何も作成していません。");
    }
    return std::nullopt;
}

std::optional<PlanRefusal> GenerateRepayments(const RepaymentPlan& plan, HistoryList& list, std::size_t maxEntries) {
    if (auto refusal = CheckRepaymentPlan(plan, list.size(), maxEntries)) return refusal;
    const std::vector<HistoryEntry> schedule = ScheduleRepayments(plan);
    if (!plan.keepExisting) list.clear();
    list.reserve(list.size() + schedule.size());
    for (const HistoryEntry& entry : schedule) list.push_back(std::make_unique<HistoryEntry>(entry));
    return std::nullopt;
}

}  // namespace korvalen::engine
