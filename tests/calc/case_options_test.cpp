#include <gtest/gtest.h>

#include "korvalen/cli/case_options.h"

namespace korvalen::cli {
namespace {

TEST(CaseOptions, DefaultsAreThoseOfANewCase) {
    const CaseOptions o;
    EXPECT_EQ(o.table, engine::CalculationKind::Recalculation);
    EXPECT_EQ(o.caseRecord.KEISAN_KIND, 0);
    EXPECT_TRUE(o.caseRecord.SYONITI_UMU);
    EXPECT_EQ(o.caseRecord.SEISAN_KIND, 0);
    EXPECT_EQ(o.caseRecord.START_DAY, 0);
    EXPECT_EQ(o.caseRecord.CHECKBOX, 0);
    EXPECT_FALSE(o.westernCalendar);
    EXPECT_FALSE(o.summary);
}

TEST(CaseOptions, EveryOptionReachesItsField) {
    CaseOptions o;
    for (const char* arg : {"--table=lender", "--method=3", "--rate=29.2", "--first-day=no", "--overpayment-rate=5%",
                            "--settle=end", "--start-date=2006/3/10", "--start-balance=1,500,000",
                            "--reference-borrowing=200000", "--input-order", "--western", "--summary"}) {
        EXPECT_TRUE(ApplyCaseOption(arg, o)) << arg;
    }
    EXPECT_EQ(o.table, engine::CalculationKind::LenderCalculation);
    EXPECT_EQ(o.caseRecord.KEISAN_KIND, 3);
    EXPECT_DOUBLE_EQ(o.caseRecord.RIRITSU, 29.2);
    EXPECT_FALSE(o.caseRecord.SYONITI_UMU);
    EXPECT_DOUBLE_EQ(o.caseRecord.KABARAI_RIRITSU, 5);
    EXPECT_EQ(o.caseRecord.SEISAN_KIND, 1);
    EXPECT_EQ(o.caseRecord.START_DAY, 38786);
    EXPECT_EQ(o.caseRecord.START_KARI, 1500000);
    EXPECT_EQ(o.caseRecord.HIKI_RIRITU, 200000);
    EXPECT_EQ(o.caseRecord.CHECKBOX, 1);
    EXPECT_TRUE(o.westernCalendar);
    EXPECT_TRUE(o.summary);
}

TEST(CaseOptions, OtherArgumentsAreLeftToTheTool) {
    CaseOptions o;
    for (const char* arg : {"history.csv", "--output=x", "-v", "--tablex=1"})
        EXPECT_FALSE(ApplyCaseOption(arg, o)) << arg;
    for (const char* arg :
         {"--method=6", "--method=", "--rate", "--rate=abc", "--rate=0", "--rate=0.00004", "--first-day=maybe",
          "--settle=now", "--start-date=2006-02-30", "--start-balance=-1", "--reference-borrowing=3000000000"}) {
        CaseOptions fresh;
        EXPECT_THROW(ApplyCaseOption(arg, fresh), UsageError) << arg;
    }
}

}  // namespace
}  // namespace korvalen::cli
