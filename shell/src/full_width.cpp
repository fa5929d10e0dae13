#include "korvalen/shell/full_width.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace korvalen::shell {

std::string FullWidth(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::Transliterator> toFull(
        icu::Transliterator::createInstance("Halfwidth-Fullwidth", UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !toFull) return std::string(text);
    icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    toFull->transliterate(unicode);
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

}  // namespace korvalen::shell
