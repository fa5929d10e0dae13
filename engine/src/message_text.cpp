#include "korvalen/engine/message_text.h"

#include <cstdint>
#include <cstdio>
#include <limits>

namespace korvalen::engine {
namespace {

// The length of the UTF-8 sequence that starts at `at`, or 0 when the bytes
// there are not one (a stray continuation byte, an overlong or surrogate
// form, a sequence cut off).
std::size_t SequenceLength(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t lowest = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    codePoint = value;
    return length;
}

void AppendEscaped(std::string& out, const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

std::string Escape(std::string_view text, std::size_t characters) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t shown = 0; at < text.size() && shown < characters; ++shown) {
        char32_t codePoint = 0;
        const std::size_t length = SequenceLength(text, at, codePoint);
        if (length == 0) {
            AppendEscaped(out, "\\x%02X", static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (codePoint == '\t') {
            out += "\\t";
        } else if (codePoint == '\r') {
            out += "\\r";
        } else if (codePoint == '\n') {
            out += "\\n";
        } else if (codePoint < 0x20 || codePoint == 0x7F) {
            AppendEscaped(out, "\\x%02X", static_cast<unsigned>(codePoint));
        } else if (codePoint >= 0x80 && codePoint <= 0x9F) {
            AppendEscaped(out, "\\u%04X", static_cast<unsigned>(codePoint));
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    if (at < text.size()) out += "…";
    return out;
}

}  // namespace

std::string QuoteInMessage(std::string_view text) { return Escape(text, kQuotedCharacters); }

std::string EscapeControls(std::string_view text) { return Escape(text, std::numeric_limits<std::size_t>::max()); }

}  // namespace korvalen::engine
