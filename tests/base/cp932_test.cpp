// The CP932 conversion every layer uses: Microsoft's table, no substitutes,
// and the two input-method characters stored as their CP932 counterparts.
#include "korvalen/base/cp932.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace korvalen::base {
namespace {

// UTF-8 of one code point of the BMP.
std::string Utf8Of(char32_t code) {
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

struct Pair {
    const char* utf8;
    const char* cp932;
};

// Texts and their bytes in Microsoft's code page; the first two are where
// a JIS table differs (¥ and ‾), the rest are the NEC and IBM extensions,
// Windows' own dash and tilde, and half-width katakana.
const Pair kPairs[] = {
    {"\\", "\x5C"},
    {"~", "\x7E"},
    {"①", "\x87\x40"},
    {"～", "\x81\x60"},
    {"―", "\x81\x5C"},
    {"－", "\x81\x7C"},
    {"㈱", "\x87\x8A"},
    {"ﾃﾞｰﾀ", "\xC3\xDE\xB0\xC0"},
    {"債権者名 C:\\db", "\x8D\xC2\x8C\xA0\x8E\xD2\x96\xBC C:\\db"},
    // Control codes keep their ASCII values beside Japanese text (ICU's own
    // table exchanges 0x1A, 0x1C and 0x7F).
    {"債\x1A\x1C\x7F\t", "\x8D\xC2\x1A\x1C\x7F\t"},
    {"", ""},
};

TEST(Cp932, MicrosoftsTableBothWays) {
    for (const Pair& pair : kPairs) {
        SCOPED_TRACE(pair.utf8);
        EXPECT_EQ(Utf8ToCp932(pair.utf8), std::string(pair.cp932));
        EXPECT_EQ(Cp932ToUtf8(pair.cp932), std::string(pair.utf8));
        EXPECT_EQ(Cp932Length(pair.utf8), std::string(pair.cp932).size());
    }
    // Bytes of other tables are read the Windows way as well.
    EXPECT_EQ(Cp932ToUtf8("\xFA\x40"), "ⅰ");  // IBM extension
    EXPECT_EQ(Cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp932, InputMethodCharactersBecomeTheirCp932Counterparts) {
    EXPECT_EQ(NormalizeForCp932("10〜20 −5 〜"), "10～20 －5 ～");
    EXPECT_EQ(NormalizeForCp932("債権者 ～ ― ¥"), "債権者 ～ ― ¥");
    EXPECT_EQ(Utf8ToCp932("波〜線"), "\x94\x67\x81\x60\x90\xFC");
    EXPECT_EQ(Cp932ToUtf8(*Utf8ToCp932("〜−")), "～－");
    EXPECT_EQ(Cp932Length("〜−"), 4u);
}

TEST(Cp932, RefusesWhatItCannotConvertExactly) {
    const char* const unwritable[] = {
        "¥100",              // a best fit would write a backslash
        "a—b",               // the em dash (U+2014): iconv would write ―
        "絵文字😀",           // outside CP932
        "\xC3\x28",          // broken UTF-8
        "\xE3\x81",          // cut in the middle of a character
        "\xC0\xAF",          // an over-long "/"
        "\xED\xA0\x80",      // a surrogate
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
    };
    for (const char* text : unwritable) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Utf8ToCp932(text), std::nullopt);
        EXPECT_EQ(Cp932Length(text), std::nullopt);
    }
    const char* const unreadable[] = {"\x81", "\x82\xA0\x81", "\x81\x20", "\x80", "\xA0", "\xFF", "\x85\x40"};
    for (const char* bytes : unreadable) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        EXPECT_EQ(Cp932ToUtf8(bytes), std::nullopt);
    }
}

// Whatever is written comes back as the same text: a name packed into an
// archive extracts under that name, a measured field holds what it measured.
TEST(Cp932, EveryWritableCharacterReadsBackUnchanged) {
    int writable = 0;
    for (char32_t code = 0x80; code <= 0xFFFF; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF) continue;
        const std::string text = Utf8Of(code);
        const auto bytes = Utf8ToCp932(text);
        if (!bytes) continue;
        ++writable;
        ASSERT_EQ(Cp932ToUtf8(*bytes), NormalizeForCp932(text)) << "U+" << std::hex << static_cast<int>(code);
        ASSERT_EQ(Cp932Length(text), bytes->size());
    }
    // Below 0x80 every byte is its ASCII character, also beside Japanese text.
    for (int code = 0; code < 0x80; ++code) {
        const char ascii = static_cast<char>(code);
        const std::string text = std::string("あ") + ascii;
        ASSERT_EQ(Utf8ToCp932(text), std::string("\x82\xA0") + ascii) << code;
        ASSERT_EQ(Cp932ToUtf8(std::string("\x82\xA0") + ascii), text) << code;
    }
    // The code page holds some 7,500 characters beyond ASCII (and the user area).
    EXPECT_GT(writable, 7000);
}

TEST(Cp932, Utf8Validity) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("ascii"));
    EXPECT_TRUE(IsValidUtf8("債権者①😀"));
    EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));
    for (const char* bad : {"\x80", "\xC3\x28", "\xE3\x81", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(std::string(bad));
    }
}

}  // namespace
}  // namespace korvalen::base
