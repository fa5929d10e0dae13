// UTF-8 path texts to and from std::filesystem paths, the same on every
// platform (a narrow path on Windows would be read in the ANSI code page).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvalen::backup {

inline std::filesystem::path FsPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace korvalen::backup
