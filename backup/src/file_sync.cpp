#include "file_sync.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <system_error>

namespace korvalen::backup {

bool SyncFolderFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    bool synced = true;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) synced = SyncFile(it->path()) && synced;
    }
    return !ec && SyncFolder(folder) && synced;
}

#ifdef _WIN32

bool SyncFile(const std::filesystem::path& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    // A read-only copy cannot be opened for the flush; the system writes it back soon all the same.
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool ok = FlushFileBuffers(h) != 0;
    CloseHandle(h);
    return ok;
}

// NTFS keeps its folder entries in its own journal.
bool SyncFolder(const std::filesystem::path&) { return true; }

#else

namespace {

bool SyncPath(const std::filesystem::path& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    // A file system that cannot sync a folder (some network mounts) has
    // nothing more to give.
    const bool ok = rc == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return ok;
}

}  // namespace

bool SyncFile(const std::filesystem::path& file) { return SyncPath(file, O_RDONLY); }

bool SyncFolder(const std::filesystem::path& folder) { return SyncPath(folder, O_RDONLY | O_DIRECTORY); }

#endif

}  // namespace korvalen::backup
