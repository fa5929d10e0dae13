// Decoding of text files that may be UTF-8 or Shift-JIS (Windows code page 932).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvalen::engine {

bool IsValidUtf8(std::string_view bytes);
// One line of CP932 bytes → UTF-8; nothing when a byte sequence has no
// character in the code page.
std::optional<std::string> ShiftJisToUtf8(std::string_view bytes);

}  // namespace korvalen::engine
