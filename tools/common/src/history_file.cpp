#include "korvalen/cli/history_file.h"

#include <filesystem>
#include <fstream>

#include "korvalen/cli/case_options.h"
#include "korvalen/engine/message_text.h"

namespace korvalen::cli {
namespace {

std::string Where(const std::string& path, int line) {
    const std::string file = engine::EscapeControls(path);
    return line == 0 ? file : file + " の " + std::to_string(line) + " 行目";
}

}  // namespace

engine::HistoryCsv ReadHistoryFile(const std::string& path, const engine::CaseRecord& caseRecord) {
    std::error_code error;
    // A folder opens like a file here and fails only on the first read.
    if (std::filesystem::is_directory(path, error))
        throw UsageError(Where(path, 0) + ": ファイルではなくフォルダです。");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError(Where(path, 0) + ": ファイルを読めません。");
    try {
        return engine::ReadHistoryCsv(in, caseRecord);
    } catch (const engine::HistoryCsvError& e) {
        throw UsageError(Where(path, e.line()) + ": " + e.what());
    }
}

void PrintReadWarnings(std::ostream& err, std::string_view program, const std::string& path,
                       const std::vector<engine::HistoryCsvWarning>& warnings) {
    for (const engine::HistoryCsvWarning& w : warnings) {
        err << program << ": 警告: " << Where(path, w.line) << ": " << w.message << '\n';
    }
}

}  // namespace korvalen::cli
