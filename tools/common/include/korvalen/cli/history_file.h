// Reading the history file a command-line tool is given.
#pragma once

#include <optional>
#include <string>

namespace korvalen::cli {

// The whole file's bytes, or nothing when it cannot be read (missing,
// unreadable, or a folder).
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace korvalen::cli
