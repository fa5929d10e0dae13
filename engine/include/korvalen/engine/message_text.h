// Texts a user typed, quoted inside a message. A file line or an argument
// may be kilobytes long or hold control characters (an escape sequence, a
// stray CR); quoted whole they would bury the message or act on the
// terminal it is printed to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvalen::engine {

// How many characters of an offending text a message shows.
inline constexpr std::size_t kQuotedCharacters = 40;

// `text` as a message quotes it: its first kQuotedCharacters characters,
// then "…" when there were more; control characters (C0, DEL, C1) and
// bytes that are not UTF-8 shown escaped ("\t", "\r", "\n", "\x1B",
// "\u0085"). The result is always valid UTF-8.
std::string QuoteInMessage(std::string_view text);

// The same escaping without the shortening, for a file name that must be
// shown whole to be found again.
std::string EscapeControls(std::string_view text);

}  // namespace korvalen::engine
