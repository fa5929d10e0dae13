#include "arc_error.h"

#include <cerrno>
#include <cstring>

#include "korvalen/archiver_api.h"

namespace korvalen::archivers {

int writeErrorCode(int err) {
    if (err == ENOSPC
#ifdef EDQUOT
        || err == EDQUOT
#endif
        || err == EFBIG)
        return ARC_ERR_DISK_SPACE;
    return ARC_ERR_FILE_CREATE;
}

int readErrorCode(int err) {
    if (err == ENOMEM) return ARC_ERR_MEMORY;
    return ARC_ERR_FILE_OPEN;
}

std::string systemMessage(const std::string& what, int err) { return what + ": " + std::strerror(err); }

}  // namespace korvalen::archivers
