#include "backup_commands.h"

#include "commands.h"

#include <unistd.h>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "korvalen/backup/backup_restore.h"
#include "korvalen/backup/file_utils.h"
#include "korvalen/backup/restore_mark.h"
#include "korvalen/cli/case_options.h"
#include "korvalen/engine/message_text.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/paths.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/shared_options.h"
#include "korvalen/storage/table_setup.h"
#include "korvalen/tablestore/database.h"

namespace korvalen::dbtool {

namespace {

using cli::UsageError;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;

constexpr std::string_view kUsage =
    "  korvalen-db backup FOLDER DEST [--lzh|--cab] [--name=NAME] [--overwrite]\n"
    "                                           DEST 内のフォルダ NAME（既定 BAK_K+今日の yymmdd）へバックアップする\n"
    "                                           （--lzh/--cab: そのフォルダ内に書庫を一つ作る）\n"
    "  korvalen-db restore FOLDER SOURCE        バックアップフォルダまたは LZH 書庫から復元する\n";

// The dialog's boxes on a terminal: warnings and questions on stderr,
// notices on the command's output; a question is answered as the flags say.
class TerminalMessages final : public platform::MessageService {
public:
    TerminalMessages(std::ostream& out, bool answerOk, std::string declined)
        : out_(out), answerOk_(answerOk), declined_(std::move(declined)) {}

    void ShowPlain(const std::string& text) override { Show(MessageType::Plain, Buttons::Ok, text); }
    Answer Show(MessageType type, Buttons buttons, const std::string& text) override {
        if (buttons == Buttons::Yes || type == MessageType::Information) {
            out_ << UnixLineBreaks(text) << '\n';
            return buttons == Buttons::Yes ? Answer::Yes : Answer::Ok;
        }
        if (buttons == Buttons::Ok) {
            std::cerr << "korvalen-db: " << UnixLineBreaks(text) << '\n';
            return Answer::Ok;
        }
        if (answerOk_) return Answer::Ok;
        std::cerr << "korvalen-db: " << UnixLineBreaks(text) << '\n' << declined_ << '\n';
        return Answer::Cancel;
    }

private:
    std::ostream& out_;
    bool answerOk_;
    std::string declined_;
};

const char* PhaseText(backup::WorkPhase phase) {
    switch (phase) {
        case backup::WorkPhase::BackupCopy: return "コピー";
        case backup::WorkPhase::Packing: return "圧縮";
        case backup::WorkPhase::SafetyCopy: return "退避";
        case backup::WorkPhase::RestoreCopy: return "復元";
        case backup::WorkPhase::Unpacking: return "解凍";
        case backup::WorkPhase::PuttingBack: return "元に戻す";
        case backup::WorkPhase::Emptying:
        case backup::WorkPhase::Cleaning:
        case backup::WorkPhase::Sizing: break;
    }
    return nullptr;
}

// Progress on stderr: one line per file, or one line rewritten in place
// on a terminal.
backup::BackupHooks TerminalProgress() {
    backup::BackupHooks hooks;
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    hooks.step = [terminal](const backup::WorkStep& step) {
        const char* what = PhaseText(step.phase);
        if (what == nullptr) return;
        if (terminal) {
            std::cerr << "\r\x1b[K" << what << ": " << step.name << std::flush;
        } else {
            std::cerr << what << ": " << step.name << '\n';
        }
    };
    hooks.busy = [terminal](backup::BusyState state) {
        if (terminal && state == backup::BusyState::Idle) std::cerr << "\r\x1b[K" << std::flush;
    };
    return hooks;
}

// The folder as the program names it: absolute, so that the mark of a
// restore names it the same from any current folder.
std::string AbsoluteFolder(const std::string& folder) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    return backup::AddBackslash(ec ? folder : absolute.lexically_normal().string());
}

// A restore cut off may have left the folder without its case table; the
// restore that takes it up is the one command that accepts it so.
std::string DatabaseFolderArgument(const std::string& folder) {
    const std::string absolute = AbsoluteFolder(ExistingFolder(folder));
    if (!platform::FileExists(absolute + "SinseiT13.dat") && !backup::FindInterruptedRestore(absolute))
        throw UsageError("データベースフォルダではありません（SinseiT13.dat がありません）: " + folder);
    return absolute;
}

int ExitCodeOf(backup::Outcome outcome) {
    switch (outcome) {
        case backup::Outcome::Done: return kOk;
        case backup::Outcome::Refused: return kBadInput;
        case backup::Outcome::Failed:
        case backup::Outcome::Busy: break;
    }
    return kBackupFailed;
}

}  // namespace

