#include "output_text.h"

#include <algorithm>
#include <cstring>

namespace korvalen::archivers {

void OutputText::copyTo(char* buf, uint32_t size) const {
    if (buf == nullptr || size == 0) return;
    size_t n = std::min<size_t>(text_.size(), size - 1);
    // Do not end inside a UTF-8 sequence.
    if (n < text_.size())
        while (n > 0 && (static_cast<unsigned char>(text_[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buf, text_.data(), n);
    buf[n] = '\0';
}

}  // namespace korvalen::archivers
