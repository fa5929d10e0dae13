// Half-width letters, digits, signs and blanks turned into their
// full-width forms, as Japanese Windows shows a version in a label.
#pragma once

#include <string>
#include <string_view>

namespace korvalen::shell {

// ICU's "Halfwidth-Fullwidth" transliteration of UTF-8 text; the text
// unchanged when ICU cannot make the transliterator.
std::string FullWidth(std::string_view text);

}  // namespace korvalen::shell
