// Engine error codes for what the operating system reported.
#pragma once

#include <cstdint>
#include <system_error>

namespace korvalen::tablestore::detail {

std::uint16_t CodeForOsError(std::error_code ec);
// An errno (or on Windows a GetLastError value) as SQLite reports it.
std::uint16_t CodeForSystemErrno(int value);

}  // namespace korvalen::tablestore::detail
