#include "cp932.h"

#include "korvalen/tablestore/field.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>
#include <vector>

namespace korvalen::tablestore::detail {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// One converter per thread: ICU converters keep state and are not shared.
UConverter* Converter() {
    thread_local std::unique_ptr<UConverter, ConverterCloser> converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        // ICU's "windows-31j" is Microsoft's CP932 table (0x5C stays a
        // backslash; NEC and IBM extensions included).
        UConverter* c = ucnv_open("windows-31j", &status);
        if (U_FAILURE(status)) return std::unique_ptr<UConverter, ConverterCloser>();
        ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        // No best-fit substitutes: a character either has its own code or
        // the text is refused.
        ucnv_setFallback(c, false);
        return std::unique_ptr<UConverter, ConverterCloser>(c);
    }();
    return converter.get();
}

}  // namespace

std::optional<std::size_t> Cp932Length(std::string_view utf8) {
    bool ascii = true;
    for (char ch : utf8) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) return utf8.size();

    UConverter* converter = Converter();
    if (!converter) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    int32_t units = 0;
    u_strFromUTF8(nullptr, 0, &units, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    std::vector<UChar> text(static_cast<std::size_t>(units) + 1);
    status = U_ZERO_ERROR;
    u_strFromUTF8(text.data(), units + 1, &units, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;

    ucnv_resetFromUnicode(converter);
    std::vector<char> out(static_cast<std::size_t>(units) * 2 + 8);
    status = U_ZERO_ERROR;
    int32_t bytes =
        ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()), text.data(), units, &status);
    if (U_FAILURE(status)) return std::nullopt;
    return static_cast<std::size_t>(bytes);
}

}  // namespace korvalen::tablestore::detail

namespace korvalen::tablestore {

std::optional<std::size_t> Cp932Length(std::string_view utf8) { return detail::Cp932Length(utf8); }

}  // namespace korvalen::tablestore
