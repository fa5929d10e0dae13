#include "output_text.h"

#include <algorithm>
#include <cstring>

namespace korvalen::archivers {

void copyUtf8(char* dst, size_t size, const std::string& text) {
    if (dst == nullptr || size == 0) return;
    size_t n = std::min(text.size(), size - 1);
    // Do not end inside a UTF-8 sequence.
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::memcpy(dst, text.data(), n);
    std::memset(dst + n, 0, size - n);
}

void OutputText::copyTo(char* buf, uint32_t size) const { copyUtf8(buf, size, text_); }

}  // namespace korvalen::archivers
