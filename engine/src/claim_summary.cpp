#include "korvalen/engine/claim_summary.h"

#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {

ClaimSummary SummariseClaim(const ResultTable& table) {
    ClaimSummary summary;
    const std::vector<ResultRow>& rows = table.rows();
    if (rows.empty()) return summary;
    const ResultRow& last = rows.back();
    summary.unpaidOverpaymentInterest = last.unpaidOverpaymentInterest.value_or(0);
    if (last.balance > 0) {
        summary.kind = ClaimKind::PrincipalOwed;
        summary.remainingPrincipal = last.balance;
    } else {
        summary.kind = ClaimKind::OverpaymentClaim;
        summary.overpayment = -last.balance;
        summary.claim = summary.overpayment + summary.unpaidOverpaymentInterest;
    }
    return summary;
}

std::vector<ClaimLine> ClaimLines(const ClaimSummary& summary) {
    switch (summary.kind) {
        case ClaimKind::NoEntries: return {};
        case ClaimKind::OverpaymentClaim:
            return {{kOverpaymentLabel, summary.overpayment},
                    {kUnpaidOverpaymentInterestLabel, summary.unpaidOverpaymentInterest},
                    {kClaimLabel, summary.claim}};
        case ClaimKind::PrincipalOwed:
            if (summary.unpaidOverpaymentInterest == 0) return {{kRemainingPrincipalLabel, summary.remainingPrincipal}};
            return {{kRemainingPrincipalLabel, summary.remainingPrincipal},
                    {kUnpaidOverpaymentInterestLabel, summary.unpaidOverpaymentInterest}};
    }
    return {};
}

std::string FormatYen(std::int64_t yen) { return FormatAmount(yen) + "円"; }

std::string FormatClaimLine(const ClaimLine& line) {
    std::string text(line.label);
    text += "　";
    text += FormatYen(line.yen);
    return text;
}

}  // namespace korvalen::engine
