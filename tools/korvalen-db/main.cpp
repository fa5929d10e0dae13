// korvalen-db: works on a database folder directly (no settings, no
// dialogs) through the storage code of the program, for offices that
// import lender histories in bulk and for support. Prints UTF-8.
#include <functional>
#include <iostream>
#include <map>
#include <new>
#include <sstream>

#include "backup_commands.h"
#include "commands.h"
#include "korvalen/cli/case_options.h"
#include "korvalen/engine/errors.h"
#include "korvalen/engine/message_text.h"
#include "korvalen/platform/errors.h"
#include "korvalen/tablestore/errors.h"
#include "print_command.h"

namespace {

using namespace korvalen;
using dbtool::Arguments;

constexpr std::string_view kUsage =
    "使い方:\n"
    "  korvalen-db init FOLDER                  フォルダと足りないテーブルを作る\n"
    "  korvalen-db list FOLDER                  事件の一覧（SEQ、債権者、債務者、件数をタブ区切り）\n"
    "  korvalen-db import FOLDER HISTORY.csv [--creditor=…] [--debtor=…] [--remarks=…] --rate=PERCENT [事件の設定]\n"
    "                                           新しい事件として保存し、その SEQ を表示する\n"
    "  korvalen-db export FOLDER SEQ            事件の取引を履歴 CSV で出力する\n"
    "  korvalen-db show FOLDER SEQ              事件の見出しを「項目<TAB>値」で出力する\n"
    "  korvalen-db calc FOLDER SEQ [--table=lender|recalc] [--western] [--summary]\n"
    "                                           保存された事件の計算表（korvalen-calc と同じ形式）\n"
    "                                           --summary: 引直計算の表の後に請求額\n"
    "  korvalen-db delete FOLDER SEQ...         事件を削除する\n"
    "  korvalen-db duplicate FOLDER SEQ         事件を複製し、新しい SEQ を表示する\n"
    "  korvalen-db check FOLDER                 全テーブルを検査する（問題があれば終了コード 1）\n"
    "  korvalen-db print FOLDER SEQ --pdf FILE [--pages=FROM-TO] [--western]\n"
    "                                           保存された事件の計算書を PDF に書き出す\n"
    "  korvalen-db --help                       この説明を表示する\n"
    "終了コード: 0 成功、1 check が問題を見つけた、2 入力の誤り（何も保存しない）、3 エンジンのエラー\n"
    "履歴ファイル（import）: korvalen-calc --help を参照\n"
    "事件の設定（import）:\n";

using Command = std::function<int(const Arguments&, std::ostream&)>;

const std::map<std::string_view, Command>& Commands() {
    static const std::map<std::string_view, Command> commands = {
        {"init", dbtool::Init},     {"list", dbtool::List},           {"import", dbtool::Import},
        {"export", dbtool::Export}, {"show", dbtool::Show},           {"calc", dbtool::Calc},
        {"delete", dbtool::Delete}, {"duplicate", dbtool::Duplicate}, {"check", dbtool::Check},
        {"print", dbtool::Print},   {"backup", dbtool::Backup},       {"restore", dbtool::Restore},
    };
    return commands;
}

int Fail(int code, const std::string& message) {
    std::cerr << "korvalen-db: " << dbtool::UnixLineBreaks(message) << '\n';
    return code;
}

bool HelpAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (cli::IsHelpRequest(argv[i])) return true;
    }
    return false;
}

int PrintHelp() {
    std::cout << kUsage << dbtool::BackupUsage() << cli::CaseOptionsUsage();
    std::cout.flush();
    return std::cout ? dbtool::kOk : dbtool::kEngineError;
}

}  // namespace

int main(int argc, char** argv) {
    if (HelpAsked(argc, argv)) return PrintHelp();
    if (argc < 2 || !Commands().count(argv[1])) {
        std::cerr << kUsage << dbtool::BackupUsage() << cli::CaseOptionsUsage();
        return argc < 2 ? dbtool::kBadInput
                        : Fail(dbtool::kBadInput, "不明なコマンドです: " + engine::QuoteInMessage(argv[1]));
    }
    const Arguments args(argv + 2, argv + argc);
    if (const auto refused = dbtool::RefuseInterruptedRestore(argv[1], args)) return *refused;
    // The output is printed only once the command has succeeded, so a
    // failure never leaves half a listing behind.
    std::ostringstream out;
    int code = dbtool::kOk;
    try {
        code = Commands().at(argv[1])(args, out);
    } catch (const cli::UsageError& e) {
        return Fail(dbtool::kBadInput, e.what());
    } catch (const tablestore::DataError& e) {
        return Fail(dbtool::kBadInput, e.message());
    } catch (const engine::CalculationError& e) {
        // The calculation refused the stored case's settings or figures.
        return Fail(dbtool::kBadInput, e.what());
    } catch (const tablestore::EngineError& e) {
        std::string text = "エラーコード " + std::to_string(e.code()) + ": " + e.message();
        if (!e.detail().empty()) text += "（" + e.detail() + "）";
        return Fail(dbtool::kEngineError, text);
    } catch (const platform::PlatformError& e) {
        return Fail(dbtool::kEngineError, e.what());
    } catch (const std::bad_alloc&) {
        // Reading a history is bounded by the size of a case; this is a
        // machine short of memory, never a reason to end without a word.
        return Fail(dbtool::kEngineError, "メモリが足りないため続けられません。");
    }
    std::cout << out.str();
    std::cout.flush();
    return std::cout ? code : dbtool::kEngineError;
}
