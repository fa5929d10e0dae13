// The case options of the command-line tools (--method, --rate, ...).
#pragma once

#include <string>
#include <string_view>

#include "korvalen/base/user_error.h"
#include "korvalen/engine/calculation.h"
#include "korvalen/engine/case_model.h"

namespace korvalen::cli {

// A command line the tool cannot follow; what() is the Japanese message.
class UsageError : public base::UserError {
public:
    using base::UserError::UserError;
};

struct CaseOptions {
    engine::CaseRecord caseRecord;  // a new case's defaults, first-day interest on
    engine::CalculationKind table = engine::CalculationKind::Recalculation;
    bool westernCalendar = false;
};

// Applies one argument if it is a case option and returns true; returns
// false for anything else (a file name, another tool's option). Throws
// UsageError for a case option with a bad value.
bool ApplyCaseOption(std::string_view argument, CaseOptions& options);

// The usage lines of the settings a case keeps; --table and --western,
// which only choose what is printed, are left to the tool that prints.
std::string_view CaseOptionsUsage();
// The option names on one line, for a message about an unknown option.
std::string_view CaseOptionNames();

}  // namespace korvalen::cli
