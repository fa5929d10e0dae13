#include "os_errors.h"

#include <cerrno>

#include "korvalen/tablestore/errors.h"

namespace korvalen::tablestore::detail {

std::uint16_t CodeForOsError(std::error_code ec) {
    const std::error_condition c = ec.default_error_condition();
    if (c.category() == std::generic_category()) {
        switch (c.value()) {
#ifdef EDQUOT
            case EDQUOT: return codes::DiskFull;
#endif
#ifdef ESTALE
            case ESTALE: return codes::FileMissing;
#endif
            default: break;
        }
    }
    using E = std::errc;
    if (c == E::no_such_file_or_directory) return codes::NotFound;
    if (c == E::not_a_directory || c == E::filename_too_long || c == E::invalid_argument ||
        c == E::too_many_symbolic_link_levels) {
        return codes::PathNotFound;
    }
    if (c == E::permission_denied || c == E::operation_not_permitted || c == E::read_only_file_system) {
        return codes::AccessDenied;
    }
    if (c == E::no_space_on_device || c == E::file_too_large) return codes::DiskFull;
    if (c == E::not_enough_memory) return codes::OutOfMemory;
    if (c == E::device_or_resource_busy || c == E::resource_unavailable_try_again || c == E::text_file_busy) {
        return codes::SharingViolation;
    }
    // A share that went away under an open file.
    if (c == E::network_down || c == E::network_unreachable || c == E::network_reset || c == E::connection_aborted ||
        c == E::connection_reset || c == E::host_unreachable || c == E::no_link) {
        return codes::FileMissing;
    }
    return codes::OsError;
}

std::uint16_t CodeForSystemErrno(int value) {
#ifdef _WIN32
    return CodeForOsError(std::error_code(value, std::system_category()));
#else
    return CodeForOsError(std::error_code(value, std::generic_category()));
#endif
}

}  // namespace korvalen::tablestore::detail
