#ifndef KORVALEN_PLATFORM_PATHS_H
#define KORVALEN_PLATFORM_PATHS_H

#include <string>
#include <string_view>

namespace korvalen::platform {

// Paths are UTF-8 text with the native separator; folder paths end in one.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Appends the separator unless the text already ends in one; an empty text
// stays empty, so "no folder" is never turned into the root.
std::string WithTrailingSeparator(std::string folder);

// Folder texts are compared ignoring the case of ASCII letters only.
bool SameFolder(std::string_view a, std::string_view b);

// Upper-cases ASCII letters and leaves every other byte alone, so UTF-8
// text keeps its meaning.
std::string UpperAscii(std::string_view text);

// A share written as a UNC path: it begins with two separators. Both "\\"
// and "//" count on every system, because a Windows share name copied into
// a setting is meant as a share, never as a local file name.
bool IsUncPath(std::string_view path);

}  // namespace korvalen::platform

#endif
