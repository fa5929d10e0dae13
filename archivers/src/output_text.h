// The readable account of a command, copied into the caller's buffer.
#pragma once

#include <cstdint>
#include <string>

namespace korvalen::archivers {

// Copies text into a fixed field, cut at a UTF-8 character boundary, always
// null-terminated (the rest of the field zeroed); nothing when size is 0.
void copyUtf8(char* dst, size_t size, const std::string& text);

class OutputText {
public:
    void line(const std::string& text) { text_ += text + "\n"; }
    const std::string& text() const { return text_; }
    // Copies into buf, cut at a character boundary, always null-terminated;
    // nothing is written when buf is null or size is 0.
    void copyTo(char* buf, uint32_t size) const;

private:
    std::string text_;
};

}  // namespace korvalen::archivers
