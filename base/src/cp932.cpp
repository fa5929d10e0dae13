#include "korvalen/base/cp932.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <memory>

namespace korvalen::base {
namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// One converter per thread: an ICU converter keeps state between calls and
// must not be shared. Both directions stop at the first character without a
// code, and no best-fit fallback ever stands in for one (¥ never becomes a
// backslash).
UConverter* Converter() {
    thread_local const std::unique_ptr<UConverter, ConverterCloser> converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* opened = ucnv_open(kCp932ConverterName, &status);
        if (U_FAILURE(status)) return std::unique_ptr<UConverter, ConverterCloser>();
        ucnv_setFromUCallBack(opened, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        ucnv_setToUCallBack(opened, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        ucnv_setFallback(opened, false);
        if (U_FAILURE(status)) {
            ucnv_close(opened);
            return std::unique_ptr<UConverter, ConverterCloser>();
        }
        return std::unique_ptr<UConverter, ConverterCloser>(opened);
    }();
    if (converter) ucnv_reset(converter.get());
    return converter.get();
}

// ICU's table carries IBM's exchange of three control codes (it reads 0x1A
// as U+001C, 0x1C as U+007F and 0x7F as U+001A); Windows keeps every byte
// below 0x80 as the same ASCII character. No two-byte character maps to a
// control code, so the exchange is undone exactly in the UTF-16 text: before
// writing with IcuControl, after reading with AsciiControl.
char16_t IcuControl(char16_t unit) {
    switch (unit) {
        case u'\x1A': return u'\x1C';
        case u'\x1C': return u'\x7F';
        case u'\x7F': return u'\x1A';
        default: return unit;
    }
}
char16_t AsciiControl(char16_t unit) {
    switch (unit) {
        case u'\x1C': return u'\x1A';
        case u'\x7F': return u'\x1C';
        case u'\x1A': return u'\x7F';
        default: return unit;
    }
}

// The two input-method characters and the ones CP932 holds in their place.
constexpr char16_t kWaveDash = u'\u301C';
constexpr char16_t kFullwidthTilde = u'\uFF5E';
constexpr char16_t kMinusSign = u'\u2212';
constexpr char16_t kFullwidthHyphenMinus = u'\uFF0D';
constexpr std::string_view kWaveDashUtf8 = "\xE3\x80\x9C";
constexpr std::string_view kFullwidthTildeUtf8 = "\xEF\xBD\x9E";
constexpr std::string_view kMinusSignUtf8 = "\xE2\x88\x92";
constexpr std::string_view kFullwidthHyphenMinusUtf8 = "\xEF\xBC\x8D";

bool IsAscii(std::string_view text) {
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80) return false;
    }
    return true;
}

// Valid UTF-8 as UTF-16 with the two input-method characters replaced.
std::optional<std::u16string> NormalizedUtf16(std::string_view utf8) {
    if (!IsValidUtf8(utf8)) return std::nullopt;
    // A UTF-8 text never needs more UTF-16 units than it has bytes.
    std::u16string text(utf8.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t units = 0;
    u_strFromUTF8(reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), &units, utf8.data(),
                  static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    text.resize(static_cast<std::size_t>(units));
    for (char16_t& unit : text) {
        if (unit == kWaveDash) unit = kFullwidthTilde;
        if (unit == kMinusSign) unit = kFullwidthHyphenMinus;
    }
    return text;
}

// The UTF-16 of CP932 bytes; nothing at the first byte sequence that is no
// CP932 character.
std::optional<std::u16string> Utf16Of(std::string_view cp932) {
    UConverter* converter = Converter();
    if (converter == nullptr) return std::nullopt;
    // Every CP932 character, of one byte or two, is one UTF-16 unit.
    std::u16string text(cp932.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t units =
        ucnv_toUChars(converter, reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), cp932.data(),
                      static_cast<int32_t>(cp932.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    text.resize(static_cast<std::size_t>(units));
    for (char16_t& unit : text) unit = AsciiControl(unit);
    return text;
}

}  // namespace

std::string NormalizeForCp932(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        // A lead byte is never a continuation byte, so a match of the whole
        // sequence is the character itself.
        const std::string_view rest = utf8.substr(at);
        if (rest.starts_with(kWaveDashUtf8)) {
            out += kFullwidthTildeUtf8;
            at += kWaveDashUtf8.size();
        } else if (rest.starts_with(kMinusSignUtf8)) {
            out += kFullwidthHyphenMinusUtf8;
            at += kMinusSignUtf8.size();
        } else {
            out += utf8[at++];
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        std::uint32_t minimum = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i < length) return false;
        std::uint32_t code = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    const auto text = NormalizedUtf16(utf8);
    UConverter* converter = Converter();
    if (!text || converter == nullptr) return std::nullopt;
    std::u16string icuText(*text);
    for (char16_t& unit : icuText) unit = IcuControl(unit);
    // Every UTF-16 unit becomes at most two bytes.
    std::string out(icuText.size() * 2, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written =
        ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                        reinterpret_cast<const UChar*>(icuText.data()), static_cast<int32_t>(icuText.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    out.resize(static_cast<std::size_t>(written));
    // ICU drops default-ignorable characters it cannot write (a soft hyphen,
    // a variation selector) and always writes the nearest code for some of
    // the private-use area, whatever the fallback setting: only a text that
    // reads back as itself is written.
    if (Utf16Of(out) != *text) return std::nullopt;
    return out;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932)) return std::string(cp932);
    const auto text = Utf16Of(cp932);
    if (!text) return std::nullopt;
    // Three UTF-8 bytes at most for each unit of the BMP.
    std::string out(text->size() * 3, '\0');
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &written, reinterpret_cast<const UChar*>(text->data()),
                static_cast<int32_t>(text->size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    out.resize(static_cast<std::size_t>(written));
    return out;
}

std::optional<std::size_t> Cp932Length(std::string_view utf8) {
    if (IsAscii(utf8)) return utf8.size();
    const auto bytes = Utf8ToCp932(utf8);
    if (!bytes) return std::nullopt;
    return bytes->size();
}

}  // namespace korvalen::base
