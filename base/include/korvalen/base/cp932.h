// The one conversion between the UTF-8 of the program and Shift-JIS as
// Windows has it (code page 932): table text fields are measured in it,
// archive member names and INI files from Windows PCs are written in it,
// and history files may come in it.
//
// Nothing here substitutes a character: a text CP932 cannot hold, or bytes
// that are not CP932, give nothing, and the caller tells the user so.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvalen::base {

// ICU's name for Microsoft's table: 0x5C stays a backslash, 0x7E a tilde,
// 0x8160 is ～ (U+FF5E) and the NEC and IBM extensions (①, ㈱) are there.
// ICU's "ibm-943" or a JIS table would read the same bytes as ¥, ‾ and 〜.
inline constexpr const char* kCp932ConverterName = "windows-31j";

// Linux input methods type 〜 (U+301C) and − (U+2212) where Windows types
// ～ (U+FF5E) and － (U+FF0D); CP932 has only the latter, so a text about to
// be stored, measured or written as CP932 gets them in its place. Every
// other character is left as it is.
std::string NormalizeForCp932(std::string_view utf8);

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past
// U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// The CP932 bytes of a UTF-8 text, after NormalizeForCp932. Nothing when the
// text is not valid UTF-8 or holds a character CP932 has no code of its own
// for.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// The UTF-8 of CP932 bytes; nothing when a byte sequence is no CP932
// character.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// The bytes a UTF-8 text takes in CP932, after NormalizeForCp932; nothing as
// for Utf8ToCp932.
std::optional<std::size_t> Cp932Length(std::string_view utf8);

}  // namespace korvalen::base
