// The figures a debtor's claim is made of, read from the last row of a
// recalculation. The wizard's last page, the statement and the command-line
// tools all print them from here, so that the three never disagree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/result_table.h"

namespace korvalen::engine {

enum class ClaimKind {
    // The table holds no entry: there is nothing to claim or to owe.
    NoEntries,
    // The last balance is 0 or negative: the debtor claims the overpayment
    // and the overpayment interest not yet settled (both may be 0).
    OverpaymentClaim,
    // The last balance is positive: principal is still owed. Overpayment
    // interest left over from earlier periods is reported beside it, never
    // netted against it.
    PrincipalOwed,
};

struct ClaimSummary {
    ClaimKind kind = ClaimKind::NoEntries;
    std::int64_t overpayment = 0;                // 過払金: the negative last balance as a positive amount
    std::int64_t unpaidOverpaymentInterest = 0;  // 未払過払利息: what had accumulated at the last row
    std::int64_t claim = 0;                      // 請求額: overpayment + unpaid overpayment interest
    std::int64_t remainingPrincipal = 0;         // 残元金: the positive last balance
};

// Reads the last entry row of a recalculation table. A lender's table has
// no overpayment interest; its summary is its last balance alone.
ClaimSummary SummariseClaim(const ResultTable& table);

inline constexpr std::string_view kOverpaymentLabel = "過払金";
inline constexpr std::string_view kUnpaidOverpaymentInterestLabel = "未払過払利息";
inline constexpr std::string_view kClaimLabel = "請求額";
inline constexpr std::string_view kRemainingPrincipalLabel = "残元金";

struct ClaimLine {
    std::string_view label;
    std::int64_t yen;
};

// The lines to print, in order: 過払金, 未払過払利息, 請求額 for a claim;
// 残元金, then 未払過払利息 only when some is left, while principal is owed;
// none without entries.
std::vector<ClaimLine> ClaimLines(const ClaimSummary& summary);

// "1,234円"
std::string FormatYen(std::int64_t yen);
// "過払金　1,234円": the label, an ideographic space, the amount.
std::string FormatClaimLine(const ClaimLine& line);

}  // namespace korvalen::engine