std::string_view BackupUsage() { return kUsage; }

int Backup(const Arguments& args, std::ostream& out) {
    if (args.size() < 2)
        throw UsageError("使い方: korvalen-db backup FOLDER DEST [--lzh|--cab] [--name=NAME] [--overwrite]");
    backup::BackupRequest request;
    request.directory = args[1];
    bool overwrite = false;
    std::string name;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (argument == "--lzh" || argument == "--cab") {
            if (request.compress) throw UsageError("--lzh と --cab はどちらか一つだけ指定して下さい。");
            request.compress = true;
            request.type = argument == "--lzh" ? backup::CompressionType::Lzh : backup::CompressionType::Cab;
        } else if (argument == "--overwrite") {
            overwrite = true;
        } else if (argument.starts_with("--name=")) {
            name.assign(argument, 7);
            if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
                throw UsageError("--name にはフォルダ名だけを指定して下さい: " + engine::QuoteInMessage(argument));
        } else {
            throw UsageError("不明な引数です: " + engine::QuoteInMessage(argument) +
                             "（使えるもの: --lzh --cab --name= --overwrite）");
        }
    }
    const platform::SystemClock clock;
    request.folderName = name.empty() ? backup::DefaultBackupFolderName(clock.Today()) : name;
    TerminalMessages messages(out, overwrite, "（上書きする場合は --overwrite を指定して下さい）");
    backup::BackupSetup setup;
    setup.databaseFolder = DatabaseFolderArgument(args[0]);
    setup.messages = &messages;
    setup.clock = &clock;
    backup::BackupRestore procedure(setup, TerminalProgress());
    return ExitCodeOf(procedure.Backup(request).outcome);
}

int Restore(const Arguments& args, std::ostream& out) {
    if (args.size() != 2) throw UsageError("使い方: korvalen-db restore FOLDER SOURCE");
    const std::string& source = args[1];
    const bool archive = platform::FileExists(source);
    if (archive && platform::UpperAscii(backup::FileExtension(source)) != ".LZH")
        throw UsageError("復元できる書庫は LZH だけです（CAB は展開したフォルダから復元して下さい）: " + source);
    const platform::SystemClock clock;
    TerminalMessages messages(out, true, {});
    tablestore::Database database;
    backup::BackupSetup setup;
    setup.databaseFolder = DatabaseFolderArgument(args[0]);
    setup.messages = &messages;
    setup.clock = &clock;
    database.setDirectory(setup.databaseFolder);
    // What the program's data module does after a restore, without its settings.
    setup.rebuildAfterRestore = [&database] {
        if (database.tableExists(storage::kPcTable)) database.deleteTable(storage::kPcTable);
        storage::CreateAndUpgradeTables(database);
        if (!storage::ReadOptionsRow(database)) storage::StoreOptionsRow(database, storage::SharedOptions{});
        database.disconnect();
    };
    setup.disconnectDatabase = [&database] { database.disconnect(); };
    backup::BackupRestore procedure(setup, TerminalProgress());
    const backup::RestoreResult result =
        archive ? procedure.RestoreFromArchive(source) : procedure.RestoreFromFolder(source);
    return ExitCodeOf(result.outcome);
}

std::optional<int> RefuseInterruptedRestore(std::string_view command, const Arguments& args) {
    if (command == "restore" || args.empty()) return std::nullopt;
    const auto notice = backup::InterruptedRestoreNotice(AbsoluteFolder(args[0]));
    if (!notice) return std::nullopt;
    std::cerr << "korvalen-db: " << UnixLineBreaks(*notice) << '\n'
              << "korvalen-db: korvalen-db restore " << args[0] << " バックアップ でも復元をやり直せます。\n";
    return command == "check" ? kProblemsFound : kEngineError;
}

}  // namespace korvalen::dbtool
