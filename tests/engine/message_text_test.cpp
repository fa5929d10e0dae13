#include <gtest/gtest.h>

#include <string>

#include "korvalen/base/cp932.h"
#include "korvalen/engine/message_text.h"

namespace korvalen::engine {
namespace {

TEST(QuoteInMessage, ShortensAndEscapesWhatWouldHarmTheMessage) {
    struct Case {
        std::string text;
        std::string quoted;
    };
    const std::string forty(40, 'a');
    std::string kanji;
    for (int i = 0; i < 40; ++i) kanji += "債";
    const Case cases[] = {
        {"2005-02-30", "2005-02-30"},
        {forty, forty},
        {forty + "b", forty + "…"},
        // Characters are counted, not bytes: forty kanji stay whole.
        {kanji + "x", kanji + "…"},
        {"a\tb\r\nc", "a\\tb\\r\\nc"},
        {"\x1B[2J", "\\x1B[2J"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x7F", "\\x7F"},
        {"\xC2\x85", "\\u0085"},
        // Bytes that are no UTF-8 (a Shift-JIS lead byte, a cut sequence).
        {"\x81\x40", "\\x81@"},
        {"\xE5\x80", "\\xE5\\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quoted);
        const std::string quoted = QuoteInMessage(c.text);
        EXPECT_EQ(quoted, c.quoted);
        EXPECT_TRUE(base::IsValidUtf8(quoted));
    }
    // A file name is shown whole, only escaped.
    const std::string path = "/tmp/" + std::string(60, 'p') + "\n.csv";
    EXPECT_EQ(EscapeControls(path), "/tmp/" + std::string(60, 'p') + "\\n.csv");
}

}  // namespace
}  // namespace korvalen::engine
