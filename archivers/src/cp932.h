// Conversion between the UTF-8 of our paths and the Shift-JIS (Windows code
// page 932) that archive headers carry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvalen::archivers {

// Empty when the text has a character CP932 cannot hold, or one that would
// come back as a different character: a stored name must extract under the
// name it was packed with.
std::optional<std::string> utf8ToCp932(std::string_view utf8);
// Empty when the bytes are not valid CP932.
std::optional<std::string> cp932ToUtf8(std::string_view cp932);

}  // namespace korvalen::archivers
