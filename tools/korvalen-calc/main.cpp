// korvalen-calc: computes the lender's calculation or the statutory
// recalculation of one history file and prints the table as TSV.
#include <iostream>
#include <optional>
#include <string>

#include "korvalen/cli/case_options.h"
#include "korvalen/cli/history_file.h"
#include "korvalen/cli/result_tsv.h"
#include "korvalen/engine/errors.h"

namespace {

using namespace korvalen;

constexpr int kBadInput = 2;
constexpr std::string_view kProgram = "korvalen-calc";

struct Invocation {
    cli::CaseOptions options;
    std::string file;
};

Invocation ParseArguments(int argc, char** argv) {
    Invocation invocation;
    std::optional<std::string> file;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (cli::ApplyCaseOption(argument, invocation.options)) continue;
        if (argument.size() > 1 && argument.front() == '-') {
            throw cli::UsageError("不明なオプションです: " + std::string(argument) +
                                  "（使えるオプション: " + std::string(cli::CaseOptionNames()) + "）");
        }
        if (file)
            throw cli::UsageError("履歴ファイルは一つだけ指定してください（" + *file + "、" + std::string(argument) +
                                  "）。");
        file = std::string(argument);
    }
    if (!file) throw cli::UsageError("履歴ファイル（HISTORY.csv）を指定してください。");
    invocation.file = *file;
    return invocation;
}

int Fail(const std::string& message) {
    std::cerr << kProgram << ": " << message << '\n';
    return kBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    Invocation invocation;
    try {
        invocation = ParseArguments(argc, argv);
    } catch (const cli::UsageError& e) {
        return Fail(e.what());
    }

    const std::string& file = invocation.file;
    const cli::CaseOptions& options = invocation.options;
    std::string tsv;
    try {
        engine::HistoryList entries = cli::ReadHistoryFile(file, options.caseRecord);
        tsv = cli::CalculationTsv(options.table, entries, options.caseRecord, options.westernCalendar,
                                  std::string(kProgram) + ": 警告: " + file);
    } catch (const cli::UsageError& e) {
        return Fail(e.what());
    } catch (const engine::CalculationError& e) {
        return Fail(file + ": " + e.what());
    }
    std::cout << tsv;
    std::cout.flush();
    return std::cout ? 0 : 1;
}
