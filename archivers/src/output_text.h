// The readable account of a command, copied into the caller's buffer.
#pragma once

#include <cstdint>
#include <string>

namespace korvalen::archivers {

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
