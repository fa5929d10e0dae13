#include "safe_path.h"

#include <cctype>

#include "arc_error.h"
#include "korvalen/archiver_api.h"
#include "korvalen/base/cp932.h"

namespace korvalen::archivers {

std::vector<std::string> safeComponents(const std::string& storedName) {
    auto refuse = [&](const char* why) -> void {
        throw ArcError(ARC_ERR_UNSAFE_PATH,
                       std::string("展開先の外を指すファイル名は展開しません (") + why + "): " + storedName);
    };
    if (storedName.empty()) refuse("空の名前");
    if (storedName.front() == '/' || storedName.front() == '\\') refuse("絶対パス");
    if (storedName.size() >= 2 && std::isalpha(static_cast<unsigned char>(storedName[0])) && storedName[1] == ':')
        refuse("ドライブ名");
    std::vector<std::string> parts;
    std::string part;
    auto close = [&]() {
        if (part == "..") refuse("..");
#ifdef _WIN32
        if (part.find(':') != std::string::npos) refuse(":");
#endif
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
    };
    for (const char c : storedName) {
        if (c == '/' || c == '\\') {
            close();
        } else {
            if (static_cast<unsigned char>(c) < 0x20) refuse("制御文字");
            part += c;
        }
    }
    close();
    if (parts.empty()) refuse("空の名前");
    return parts;
}

bool hasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

std::string lowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool nameSelected(const std::vector<std::string>& patterns, const std::string& name) {
    if (patterns.empty()) return true;
    // Names are stored with 〜 and − as ～ and －: a name typed either way selects its member.
    const std::string stored = base::NormalizeForCp932(name);
    const size_t slash = stored.rfind('/');
    const std::string leaf = slash == std::string::npos ? stored : stored.substr(slash + 1);
    for (const auto& given : patterns) {
        const std::string p = base::NormalizeForCp932(given);
        if (p.empty() || p == "*" || p == "*.*") return true;
        if (wildcardMatch(p, stored) || (p.find('/') == std::string::npos && wildcardMatch(p, leaf))) return true;
    }
    return false;
}

bool wildcardMatch(const std::string& pattern, const std::string& text) {
    // Iterative match with one backtrack point per "*": linear in practice,
    // and no recursion a hostile pattern could deepen.
    size_t p = 0, t = 0, starP = std::string::npos, starT = 0;
    auto eq = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && eq(pattern[p], text[t])))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace korvalen::archivers
