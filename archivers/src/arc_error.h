// The one error type of the archiver core: a return code of the calling
// interface plus the text the caller reads in its output buffer.
#pragma once

#include <stdexcept>
#include <string>

namespace korvalen::archivers {

class ArcError : public std::runtime_error {
public:
    ArcError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// Maps an errno value from a write to the code the caller can act on.
int writeErrorCode(int err);
// Maps an errno value from opening or reading an input.
int readErrorCode(int err);
// "<what>: <strerror>" in the caller's language.
std::string systemMessage(const std::string& what, int err);

}  // namespace korvalen::archivers
