#include "korvalen/platform/paths.h"

namespace korvalen::platform {

namespace {

char UpperAsciiChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsAnySeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string WithTrailingSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != kPathSeparator) {
        folder.push_back(kPathSeparator);
    }
    return folder;
}

bool SameFolder(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAsciiChar(a[i]) != UpperAsciiChar(b[i])) {
            return false;
        }
    }
    return true;
}

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = UpperAsciiChar(c);
    }
    return upper;
}

bool IsUncPath(std::string_view path) { return path.size() >= 2 && IsAnySeparator(path[0]) && IsAnySeparator(path[1]); }

}  // namespace korvalen::platform
