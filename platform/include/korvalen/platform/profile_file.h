#ifndef KORVALEN_PLATFORM_PROFILE_FILE_H
#define KORVALEN_PLATFORM_PROFILE_FILE_H

#include <string>
#include <string_view>

namespace korvalen::platform {

// Small INI files beside the program or the database ("DBPath.ini",
// "DBCreate.ini"), read and written like private profiles: section and key
// names match ignoring ASCII case, values are literal text (a backslash is
// a backslash), surrounding blanks and one pair of enclosing double quotes
// are dropped on reading, and every other line of the file is kept.
//
// Files are written as UTF-8 without a byte-order mark. A file that is not
// valid UTF-8 is read as Shift-JIS (CP932, base::Cp932ToUtf8), so one copied
// from a Windows PC still reads correctly, its wave dash and minus as ～ and
// －. Values of a UTF-8 file are kept as written, 〜 and − included: they are
// folder paths, and another character would name another folder.

// `fallback` when the file, the section or the key is missing. Throws
// PlatformError for a file that is neither UTF-8 nor Shift-JIS (as does
// WriteProfileString, which leaves such a file alone).
std::string ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                              std::string_view fallback = {});

// Creates the file or the section when missing and replaces the file as a
// whole, so a reader never sees half of it. Throws PlatformError when the
// file cannot be written (for instance when its folder does not exist), and
// std::invalid_argument for a name or value holding a line break.
void WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);

// The whole text of a new file holding one entry, as WriteProfileString
// would write it; for files that must be created in one step (a lock taken
// with CreateFileExclusive). Same errors for unusable names and values.
std::string NewProfileText(std::string_view section, std::string_view key, std::string_view value);

}  // namespace korvalen::platform

#endif
