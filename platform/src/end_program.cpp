#include "korvalen/platform/end_program.h"

#include <utility>

namespace korvalen::platform {

EndProgram::EndProgram(std::string reason, int exitCode) : reason_(std::move(reason)), exitCode_(exitCode) {}

}  // namespace korvalen::platform
