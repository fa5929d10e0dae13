#include "korvalen/engine/claim_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history_fixture.h"
#include "korvalen/engine/calculation.h"

namespace korvalen::engine {
namespace {

using fixtures::EntryRow;
using fixtures::MakeHistory;

CaseRecord SummaryCase(int seisanKind) {
    CaseRecord c;
    c.RIRITSU = 29.2;
    c.SYONITI_UMU = false;
    c.KABARAI_RIRITSU = 5;
    c.SEISAN_KIND = seisanKind;
    return c;
}

TEST(SummariseClaim, PrintsWhatTheLastRowOfTheRecalculationMeans) {
    struct Case {
        const char* name;
        int seisanKind;
        std::vector<EntryRow> history;
        ClaimKind kind;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"overpaid, with overpayment interest not yet settled",
         1,
         {{"2005-01-10", 50000, 0}, {"2005-03-10", 0, 60000}, {"2005-06-10", 0, 10000}},
         ClaimKind::OverpaymentClaim,
         {"過払金　18,384円", "未払過払利息　105円", "請求額　18,489円"}},
        {"paid off to the yen: nothing either way",
         0,
         {{"2005-01-10", 50000, 0}, {"2005-01-10", 0, 50000}},
         ClaimKind::OverpaymentClaim,
         {"過払金　0円", "未払過払利息　0円", "請求額　0円"}},
        {"principal still owed",
         0,
         {{"2005-01-10", 300000, 0}, {"2005-02-10", 0, 20000}, {"2005-03-10", 0, 20000}},
         ClaimKind::PrincipalOwed,
         {"残元金　268,515円"}},
        {"principal owed again after an overpayment whose interest was kept for the end",
         1,
         {{"2005-01-10", 50000, 0}, {"2005-03-10", 0, 60000}, {"2005-06-10", 30000, 0}, {"2005-07-10", 0, 10000}},
         ClaimKind::PrincipalOwed,
         {"残元金　11,971円", "未払過払利息　105円"}},
        {"the same history with the interest settled out of the borrowing",
         0,
         {{"2005-01-10", 50000, 0}, {"2005-03-10", 0, 60000}, {"2005-06-10", 30000, 0}, {"2005-07-10", 0, 10000}},
         ClaimKind::PrincipalOwed,
         {"残元金　11,864円"}},
        {"no entries", 0, {}, ClaimKind::NoEntries, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto entries = MakeHistory(c.history);
        const ClaimSummary summary =
            SummariseClaim(RunCalculation(CalculationKind::Recalculation, entries, SummaryCase(c.seisanKind)));
        EXPECT_EQ(summary.kind, c.kind);
        std::vector<std::string> lines;
        for (const ClaimLine& line : ClaimLines(summary)) lines.push_back(FormatClaimLine(line));
        EXPECT_EQ(lines, c.lines);
    }
}

}  // namespace
}  // namespace korvalen::engine
