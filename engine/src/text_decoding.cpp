#include "text_decoding.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <memory>

namespace korvalen::engine {

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
        if (i + length > bytes.size()) return false;
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

std::optional<std::string> ShiftJisToUtf8(std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    // "windows-31j" is ICU's name for code page 932: 0x5C stays a backslash
    // and 0x8160 is the wave dash of Windows, ～.
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open("windows-31j", &status), &ucnv_close);
    if (U_FAILURE(status)) return std::nullopt;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string utf16(bytes.size() + 1, u'\0');
    const int32_t length =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(utf16.data()), static_cast<int32_t>(utf16.size()),
                      bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    utf16.resize(static_cast<std::size_t>(length));

    std::string utf8(static_cast<std::size_t>(length) * 3 + 1, '\0');
    int32_t written = 0;
    u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &written, reinterpret_cast<const UChar*>(utf16.data()),
                length, &status);
    if (U_FAILURE(status)) return std::nullopt;
    utf8.resize(static_cast<std::size_t>(written));
    return utf8;
}

}  // namespace korvalen::engine
