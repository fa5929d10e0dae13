#include "korvalen/storage/text_limits.h"

#include <cstddef>

#include "korvalen/base/cp932.h"
#include "korvalen/tablestore/errors.h"

namespace korvalen::storage {

namespace {

// Bytes of the UTF-8 character that starts with `lead`; 1 for a byte that
// cannot start one (the measure then refuses it).
std::size_t Utf8CharLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

void CheckTextFits(std::string_view caption, std::string_view text, int maxBytes) {
    const auto length = base::Cp932Length(text);
    if (!length) {
        throw tablestore::DataError(std::string(caption) + "に保存できない文字が含まれています。\r\n" +
                                    "Shift-JIS にない文字（絵文字、一部の旧字体など）を別の文字に置き換えて下さい。");
    }
    if (*length > static_cast<std::size_t>(maxBytes)) {
        throw tablestore::DataError(std::string(caption) + "が長すぎます。\r\n全角" + std::to_string(maxBytes / 2) +
                                    "文字（半角" + std::to_string(maxBytes) + "文字）以内にして下さい。");
    }
}

std::string FitCp932(std::string_view text, int maxBytes) {
    std::string fitted;
    std::size_t used = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t size = Utf8CharLength(static_cast<unsigned char>(text[at]));
        if (at + size > text.size()) size = text.size() - at;
        std::string_view character = text.substr(at, size);
        at += size;
        std::size_t bytes = 1;
        if (const auto measured = base::Cp932Length(character)) {
            bytes = *measured;
        } else {
            character = "?";
        }
        if (used + bytes > static_cast<std::size_t>(maxBytes)) break;
        fitted += character;
        used += bytes;
    }
    return fitted;
}

}  // namespace korvalen::storage
