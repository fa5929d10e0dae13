#include "korvalen/engine/result_table.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "korvalen/engine/text_forms.h"

namespace korvalen {
namespace {

constexpr std::array<std::string_view, 11> kHeadings = {
    "取引日", "借入額", "返済額", "日数", "利率", "利息", "元金返済額", "残元金", "未払利息", "過払利息", "未払過払利息",
};

constexpr int kLenderColumns = 10;
constexpr int kRecalculationColumns = 11;

std::string OptionalAmount(const std::optional<std::int32_t>& yen) { return yen ? FormatAmount(*yen) : std::string(); }

}  // namespace

ResultTable::ResultTable(CalculationKind kind)
    : kind_(kind),
      columns_(kind == CalculationKind::Recalculation ? kRecalculationColumns : kLenderColumns),
      cells_(static_cast<std::size_t>(kMinimumResultRows * columns_)) {
    // The lender's spacer column has no heading.
    const int headed = kind == CalculationKind::Recalculation ? kRecalculationColumns : kColUnpaidInterest + 1;
    for (int column = 0; column < headed; ++column) at(0, column) = kHeadings[static_cast<std::size_t>(column)];
}

const std::string& ResultTable::cell(int row, int column) const {
    return cells_.at(static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                     static_cast<std::size_t>(column));
}

std::string& ResultTable::at(int row, int column) {
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column)];
}

void ResultTable::Fill(std::vector<ResultRow> rows, bool westernCalendar) {
    const std::size_t total = std::max<std::size_t>(kMinimumResultRows, rows.size() + 1);
    cells_.resize(total * static_cast<std::size_t>(columns_));
    std::fill(cells_.begin() + columns_, cells_.end(), std::string());
    rows_ = std::move(rows);

    const bool recalculation = kind_ == CalculationKind::Recalculation;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const ResultRow& r = rows_[i];
        const int row = static_cast<int>(i) + 1;
        at(row, kColDate) = FormatResultDate(r.date, westernCalendar);
        at(row, kColBorrowing) = FormatAmount(r.borrowing);
        at(row, kColRepayment) = FormatAmount(r.repayment);
        if (r.days) at(row, kColDays) = FormatDays(*r.days);
        at(row, kColRate) = FormatTableRate(r.appliedRate);
        at(row, kColInterest) = FormatAmount(r.interest);
        at(row, kColPrincipalRepaid) = FormatAmount(r.principalRepaid);
        at(row, kColBalance) = FormatAmount(r.balance);
        at(row, kColUnpaidInterest) = OptionalAmount(r.unpaidInterestChange);
        if (recalculation) {
            at(row, kColOverpaymentInterest) = FormatAmount(r.overpaymentInterest);
            at(row, kColUnpaidOverpaymentInterest) = OptionalAmount(r.unpaidOverpaymentInterest);
        }
    }
}

}  // namespace korvalen
