#include "korvalen/engine/result_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "cell_text.h"

namespace korvalen::engine {
namespace {

constexpr std::array<std::string_view, 11> kHeadings = {
    "取引日",     "借入額", "返済額",   "日数",     "利率",         "利息",
    "元金返済額", "残元金", "未払利息", "過払利息", "未払過払利息",
};

constexpr int kLenderColumns = 10;
constexpr int kRecalculationColumns = 11;
// Room a row's texts usually take (some 40 to 60 bytes), so that a fill
// rarely grows the buffer, and the most they can take, which is always kept
// free before a row is begun.
constexpr std::size_t kTextPerRow = 64;
constexpr std::size_t kMaxRowText = kRecalculationColumns * kMaxCellText;
constexpr std::size_t kHeadingText = 128;
static_assert(kMaxRowText <= 0xFFFF, "cell ends are 16-bit offsets within their row");

// Writes rows of cell texts into a buffer that the caller keeps large
// enough for the next row, recording where each row starts and where each
// of its cells ends.
class CellWriter {
public:
    CellWriter(char* base, std::uint32_t* rowStarts, std::uint16_t* cellEnds)
        : base_(base), at_(base), rowStart_(base), rowStarts_(rowStarts), cellEnds_(cellEnds) {}

    void BeginRow() {
        rowStart_ = at_;
        *rowStarts_++ = static_cast<std::uint32_t>(at_ - base_);
    }
    template <typename Write>
    void Cell(Write write) {
        at_ = write(at_);
        Close();
    }
    void Text(std::string_view text) {
        at_ = std::copy(text.begin(), text.end(), at_);
        Close();
    }
    void Empty() { Close(); }
    void Amount(std::int64_t yen) {
        at_ = WriteAmount(at_, yen);
        Close();
    }

    std::size_t Size() const { return static_cast<std::size_t>(at_ - base_); }
    // The buffer moved (it grew): carry on at the same place in it.
    void Rebase(char* base) {
        at_ = base + Size();
        rowStart_ = at_;
        base_ = base;
    }

private:
    void Close() { *cellEnds_++ = static_cast<std::uint16_t>(at_ - rowStart_); }

    char* base_;
    char* at_;
    char* rowStart_;
    std::uint32_t* rowStarts_;
    std::uint16_t* cellEnds_;
};

}  // namespace

ResultTable::ResultTable(CalculationKind kind)
    : kind_(kind), columns_(kind == CalculationKind::Recalculation ? kRecalculationColumns : kLenderColumns) {
    WriteTexts(false);
}

std::string_view ResultTable::cell(int row, int column) const {
    if (row < 0 || row >= rowCount_ || column < 0 || column >= columns_) {
        throw std::out_of_range("ResultTable::cell");
    }
    const auto r = static_cast<std::size_t>(row);
    if (r >= rowStarts_.size()) return {};
    const std::uint16_t* ends = cellEnds_.data() + r * static_cast<std::size_t>(columns_);
    const std::size_t begin = column == 0 ? 0 : ends[column - 1];
    return std::string_view(text_).substr(rowStarts_[r] + begin, ends[column] - begin);
}

void ResultTable::Fill(std::vector<ResultRow> rows, bool westernCalendar) {
    rows_ = std::move(rows);
    WriteTexts(westernCalendar);
}

void ResultTable::WriteTexts(bool westernCalendar) {
    const bool recalculation = kind_ == CalculationKind::Recalculation;
    rowCount_ = std::max(kMinimumResultRows, static_cast<int>(rows_.size()) + 1);
    rowStarts_.resize(rows_.size() + 1);
    cellEnds_.resize((rows_.size() + 1) * static_cast<std::size_t>(columns_));
    text_.resize(kHeadingText + rows_.size() * kTextPerRow + kMaxRowText);

    CellWriter out(text_.data(), rowStarts_.data(), cellEnds_.data());
    out.BeginRow();
    // The lender's spacer column has no heading.
    for (int column = 0; column < columns_; ++column) {
        if (recalculation || column <= kColUnpaidInterest) {
            out.Text(kHeadings[static_cast<std::size_t>(column)]);
        } else {
            out.Empty();
        }
    }
    ResultDateWriter dates(westernCalendar);
    for (const ResultRow& r : rows_) {
        if (text_.size() - out.Size() < kMaxRowText) {
            text_.resize(text_.size() * 2);
            out.Rebase(text_.data());
        }
        out.BeginRow();
        out.Cell([&](char* at) { return dates.Write(at, r.date); });
        out.Amount(r.borrowing);
        out.Amount(r.repayment);
        if (r.days) {
            out.Cell([&](char* at) { return WriteDays(at, *r.days); });
        } else {
            out.Empty();
        }
        out.Cell([&](char* at) { return WriteTableRate(at, r.appliedRate); });
        out.Amount(r.interest);
        out.Amount(r.principalRepaid);
        out.Amount(r.balance);
        if (r.unpaidInterestChange) {
            out.Amount(*r.unpaidInterestChange);
        } else {
            out.Empty();
        }
        if (recalculation) {
            out.Amount(r.overpaymentInterest);
            if (r.unpaidOverpaymentInterest) {
                out.Amount(*r.unpaidOverpaymentInterest);
            } else {
                out.Empty();
            }
        } else {
            out.Empty();  // the spacer
        }
    }
    text_.resize(out.Size());
}

}  // namespace korvalen::engine
