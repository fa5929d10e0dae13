#include "korvalen/base/user_error.h"

namespace korvalen::base {

UserError::UserError(const std::string& message, ErrorNotice notice) : std::runtime_error(message), notice_(notice) {}

}  // namespace korvalen::base
