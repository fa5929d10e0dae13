#include "previous_calculation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "korvalen/engine/day_count.h"
#include "korvalen/engine/eras.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine::previous {
namespace {

void AppendTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

// "yy/mm/dd" after an optional prefix.
std::string SlashedDate(std::string prefix, int year, int month, int day) {
    prefix.reserve(prefix.size() + 8);
    AppendTwoDigits(prefix, year);
    prefix.push_back('/');
    AppendTwoDigits(prefix, month);
    prefix.push_back('/');
    AppendTwoDigits(prefix, day);
    return prefix;
}

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// Three decimals of a four-decimal fixed-point rate, the fourth rounded half
// away from zero as the format routines of the desktop do.
std::string ThreeDecimals(FixedRate rate) {
    const std::uint64_t thousandths = (Magnitude(rate) + 5) / 10;
    std::string out = rate < 0 && thousandths != 0 ? "-" : "";
    out += std::to_string(thousandths / 1000);
    const auto fraction = static_cast<int>(thousandths % 1000);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + fraction / 100));
    AppendTwoDigits(out, fraction);
    return out;
}

// The first character of a UTF-8 text.
std::string FirstCharacter(const std::string& text) {
    if (text.empty()) return text;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return text.substr(0, length);
}

void AppendAmount(std::string& out, std::int64_t yen) {
    char buffer[32];
    char* const end = buffer + sizeof buffer;
    char* p = end;
    std::uint64_t magnitude = Magnitude(yen);
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) *--p = ',';
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (yen < 0) *--p = '-';
    out.append(p, end);
}

std::string FormatTableRate(FixedRate rate) { return ThreeDecimals(rate); }

std::string FormatDays(std::int64_t days) { return std::to_string(days); }

std::string FormatGridDate(DayNumber day) {
    const CivilDate d = CivilFromDayNumber(day);
    return SlashedDate({}, d.year % 100, d.month, d.day);
}

std::string FormatResultDate(DayNumber day, bool westernCalendar) {
    if (!westernCalendar) {
        if (const auto era = JapaneseEraDateOf(day)) {
            // An era past its 99th year keeps all its digits.
            std::string prefix = FirstCharacter(era->eraName);
            if (era->eraYear >= 100) prefix += std::to_string(era->eraYear / 100);
            return SlashedDate(std::move(prefix), era->eraYear, era->month, era->day);
        }
    }
    return FormatGridDate(day);
}

constexpr std::array<std::string_view, 11> kHeadings = {
    "取引日",     "借入額", "返済額",   "日数",     "利率",         "利息",
    "元金返済額", "残元金", "未払利息", "過払利息", "未払過払利息",
};

constexpr int kLenderColumns = 10;
constexpr int kRecalculationColumns = 11;
// Room for the texts of one row, so that a fill rarely grows the buffer.
constexpr std::size_t kTextPerRow = 96;

// Far below the 64-bit limit of the fixed-point balance, far above any loan.
constexpr std::int64_t kBalanceLimitYen = 100'000'000'000'000;

void CheckBalance(Money balance) {
    if (std::llabs(TruncYen(balance)) > kBalanceLimitYen) {
        throw CalculationOverflow("残元金が扱える金額の範囲を超えました。計算できません。");
    }
}

// The limit rate chosen for the current entry (R). It has no value until a
// rule gives it one.
struct CandidateRate {
    FixedRate value = 0;
    bool known = false;
    void Set(FixedRate rate) {
        value = rate;
        known = true;
    }
};

class Run {
public:
    Run(CalculationKind kind, HistoryList& entries, const CaseRecord& c, const CalculationOptions& options)
        : recalculation_(kind == CalculationKind::Recalculation),
          entries_(entries),
          case_(c),
          options_(options),
          method_(DayCountMethodFrom(c.KEISAN_KIND)),
          overpaymentRate_(RateToFixed(c.KABARAI_RIRITSU)) {}

