// The Shift-JIS (CP932) measure of a text: the file format keeps text as
// UTF-8, but a text field's size is counted in the bytes the text takes in
// CP932, and a text that CP932 cannot hold is refused.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace korvalen::tablestore::detail {

// The CP932 byte count of a UTF-8 text; nothing when the text is not valid
// UTF-8 or holds a character CP932 has no code for.
std::optional<std::size_t> Cp932Length(std::string_view utf8);

}  // namespace korvalen::tablestore::detail
