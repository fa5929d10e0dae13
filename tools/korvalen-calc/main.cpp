// korvalen-calc: computes the lender's calculation or the statutory
// recalculation of one history file and prints the table as TSV.
#include <iostream>
#include <new>
#include <optional>
#include <string>

#include "korvalen/cli/case_options.h"
#include "korvalen/cli/history_file.h"
#include "korvalen/cli/result_tsv.h"
#include "korvalen/engine/errors.h"
#include "korvalen/engine/message_text.h"

namespace {

using namespace korvalen;

constexpr int kBadInput = 2;
constexpr int kCannotRun = 3;
constexpr std::string_view kProgram = "korvalen-calc";

constexpr std::string_view kUsage =
    "使い方: korvalen-calc --rate=PERCENT [オプション] HISTORY.csv\n"
    "履歴ファイルの業者計算または引直計算の表をタブ区切りで表示します。\n"
    "  --table=lender|recalc        表示する表（既定 recalc = 引直計算）\n"
    "  --summary                    引直計算の表の後に請求額（過払金・未払過払利息・請求額、または残元金）\n"
    "  --western                    日付を西暦で表示（既定は和暦）\n";

constexpr std::string_view kFileUsage =
    "履歴ファイル: 1 行 1 取引の「年月日,借入,返済[,利率]」（UTF-8 または Shift-JIS）。1 行目は見出しでもよい。\n"
    "  すべての行の項目の数は 1 行目と同じ（3 つか 4 つ）。3 桁区切りの金額は \"1,000\" のように引用符で囲む。\n"
    "終了コード: 0 成功、2 入力の誤り（標準出力には何も出さない）、3 メモリ不足などで計算できない。\n";

struct Invocation {
    cli::CaseOptions options;
    std::string file;
    bool help = false;
};

Invocation ParseArguments(int argc, char** argv) {
    Invocation invocation;
    for (int i = 1; i < argc; ++i) {
        if (cli::IsHelpRequest(argv[i])) {
            invocation.help = true;
            return invocation;
        }
    }
    std::optional<std::string> file;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (cli::ApplyCaseOption(argument, invocation.options)) continue;
        if (argument.size() > 1 && argument.front() == '-') {
            throw cli::UsageError("不明なオプションです: " + engine::QuoteInMessage(argument) +
                                  "（使えるオプション: " + std::string(cli::CaseOptionNames()) + "）");
        }
        if (file) {
            throw cli::UsageError("履歴ファイルは一つだけ指定してください（" + engine::QuoteInMessage(*file) + "、" +
                                  engine::QuoteInMessage(argument) + "）。");
        }
        file = std::string(argument);
    }
    if (!file) throw cli::UsageError("履歴ファイル（HISTORY.csv）を指定してください（使い方は --help）。");
    cli::CheckCaseSettings(invocation.options);
    cli::CheckTableChoices(invocation.options);
    invocation.file = *file;
    return invocation;
}

int Fail(int code, const std::string& message) {
    std::cerr << kProgram << ": " << message << '\n';
    return code;
}

int Run(int argc, char** argv) {
    Invocation invocation;
    try {
        invocation = ParseArguments(argc, argv);
    } catch (const cli::UsageError& e) {
        return Fail(kBadInput, e.what());
    }
    if (invocation.help) {
        std::cout << kUsage << cli::CaseOptionsUsage() << kFileUsage;
        std::cout.flush();
        return std::cout ? 0 : 1;
    }

    const std::string& file = invocation.file;
    const cli::CaseOptions& options = invocation.options;
    engine::HistoryCsv history;
    cli::CalculationText text;
    try {
        history = cli::ReadHistoryFile(file, options.caseRecord);
        text =
            cli::RunCalculationText(options.table, history.entries, options.caseRecord, options.westernCalendar,
                                    options.summary, std::string(kProgram) + ": 警告: " + engine::EscapeControls(file));
    } catch (const cli::UsageError& e) {
        return Fail(kBadInput, e.what());
    } catch (const engine::CalculationError& e) {
        return Fail(kBadInput, engine::EscapeControls(file) + ": " + e.what());
    }
    // Warnings only once the table stands: refused input gets its one message.
    cli::PrintReadWarnings(std::cerr, kProgram, file, history.warnings);
    std::cerr << text.warnings;
    std::cout << text.tsv;
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        // Reading is bounded by the size of a case; this is a machine short
        // of memory, never a reason to end without a word.
        return Fail(kCannotRun, "メモリが足りないため計算できません。");
    }
}
