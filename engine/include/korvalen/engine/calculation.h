// The lender's calculation and the statutory recalculation of one case.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/result_table.h"

namespace korvalen::engine {

struct CalculationWarning {
    std::size_t entryIndex;  // the entry whose period gave the warning, from 0
    std::string message;     // the text to show, exactly
};

// An empty sink writes each warning's message as one line to std::cerr, so
// a warning is never dropped unseen.
using CalculationWarningSink = std::function<void(const CalculationWarning&)>;

struct CalculationOptions {
    bool westernCalendar = false;  // Western dates instead of era dates
    CalculationWarningSink onWarning;
};

// Runs one calculation over the entries in list order with the settings of
// `caseRecord` and returns its table. A recalculation overwrites each
// entry's rate with the rate it applied to the entry's period, the one its
// table shows: the limit rate, or the entry's contract rate where that is
// lower. Give it the recalculation copy (CopyHistory), never the history
// list; a second run over the same copy gives the same table. The lender's
// calculation leaves the entries as they are. Throws InvalidCaseSetting for
// a day-count method outside 0..5 and CalculationOverflow when a figure
// outgrows its width.
ResultTable RunCalculation(CalculationKind kind, HistoryList& entries, const CaseRecord& caseRecord,
                           const CalculationOptions& options = {});

// The lender's calculation straight over the history list, which it only
// reads: no copy is needed. The same table as RunCalculation's of that kind.
ResultTable RunLenderCalculation(const HistoryList& entries, const CaseRecord& caseRecord,
                                 const CalculationOptions& options = {});

}  // namespace korvalen::engine
