#include "commands.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <set>

#include "folder_check.h"
#include "korvalen/cli/case_options.h"
#include "korvalen/cli/history_file.h"
#include "korvalen/cli/result_tsv.h"
#include "korvalen/engine/history_csv.h"
#include "korvalen/engine/message_text.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/machine_info.h"
#include "korvalen/storage/build_lock.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/shared_options.h"
#include "korvalen/storage/table_setup.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"

namespace korvalen::dbtool {

namespace {

using cli::UsageError;

void ExpectCount(const Arguments& args, std::size_t count, std::string_view shape) {
    if (args.size() != count) throw UsageError("引数が違います。使い方: korvalen-db " + std::string(shape));
}

// A text option of import: "--name=value", or nothing when the argument is
// another one.
std::optional<std::string> TextOption(std::string_view argument, std::string_view name, cli::CaseOptions& options) {
    const std::string prefix = "--" + std::string(name) + "=";
    if (!argument.starts_with(prefix)) return std::nullopt;
    cli::NoteOptionGiven(name, options);
    std::string value(argument.substr(prefix.size()));
    for (unsigned char c : value) {
        // A line break or tab would split the list's lines and fields.
        if (c < 0x20 || c == 0x7F)
            throw UsageError("--" + std::string(name) + " に制御文字（改行やタブ）は使えません。");
    }
    return value;
}

std::string FormatDate(std::int32_t day) { return day == 0 ? std::string() : engine::FormatIsoDate(day); }

std::string FormatFloat(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string FieldText(const tablestore::Field& field) {
    if (field.isNull()) return {};
    switch (field.type()) {
        case tablestore::FieldType::String: return field.asString();
        case tablestore::FieldType::Float: return FormatFloat(field.asFloat());
        case tablestore::FieldType::Date: return FormatDate(field.asDate());
        case tablestore::FieldType::Boolean: return field.asBoolean() ? "1" : "0";
        case tablestore::FieldType::Int16:
        case tablestore::FieldType::Int32: return std::to_string(field.asInteger());
    }
    return {};
}

}  // namespace

std::string ExistingFolder(const std::string& folder) {
    if (!platform::FolderExists(folder)) throw UsageError("データベースフォルダがありません: " + folder);
    return folder;
}

Folder::Folder(const std::string& path) {
    database.setDirectory(ExistingFolder(path));
    RequireDatabase(database, path);
}

storage::StoredCase LoadExisting(tablestore::Database& database, std::int32_t seq) {
    auto stored = storage::LoadCase(database, seq);
    if (!stored) throw UsageError("事件番号 " + std::to_string(seq) + " の事件はありません。");
    return std::move(*stored);
}

std::string UnixLineBreaks(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

std::int32_t ParseSeq(const std::string& text) {
    std::int32_t seq = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seq);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || seq < 0 ||
        seq > storage::kHighestSeq) {
        throw UsageError("事件番号（SEQ）は 0 から 32767 の整数で指定してください: " + text);
    }
    return seq;
}

void RequireDatabase(const tablestore::Database& database, const std::string& folder) {
    for (const storage::TableLayout& layout : storage::AllTableLayouts()) {
        if (database.tableExists(layout.name)) return;
    }
    throw UsageError("このフォルダにはデータベースがありません: " + folder + "\n作成するには korvalen-db init " +
                     folder + " を実行して下さい。");
}

int Init(const Arguments& args, std::ostream&) {
    ExpectCount(args, 1, "init FOLDER");
    const std::string& folder = args[0];
    platform::CreateFolders(folder);
    tablestore::Database database;
    database.setDirectory(folder);
    // Built under the same lock as a PC's first start, so the two never
    // build or upgrade the same tables at once.
    storage::BuildLock lock(folder, platform::ComputerName());
    if (!lock.Acquire(true)) {
        std::cerr << "korvalen-db: 他のパソコン（" << lock.Holder().value_or("") << "）がテーブルを作成中です。"
                  << "しばらくしてから実行して下さい。そのパソコンが起動していない場合は " << lock.File()
                  << " を削除して下さい。\n";
        return kEngineError;
    }
    storage::CreateAndUpgradeTables(database);
    // Every PC that starts on the folder later takes these as its options.
    if (!storage::ReadOptionsRow(database)) storage::StoreOptionsRow(database, storage::SharedOptions{});
    return kOk;
}

int List(const Arguments& args, std::ostream& out) {
    ExpectCount(args, 1, "list FOLDER");
    Folder folder(args[0]);
    for (const storage::CaseListRow& row : storage::ListCases(folder.database)) {
        out << row.seq << '\t' << row.creditor << '\t' << row.debtor << '\t' << row.entryCount << '\n';
    }
    return kOk;
}

int Import(const Arguments& args, std::ostream& out) {
    if (args.size() < 2)
        throw UsageError(
            "使い方: korvalen-db import FOLDER HISTORY.csv [--creditor=…] [--debtor=…] [--remarks=…] --rate=PERCENT "
            "[事件の設定]");
    cli::CaseOptions options;
    engine::CaseRecord& header = options.caseRecord;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (argument.starts_with("--table") || argument == "--western" || argument == "--summary") {
            throw UsageError(engine::QuoteInMessage(argument) + " は calc の指定です。import では使えません。");
        }
        if (auto v = TextOption(argument, "creditor", options)) {
            header.GYOSYA_NAME = *v;
            continue;
        }
        if (auto v = TextOption(argument, "debtor", options)) {
            header.NAME = *v;
            continue;
        }
        if (auto v = TextOption(argument, "remarks", options)) {
            header.BIKO = *v;
            continue;
        }
        if (cli::ApplyCaseOption(argument, options)) continue;
        throw UsageError("不明な引数です: " + engine::QuoteInMessage(argument) +
                         "（使えるもの: --creditor --debtor --remarks " + std::string(cli::CaseOptionNames()) + "）");
    }
    cli::CheckCaseSettings(options);
    Folder folder(args[0]);
    const engine::HistoryCsv history = cli::ReadHistoryFile(args[1], header);
    out << storage::SaveNewCase(folder.database, header, history.entries) << '\n';
    cli::PrintReadWarnings(std::cerr, "korvalen-db", args[1], history.warnings);
    return kOk;
}

