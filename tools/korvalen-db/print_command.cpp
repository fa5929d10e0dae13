#include "print_command.h"

#include "commands.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <charconv>
#include <iostream>
#include <memory>
#include <optional>

#include "korvalen/cli/case_options.h"
#include "korvalen/engine/calculation.h"
#include "korvalen/engine/message_text.h"
#include "korvalen/platform/errors.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/database.h"

namespace korvalen::dbtool {

namespace {

using cli::UsageError;

constexpr const char* kPrintUsage = "使い方: korvalen-db print FOLDER SEQ --pdf FILE [--pages=FROM-TO] [--western]";

struct PrintRequest {
    std::string folder;
    std::int32_t seq = 0;
    std::string pdf;
    std::optional<printing::PageRange> pages;
    bool western = false;
};

std::optional<int> PageNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

printing::PageRange ParsePages(std::string_view text) {
    const std::size_t dash = text.find('-');
    const auto from = dash == std::string_view::npos ? std::nullopt : PageNumber(text.substr(0, dash));
    const auto to = dash == std::string_view::npos ? std::nullopt : PageNumber(text.substr(dash + 1));
    if (!from || !to || *from > *to) {
        throw UsageError("--pages は「開始ページ-終了ページ」（1 以上、開始 ≦ 終了）で指定してください: " +
                         engine::QuoteInMessage(text));
    }
    return {*from, *to};
}

PrintRequest ParseRequest(const Arguments& args) {
    if (args.size() < 2) throw UsageError(kPrintUsage);
    PrintRequest request;
    request.folder = args[0];
    request.seq = ParseSeq(args[1]);
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (argument == "--pdf" || argument.starts_with("--pdf=")) {
            if (!request.pdf.empty()) throw UsageError("--pdf が 2 回指定されています。");
            if (argument == "--pdf") {
                if (i + 1 >= args.size()) throw UsageError("--pdf の後に PDF ファイルの名前を指定してください。");
                request.pdf = args[++i];
            } else {
                request.pdf = argument.substr(6);
            }
            if (request.pdf.empty()) throw UsageError("--pdf の後に PDF ファイルの名前を指定してください。");
        } else if (argument.starts_with("--pages=")) {
            if (request.pages) throw UsageError("--pages が 2 回指定されています。");
            request.pages = ParsePages(std::string_view(argument).substr(8));
        } else if (argument == "--western") {
            request.western = true;
        } else {
            throw UsageError("不明な引数です: " + engine::QuoteInMessage(argument) + "（" + kPrintUsage + "）");
        }
    }
    if (request.pdf.empty()) throw UsageError(std::string("--pdf FILE を指定してください。") + kPrintUsage);
    return request;
}

QtMessageHandler previousHandler = nullptr;

// Qt's note that a desktop session folder is missing says nothing about the
// PDF; on a server it would precede every statement.
void QuietAboutTheSessionFolder(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    if (previousHandler) previousHandler(type, context, message);
}

// A PDF needs no window system: unless the user chose a platform, the tool
// draws offscreen, so it also runs where no display is set (or one is set
// but cannot be reached).
std::unique_ptr<QGuiApplication> StartGui() {
    if (QGuiApplication::instance()) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(QuietAboutTheSessionFolder);
    static int argc = 1;
    static char name[] = "korvalen-db";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    printing::InstallFontSubstitutes();
    return app;
}

}  // namespace

int Print(const Arguments& args, std::ostream&) {
    const PrintRequest request = ParseRequest(args);
    const QString pdf = QString::fromStdString(request.pdf);
    const QFileInfo target(pdf);
    if (!target.absoluteDir().exists())
        throw UsageError("PDF の保存先のフォルダがありません: " + target.absolutePath().toStdString());
    if (target.isDir()) throw UsageError("PDF の保存先がフォルダです: " + request.pdf);

    Folder folder(request.folder);
    const storage::StoredCase stored = LoadExisting(folder.database, request.seq);
    if (stored.history.empty())
        throw UsageError("事件番号 " + std::to_string(request.seq) + " の事件には取引がありません。");

    // As the wizard does: the recalculation runs on a copy of the history.
    engine::HistoryList copy = engine::CopyHistory(stored.history);
    engine::CalculationOptions options;
    options.westernCalendar = request.western;
    options.onWarning = [&](const engine::CalculationWarning& w) {
        std::cerr << "korvalen-db: 警告: 事件 " << request.seq << " の " << (w.entryIndex + 1) << " 件目: " << w.message
                  << '\n';
    };
    const engine::ResultTable table =
        engine::RunCalculation(engine::CalculationKind::Recalculation, copy, stored.header, options);

    const auto app = StartGui();
    const printing::StatementInput input =
        printing::StatementFrom(stored.header, table, static_cast<int>(stored.history.size()), request.western);
    const int pages = printing::StatementPageCount(input);
    const printing::PageRange range = request.pages.value_or(printing::PageRange{1, pages});
    if (range.to > pages) {
        throw UsageError("--pages の終了ページが計算書のページ数（" + std::to_string(pages) + "）を超えています。");
    }
    try {
        printing::WriteStatementPdf(input, pdf, range);
    } catch (const printing::PrintError& e) {
        throw platform::PlatformError(e.what());
    }
    return kOk;
}

}  // namespace korvalen::dbtool
