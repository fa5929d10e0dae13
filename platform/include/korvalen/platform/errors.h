#ifndef KORVALEN_PLATFORM_ERRORS_H
#define KORVALEN_PLATFORM_ERRORS_H

#include <string>

#include "korvalen/base/user_error.h"

namespace korvalen::platform {

// A failure of the operating system or of a settings file. what() is the
// Japanese text the user is shown, so callers can pass it on unchanged.
class PlatformError : public base::UserError {
public:
    using base::UserError::UserError;
};

}  // namespace korvalen::platform

#endif
