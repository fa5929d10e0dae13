// Reads LHA and Cabinet archives through libarchive: member headers in
// order, then each member's data, checked by libarchive against the
// archive's CRCs and checksums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace korvalen::archivers {

enum class ArchiveFormat { Lha, Cab };

struct MemberInfo {
    std::string name;  // UTF-8, "/" separators, no trailing separator
    enum class Kind { File, Folder, Other } kind = Kind::File;
    int64_t size = 0;
    int64_t mtime = 0;
    int64_t mtimeNsec = 0;
    int64_t atime = -1;  // -1: not kept by the archive
    int64_t ctime = -1;
    bool readOnly = false;
    // From the raw header; empty or 0 when unknown.
    std::string method;
    uint16_t crc = 0;
    uint8_t osId = 0;
    uint64_t packedSize = 0;
};

class ArchiveReader {
public:
    // Throws ArcError: ARC_ERR_FILE_OPEN when the file cannot be read,
    // ARC_ERR_NOT_ARCHIVE when it is not an archive of this format.
    ArchiveReader(const std::string& path, ArchiveFormat format);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // The next member; false after the last. Throws ArcError(ARC_ERR_BROKEN)
    // on a damaged header, and on an LHA archive that ends without its end
    // marker (one that was cut off after a member).
    bool next(MemberInfo& member);
    // Data of the current member; 0 at its end. Throws ArcError with
    // ARC_ERR_CRC or ARC_ERR_BROKEN when the data does not check.
    size_t read(uint8_t* buffer, size_t size);

    ArchiveFormat format() const { return format_; }
    const std::string& path() const { return path_; }

private:
    [[noreturn]] void fail(int fallbackCode, const std::string& what);
    void checkLhaEnd();
    struct Impl;
    std::unique_ptr<Impl> impl_;
    ArchiveFormat format_;
    std::string path_;
};

// Which of the two formats a file is, by its content; nullopt-like -1 when
// the file cannot be read, 0 for neither (ARC_TYPE_* values).
int detectArchiveType(const std::string& path);

}  // namespace korvalen::archivers