int Export(const Arguments& args, std::ostream& out) {
    ExpectCount(args, 2, "export FOLDER SEQ");
    const std::int32_t seq = ParseSeq(args[1]);
    Folder folder(args[0]);
    out << engine::WriteHistoryCsv(LoadExisting(folder.database, seq).history);
    return kOk;
}

int Show(const Arguments& args, std::ostream& out) {
    ExpectCount(args, 2, "show FOLDER SEQ");
    const std::int32_t seq = ParseSeq(args[1]);
    Folder folder(args[0]);
    tablestore::Table cases(folder.database, std::string(storage::kCaseTable));
    cases.open();
    if (!cases.findKey({engine::kCaseCode, seq}))
        throw UsageError("事件番号 " + std::to_string(seq) + " の事件はありません。");
    for (int i = 0; i < cases.fieldCount(); ++i) {
        const tablestore::Field field = cases.field(i);
        out << field.name() << '\t' << FieldText(field) << '\n';
    }
    return kOk;
}

int Calc(const Arguments& args, std::ostream& out) {
    if (args.size() < 2)
        throw UsageError("使い方: korvalen-db calc FOLDER SEQ [--table=lender|recalc] [--western] [--summary]");
    cli::CaseOptions options;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (!(argument.starts_with("--table=") || argument == "--western" || argument == "--summary")) {
            throw UsageError(
                "calc で使えるのは --table、--western と --summary だけです（事件の設定は保存されたものを使います）: " +
                engine::QuoteInMessage(argument));
        }
        cli::ApplyCaseOption(argument, options);
    }
    cli::CheckTableChoices(options);
    const std::int32_t seq = ParseSeq(args[1]);
    Folder folder(args[0]);
    storage::StoredCase stored = LoadExisting(folder.database, seq);
    const cli::CalculationText text =
        cli::RunCalculationText(options.table, stored.history, stored.header, options.westernCalendar, options.summary,
                                "korvalen-db: 警告: 事件 " + std::to_string(seq));
    std::cerr << text.warnings;
    out << text.tsv;
    return kOk;
}

int Delete(const Arguments& args, std::ostream&) {
    if (args.size() < 2) throw UsageError("使い方: korvalen-db delete FOLDER SEQ...");
    std::vector<std::int32_t> seqs;
    std::set<std::int32_t> seen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::int32_t seq = ParseSeq(args[i]);
        if (seen.insert(seq).second) seqs.push_back(seq);
    }
    Folder folder(args[0]);
    // Every number is checked before the first case goes.
    std::set<std::int32_t> stored;
    for (const auto& row : storage::ListCases(folder.database)) stored.insert(row.seq);
    for (std::int32_t seq : seqs) {
        if (!stored.count(seq))
            throw UsageError("事件番号 " + std::to_string(seq) + " の事件はありません（何も削除していません）。");
    }
    storage::DeleteCases(folder.database, seqs);
    return kOk;
}

int Duplicate(const Arguments& args, std::ostream& out) {
    ExpectCount(args, 2, "duplicate FOLDER SEQ");
    const std::int32_t seq = ParseSeq(args[1]);
    Folder folder(args[0]);
    out << storage::DuplicateCase(folder.database, seq) << '\n';
    return kOk;
}

int Check(const Arguments& args, std::ostream& out) {
    ExpectCount(args, 1, "check FOLDER");
    Folder folder(args[0]);
    bool sound = true;
    for (const CheckFinding& finding : CheckFolder(folder.database)) {
        out << finding.table << '\t' << (finding.problem.empty() ? "OK" : finding.problem) << '\n';
        sound = sound && finding.problem.empty();
    }
    return sound ? kOk : kProblemsFound;
}

}  // namespace korvalen::dbtool
