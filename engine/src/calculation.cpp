#include "korvalen/engine/calculation.h"

#include <algorithm>
#include <cmath>

#include "korvalen/engine/day_count.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {
namespace {

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

// One run over the entries. Only a recalculation writes to them (the rates
// it applied), and only the overload that is given a writable list runs one.
class Run {
public:
    Run(CalculationKind kind, const HistoryList& entries, const CaseRecord& c, const CalculationOptions& options)
        : recalculation_(kind == CalculationKind::Recalculation),
          entries_(entries),
          case_(c),
          options_(options),
          method_(DayCountMethodFrom(c.KEISAN_KIND)),
          overpaymentRate_(RateToFixed(c.KABARAI_RIRITSU)) {}

    // Each row is built where the table will keep it.
    std::vector<ResultRow> Rows() {
        std::vector<ResultRow> rows;
        rows.reserve(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            index_ = i;
            Step(i, rows.emplace_back(), rows);
        }
        return rows;
    }

private:
    void Step(std::size_t i, ResultRow& row, std::vector<ResultRow>& rows) {
        HistoryEntry& e = *entries_[i];
        const HistoryEntry* prev = i > 0 ? entries_[i - 1].get() : nullptr;
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
            // Whole days (always, in this system) are read off the day count.
            row.days = days % kFixedOne == 0 ? days / kFixedOne : std::llround(e.date - periodStart);
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
    const HistoryList& entries_;
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

ResultTable RunCalculation(CalculationKind kind, HistoryList& entries, const CaseRecord& caseRecord,
                           const CalculationOptions& options) {
    Run run(kind, entries, caseRecord, options);
    ResultTable table(kind);
    table.Fill(run.Rows(), options.westernCalendar);
    return table;
}

ResultTable RunLenderCalculation(const HistoryList& entries, const CaseRecord& caseRecord,
                                 const CalculationOptions& options) {
    Run run(CalculationKind::LenderCalculation, entries, caseRecord, options);
    ResultTable table(CalculationKind::LenderCalculation);
    table.Fill(run.Rows(), options.westernCalendar);
    return table;
}

}  // namespace korvalen::engine
