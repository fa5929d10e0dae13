#include "korvalen/cli/history_file.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "korvalen/cli/case_options.h"
#include "korvalen/engine/history_csv.h"

namespace korvalen::cli {
namespace {

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    try {
        // A folder opens like a file here and fails only on the first read.
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) return std::nullopt;
        return bytes;
    } catch (const std::ios_base::failure&) {
        return std::nullopt;
    }
}

}  // namespace

engine::HistoryList ReadHistoryFile(const std::string& path, const engine::CaseRecord& caseRecord) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) throw UsageError(path + ": ファイルを読めません。");
    try {
        return engine::ReadHistoryCsv(*bytes, caseRecord.RIRITSU, caseRecord.CHECKBOX == 1, caseRecord.START_DAY);
    } catch (const engine::HistoryCsvError& e) {
        throw UsageError(path + " の " + std::to_string(e.line()) + " 行目: " + e.what());
    }
}

}  // namespace korvalen::cli
