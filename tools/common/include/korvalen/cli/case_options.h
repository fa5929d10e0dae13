// The case options of the command-line tools (--method, --rate, ...).
#pragma once

#include <functional>
#include <set>
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
    // The claim's figures printed under the recalculation table.
    bool summary = false;
    // The names of the options given so far ("rate", "creditor"), so that
    // one given twice is refused rather than the last silently winning.
    std::set<std::string, std::less<>> given;
};

// Applies one argument if it is a case option (or --table, --western,
// --summary) and returns true; returns false for anything else (a file
// name, another tool's option). Throws UsageError for a case option with a
// bad value or given a second time.
bool ApplyCaseOption(std::string_view argument, CaseOptions& options);

// Notes an option of the tool's own (without "--"); throws UsageError the
// second time it is given.
void NoteOptionGiven(std::string_view name, CaseOptions& options);

// Once every argument is applied, for a tool that takes a case's settings
// from its command line: --rate is given, and --start-balance and
// --reference-borrowing only come with --start-date. Throws UsageError.
void CheckCaseSettings(const CaseOptions& options);

// Once every argument is applied, for a tool that prints a table:
// --summary only with the recalculation. Throws UsageError.
void CheckTableChoices(const CaseOptions& options);

// Whether the argument asks for the usage.
bool IsHelpRequest(std::string_view argument);

// The usage lines of the settings a case keeps; --table, --western and
// --summary, which only choose what is printed, are left to the tool that
// prints.
std::string_view CaseOptionsUsage();
// The option names on one line, for a message about an unknown option.
std::string_view CaseOptionNames();

}  // namespace korvalen::cli
