#ifndef KORVALEN_PLATFORM_ERRORS_H
#define KORVALEN_PLATFORM_ERRORS_H

#include <stdexcept>
#include <string>

namespace korvalen::platform {

// A failure of the operating system or of a settings file. what() is the
// Japanese text the user is shown, so callers can pass it on unchanged.
class PlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace korvalen::platform

#endif
