#include "korvalen/cli/case_options.h"

#include <map>

#include "korvalen/engine/errors.h"
#include "korvalen/engine/field_readers.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/engine/message_text.h"

namespace korvalen::cli {
namespace {

constexpr std::string_view kUsage =
    "  --rate=PERCENT               約定利率 RIRITSU（必ず指定、0 は不可）\n"
    "  --method=0..5                日割り計算の方法 KEISAN_KIND（既定 0）\n"
    "  --first-day=yes|no           借入当日の利息を計算する SYONITI_UMU（既定 yes）\n"
    "  --overpayment-rate=PERCENT   過払金の利率 KABARAI_RIRITSU（既定 0）\n"
    "  --settle=offset|end          過払利息の精算 SEISAN_KIND 0 / 1（既定 offset）\n"
    "  --start-date=YYYY-MM-DD      計算開始年月日 START_DAY（既定 なし）\n"
    "  --start-balance=YEN          計算開始時点の残高 START_KARI（既定 0、--start-date と一緒に）\n"
    "  --reference-borrowing=YEN    引直利率適用基準借入 HIKI_RIRITU（既定 0、--start-date と一緒に）\n"
    "  --input-order                同一日は入力順 CHECKBOX = 1（既定 0）\n";

[[noreturn]] void Refuse(std::string_view name, std::string_view value, std::string_view expected) {
    throw UsageError("--" + std::string(name) + " の値「" + engine::QuoteInMessage(value) + "」が不正です。" +
                     std::string(expected));
}

// Runs a field reader and turns its complaint into a usage error.
template <typename Read>
auto Field(std::string_view name, Read read) {
    try {
        return read();
    } catch (const engine::ConversionError& e) {
        throw UsageError("--" + std::string(name) + ": " + e.what());
    }
}

bool Choice(std::string_view name, std::string_view value, std::string_view yes, std::string_view no) {
    if (value == yes) return true;
    if (value == no) return false;
    Refuse(name, value, std::string(yes) + " か " + std::string(no) + " を指定してください。");
}

using Setter = std::function<void(std::string_view value, CaseOptions& options)>;

const std::map<std::string_view, Setter>& ValueOptions() {
    static const std::map<std::string_view, Setter> options = {
        {"table",
         [](std::string_view v, CaseOptions& o) {
             o.table = Choice("table", v, "lender", "recalc") ? engine::CalculationKind::LenderCalculation
                                                              : engine::CalculationKind::Recalculation;
         }},
        {"method",
         [](std::string_view v, CaseOptions& o) {
             if (v.size() != 1 || v[0] < '0' || v[0] > '5') Refuse("method", v, "0 から 5 を指定してください。");
             o.caseRecord.KEISAN_KIND = v[0] - '0';
         }},
        {"rate",
         [](std::string_view v, CaseOptions& o) {
             const double rate = Field("rate", [&] { return engine::ReadPercentField(v, "約定利率"); });
             // The wizard refuses a zero contract rate too: with it every
             // period of the recalculation would run free of interest.
             if (engine::RateToFixed(rate) == 0) Refuse("rate", v, "約定利率は 0 より大きい値を指定してください。");
             o.caseRecord.RIRITSU = rate;
         }},
        {"first-day",
         [](std::string_view v, CaseOptions& o) { o.caseRecord.SYONITI_UMU = Choice("first-day", v, "yes", "no"); }},
        {"overpayment-rate",
         [](std::string_view v, CaseOptions& o) {
             o.caseRecord.KABARAI_RIRITSU =
                 Field("overpayment-rate", [&] { return engine::ReadPercentField(v, "過払金の利率"); });
         }},
        {"settle", [](std::string_view v,
                      CaseOptions& o) { o.caseRecord.SEISAN_KIND = Choice("settle", v, "offset", "end") ? 0 : 1; }},
        {"start-date",
         [](std::string_view v, CaseOptions& o) {
             o.caseRecord.START_DAY = Field("start-date", [&] { return engine::ReadDateField(v, "計算開始年月日"); });
         }},
        {"start-balance",
         [](std::string_view v, CaseOptions& o) {
             o.caseRecord.START_KARI =
                 Field("start-balance", [&] { return engine::ReadAmountField(v, "計算開始時点の残高"); });
         }},
        {"reference-borrowing",
         [](std::string_view v, CaseOptions& o) {
             o.caseRecord.HIKI_RIRITU =
                 Field("reference-borrowing", [&] { return engine::ReadAmountField(v, "引直利率適用基準借入"); });
         }},
    };
    return options;
}

bool Given(const CaseOptions& options, std::string_view name) { return options.given.count(name) != 0; }

}  // namespace

void NoteOptionGiven(std::string_view name, CaseOptions& options) {
    if (!options.given.emplace(name).second) {
        throw UsageError("--" + std::string(name) + " が 2 回指定されています。一つだけ指定してください。");
    }
}

bool ApplyCaseOption(std::string_view argument, CaseOptions& options) {
    if (!argument.starts_with("--")) return false;
    const std::string_view body = argument.substr(2);
    if (body == "input-order" || body == "western" || body == "summary") {
        NoteOptionGiven(body, options);
        if (body == "input-order") options.caseRecord.CHECKBOX = 1;
        if (body == "western") options.westernCalendar = true;
        if (body == "summary") options.summary = true;
        return true;
    }
    const auto equals = body.find('=');
    const std::string_view name = body.substr(0, equals);
    const auto found = ValueOptions().find(name);
    if (found == ValueOptions().end()) return false;
    if (equals == std::string_view::npos) {
        throw UsageError("--" + std::string(name) + " には値が必要です（--" + std::string(name) + "=…）。");
    }
    NoteOptionGiven(name, options);
    found->second(body.substr(equals + 1), options);
    return true;
}

void CheckCaseSettings(const CaseOptions& options) {
    if (!Given(options, "rate")) throw UsageError("約定利率を --rate=PERCENT で指定してください（例 --rate=29.2）。");
    if (options.caseRecord.START_DAY == 0) {
        // Both belong to a calculation that starts from a balance owed at a
        // start date: without one the balance is never used, and a table
        // that silently leaves out what the user typed looks right but is not.
        for (std::string_view name : {"start-balance", "reference-borrowing"}) {
            if (Given(options, name)) {
                throw UsageError("--" + std::string(name) +
                                 " は計算開始年月日（--start-date=YYYY-MM-DD）と一緒に指定してください。");
            }
        }
    }
}

void CheckTableChoices(const CaseOptions& options) {
    if (options.summary && options.table != engine::CalculationKind::Recalculation) {
        throw UsageError("--summary は引直計算の表（--table=recalc）にだけ使えます。");
    }
}

bool IsHelpRequest(std::string_view argument) { return argument == "--help" || argument == "-h"; }

std::string_view CaseOptionsUsage() { return kUsage; }

std::string_view CaseOptionNames() {
    return "--table --method --rate --first-day --overpayment-rate --settle --start-date --start-balance "
           "--reference-borrowing --input-order --western --summary --help";
}

}  // namespace korvalen::cli
