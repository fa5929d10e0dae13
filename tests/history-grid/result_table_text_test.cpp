// The result tables as text for the clipboard.
#include <gtest/gtest.h>

#include "grid_fixture.h"
#include "korvalen/engine/calculation.h"
#include "korvalen/wizard/result_table_text.h"

namespace korvalen::wizard {
namespace {

struct Tables {
    engine::HistoryList history = fixtures::History("2005-01-10,300000,0\n2005-02-10,0,20000\n2005-03-10,0,20000\n");
    engine::CaseRecord settings = [] {
        engine::CaseRecord c;
        c.RIRITSU = 29.2;
        c.SYONITI_UMU = false;
        return c;
    }();
    engine::ResultTable lender =
        engine::RunCalculation(engine::CalculationKind::LenderCalculation, history, settings, {true, {}});
    engine::HistoryList copy = engine::CopyHistory(history);
    engine::ResultTable recalculation =
        engine::RunCalculation(engine::CalculationKind::Recalculation, copy, settings, {true, {}});
};

TEST(ResultRowsText, SelectedRowsComeUnderTheHeadingRowTabSeparated) {
    Tables t;
    EXPECT_EQ(ResultRowsText(t.recalculation, {2, 3}),
              "取引日\t借入額\t返済額\t日数\t利率\t利息\t元金返済額\t残元金\t未払利息\t過払利息\t未払過払利息\n"
              "05/02/10\t0\t20,000\t31\t18.000\t4,586\t15,414\t284,586\t\t0\t\n"
              "05/03/10\t0\t20,000\t28\t18.000\t3,929\t16,071\t268,515\t\t0\t\n");
}

TEST(ResultRowsText, WithNoEntryRowChosenEveryEntryRowIsTakenAndTheSpacerLeftOut) {
    Tables t;
    const std::string expected =
        "取引日\t借入額\t返済額\t日数\t利率\t利息\t元金返済額\t残元金\t未払利息\n"
        "05/01/10\t300,000\t0\t\t29.200\t0\t0\t300,000\t\n"
        "05/02/10\t0\t20,000\t31\t29.200\t7,440\t12,560\t287,440\t\n"
        "05/03/10\t0\t20,000\t28\t29.200\t6,438\t13,562\t273,878\t\n";
    EXPECT_EQ(ResultRowsText(t.lender, {}), expected);
    EXPECT_EQ(ResultRowsText(t.lender, {10, 49}), expected);  // padding rows only
}

}  // namespace
}  // namespace korvalen::wizard