    std::vector<ResultRow> Rows() {
        std::vector<ResultRow> rows;
        rows.reserve(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            index_ = i;
            rows.push_back(Step(i, rows));
        }
        return rows;
    }

private:
    ResultRow Step(std::size_t i, std::vector<ResultRow>& rows) {
        HistoryEntry& e = *entries_[i];
        const HistoryEntry* prev = i > 0 ? entries_[i - 1].get() : nullptr;
        ResultRow row;
        row.date = e.date;
        row.borrowing = e.borrowing;
        row.repayment = e.repayment;
        std::int64_t k = e.borrowing;

        // The period that ends on this entry, and the balance at its start.
        bool hasPeriod = false;
        DayNumber periodStart = 0;
        if (prev) {
            hasPeriod = true;
            periodStart = prev->date;
        } else if (case_.START_DAY != 0) {
            hasPeriod = true;
            periodStart = case_.START_DAY;
            balance_ = YenToMoney(case_.START_KARI);
        }
        FixedDays days = 0;
        if (hasPeriod) {
            days = DayCountFixed(periodStart, e.date);
            row.days = std::llround(e.date - periodStart);
        }

        if (recalculation_) {
            // The Act only caps a rate: a contract below the limit is kept.
            const FixedRate contract = e.rate;
            if (i == 0) firstContract_ = contract;
            e.rate = std::min(LimitRateChain(i, contract, k, rows), contract);
        }
        row.appliedRate = e.rate;

        std::int64_t interest = 0;
        if (balance_ > 0 && hasPeriod) {
            interest += PeriodInterest(method_, balance_, e.rate, days, periodStart, e.date, sink_);
        }
        if (case_.SYONITI_UMU && k != 0) {
            // The day of the borrowing itself, on the borrowing as entered.
            interest += PeriodInterest(method_, YenToMoney(k), e.rate, kFixedOne, e.date, e.date, sink_);
        }
        row.interest = CheckedYen32(interest, "利息");

        std::int64_t principal = static_cast<std::int64_t>(e.repayment) - interest;
        if (principal > 0 && unpaid_ > 0) {
            if (principal >= unpaid_) {
                principal -= unpaid_;
                row.unpaidInterestChange = CheckedYen32(-unpaid_, "未払利息");
                unpaid_ = 0;
            } else {
                unpaid_ -= principal;
                row.unpaidInterestChange = CheckedYen32(-principal, "未払利息");
                principal = 0;
            }
        } else if (principal < 0) {
            unpaid_ = CheckedYen32(unpaid_ - principal, "未払利息");
            row.unpaidInterestChange = CheckedYen32(-principal, "未払利息");
            principal = 0;
        }
        row.principalRepaid = CheckedYen32(principal, "元金返済額");

        std::int64_t overpaymentInterest = 0;
        if (recalculation_ && balance_ < 0 && hasPeriod) {
            overpaymentInterest =
                PeriodInterest(method_, -balance_, overpaymentRate_, days, periodStart, e.date, sink_);
        }
        row.overpaymentInterest = static_cast<std::int32_t>(overpaymentInterest);

        unpaidOverpayment_ = CheckedYen32(unpaidOverpayment_ + overpaymentInterest, "未払過払利息");
        if (unpaidOverpayment_ != 0) {
            if (k != 0 && case_.SEISAN_KIND == 0) {
                // Overpayment interest is settled out of the next borrowing.
                if (unpaidOverpayment_ > k) {
                    unpaidOverpayment_ -= k;
                    k = 0;
                } else {
                    k -= unpaidOverpayment_;
                    unpaidOverpayment_ = 0;
                }
            }
            row.unpaidOverpaymentInterest = static_cast<std::int32_t>(unpaidOverpayment_);
        }

        balance_ -= YenToMoney(principal);
        if (k != 0) balance_ += YenToMoney(k);
        CheckBalance(balance_);
        row.balance = TruncYen(balance_);
        return row;
    }

    // The limit rate of the entry's period: the smaller of the previous
    // entry's limit rate and the one the balance calls for, so that it never
    // rises. The chain is kept apart from the rates applied, so that a
    // contract cut for a few periods does not pull it down for good.
    FixedRate LimitRateChain(std::size_t i, FixedRate contract, std::int64_t k, std::vector<ResultRow>& rows) {
        if (i == 0 && case_.HIKI_RIRITU != 0) {
            rate_.Set(LimitRateFor(case_.HIKI_RIRITU));
        } else if (balance_ > 0) {
            rate_.Set(LimitRateFor(TruncYen(balance_)));
        } else if (i > 0) {
            rate_.Set(chain_);
        }

        if (!case_.SYONITI_UMU) {
            // Without a start date the first entry holds its contract rate
            // until the second one sets both.
            chain_ = i > 0 ? std::min(chain_, rate_.value) : contract;
            if (case_.START_DAY != 0 && i == 0) {
                // A start date with neither a start balance nor a reference
                // borrowing leaves no rule for the first rate, and a rate of
                // 0 would run through the whole case. Take the first entry's
                // borrowing, as the first-day rule does.
                if (!rate_.known) rate_.Set(LimitRateFor(k));
                chain_ = rate_.value;
            }
            if (case_.START_DAY == 0 && i == 1) {
                chain_ = rate_.value;
                const FixedRate first = std::min(rate_.value, firstContract_);
                entries_[0]->rate = first;
                rows[0].appliedRate = first;
            }
        } else if (i == 0) {
            rate_.Set(LimitRateFor(case_.HIKI_RIRITU != 0 ? case_.HIKI_RIRITU : k));
            chain_ = rate_.value;
        } else {
            chain_ = std::min(chain_, rate_.value);
        }
        return chain_;
    }

    const bool recalculation_;
    HistoryList& entries_;
    const CaseRecord& case_;
    const CalculationOptions& options_;
    const DayCountMethod method_;
    const FixedRate overpaymentRate_;

    Money balance_ = 0;                   // B
    std::int64_t unpaid_ = 0;             // U
    std::int64_t unpaidOverpayment_ = 0;  // V
    CandidateRate rate_;                  // R
    FixedRate chain_ = 0;                 // the limit rate of the previous entry
    FixedRate firstContract_ = 0;         // the first entry's contract rate
    std::size_t index_ = 0;

    // Without a receiver the day count writes the warning to std::cerr itself.
    const WarningSink sink_ = options_.onWarning ? WarningSink([this](const std::string& message) {
        options_.onWarning({index_, message});
    })
                                                 : WarningSink();
};

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
    previous::AppendAmount(text_, yen);
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

ResultTable RunCalculation(CalculationKind kind, HistoryList& entries, const CaseRecord& caseRecord,
                           const CalculationOptions& options) {
    Run run(kind, entries, caseRecord, options);
    ResultTable table(kind);
    table.Fill(run.Rows(), options.westernCalendar);
    return table;
}

}  // namespace korvalen::engine::previous
