#include "korvalen/cli/history_file.h"

#include <fstream>
#include <iterator>

namespace korvalen::cli {

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

}  // namespace korvalen::cli
