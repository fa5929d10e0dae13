#include "korvalen/engine/result_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

constexpr std::array<std::string_view, 11> kHeadings = {
    "取引日",     "借入額", "返済額",   "日数",     "利率",         "利息",
    "元金返済額", "残元金", "未払利息", "過払利息", "未払過払利息",
};

constexpr int kLenderColumns = 10;
constexpr int kRecalculationColumns = 11;
// Room for the texts of one row, so that a fill rarely grows the buffer.
constexpr std::size_t kTextPerRow = 96;

}  // namespace

ResultTable::ResultTable(CalculationKind kind)
    : kind_(kind), columns_(kind == CalculationKind::Recalculation ? kRecalculationColumns : kLenderColumns) {
    Fill({}, false);
}

std::string_view ResultTable::cell(int row, int column) const {
    if (row < 0 || row >= rowCount_ || column < 0 || column >= columns_) {
        throw std::out_of_range("ResultTable::cell");
    }
    const std::size_t index =
        static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
    if (index >= cellEnds_.size()) return {};
    const std::size_t begin = index == 0 ? 0 : cellEnds_[index - 1];
    return std::string_view(text_).substr(begin, cellEnds_[index] - begin);
}

void ResultTable::Append(std::string_view text) {
    text_.append(text);
    cellEnds_.push_back(static_cast<std::uint32_t>(text_.size()));
}

void ResultTable::AppendAmount(std::int64_t yen) {
    engine::AppendAmount(text_, yen);
    cellEnds_.push_back(static_cast<std::uint32_t>(text_.size()));
}

void ResultTable::Fill(std::vector<ResultRow> rows, bool westernCalendar) {
    rows_ = std::move(rows);
    rowCount_ = std::max(kMinimumResultRows, static_cast<int>(rows_.size()) + 1);
    text_.clear();
    cellEnds_.clear();
    text_.reserve((rows_.size() + 1) * kTextPerRow);
    cellEnds_.reserve((rows_.size() + 1) * static_cast<std::size_t>(columns_));

    const bool recalculation = kind_ == CalculationKind::Recalculation;
    // The lender's spacer column has no heading.
    for (int column = 0; column < columns_; ++column) {
        Append(recalculation || column <= kColUnpaidInterest ? kHeadings[static_cast<std::size_t>(column)] : "");
    }
    for (const ResultRow& r : rows_) {
        Append(FormatResultDate(r.date, westernCalendar));
        AppendAmount(r.borrowing);
        AppendAmount(r.repayment);
        Append(r.days ? FormatDays(*r.days) : std::string());
        Append(FormatTableRate(r.appliedRate));
        AppendAmount(r.interest);
        AppendAmount(r.principalRepaid);
        AppendAmount(r.balance);
        if (r.unpaidInterestChange) {
            AppendAmount(*r.unpaidInterestChange);
        } else {
            Append({});
        }
        if (recalculation) {
            AppendAmount(r.overpaymentInterest);
        } else {
            Append({});
        }
        if (recalculation) {
            if (r.unpaidOverpaymentInterest) {
                AppendAmount(*r.unpaidOverpaymentInterest);
            } else {
                Append({});
            }
        }
    }
}

}  // namespace korvalen::engine
