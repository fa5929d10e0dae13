#include "header_peek.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <map>

namespace korvalen::archivers {
namespace {

bool readAt(int fd, int64_t at, void* buf, size_t n) {
    if (at < 0) return false;
    return ::pread(fd, buf, n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
}
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

}  // namespace

HeaderFacts peekLhaHeader(int fd, int64_t offset) {
    HeaderFacts f;
    uint8_t h[24 + 256 + 8] = {};
    if (!readAt(fd, offset, h, 22)) return f;
    f.method.assign(reinterpret_cast<const char*>(h + 2), 5);
    f.packedSize = le32(h + 7);
    const int level = h[20];
    if (level >= 2) {
        if (!readAt(fd, offset, h, 24)) return f;
        f.crc = le16(h + 21);
        f.osId = h[23];
        return f;
    }
    const size_t nameLen = h[21];
    if (!readAt(fd, offset, h, 22 + nameLen + 2)) return f;
    f.crc = le16(h + 22 + nameLen);
    const size_t headerLen = size_t{h[0]} + 2;
    if (level == 0) {
        if (headerLen > 24 + nameLen && readAt(fd, offset + 24 + static_cast<int64_t>(nameLen), h, 1)) f.osId = h[0];
        return f;
    }
    // Level 1 counts its extension headers into the packed size: walk them.
    uint8_t tail[3];
    if (!readAt(fd, offset + 24 + static_cast<int64_t>(nameLen), tail, 3)) return f;
    f.osId = tail[0];
    uint64_t ext = le16(tail + 1);
    int64_t at = offset + static_cast<int64_t>(headerLen);
    for (int guard = 0; ext != 0 && guard < 256 && ext <= f.packedSize; ++guard) {
        f.packedSize -= ext;
        uint8_t next[2];
        if (ext < 3 || !readAt(fd, at + static_cast<int64_t>(ext) - 2, next, 2)) break;
        at += static_cast<int64_t>(ext);
        ext = le16(next);
    }
    return f;
}

int64_t lhaMemberEnd(int fd, int64_t offset) {
    uint8_t h[28] = {};
    if (!readAt(fd, offset, h, 22)) return -1;
    const uint64_t packed = le32(h + 7);
    uint64_t header = 0;
    switch (h[20]) {
        // Level 1 counts its extension headers into the packed size.
        case 0:
        case 1: header = uint64_t{h[0]} + 2; break;
        case 2: header = le16(h); break;
        case 3:
            if (!readAt(fd, offset, h, 28)) return -1;
            header = le32(h + 24);
            break;
        default: return -1;
    }
    return offset + static_cast<int64_t>(header + packed);
}

std::vector<HeaderFacts> peekCabFiles(int fd) {
    std::vector<HeaderFacts> files;
    uint8_t h[40];
    if (!readAt(fd, 0, h, 36) || h[0] != 'M' || h[1] != 'S' || h[2] != 'C' || h[3] != 'F') return files;
    const uint32_t cabSize = le32(h + 8);
    const uint32_t filesAt = le32(h + 16);
    const uint16_t folderCount = le16(h + 26);
    const uint16_t fileCount = le16(h + 28);
    const uint16_t flags = le16(h + 30);
    int64_t at = 36;
    size_t folderReserve = 0;
    if (flags & 4) {
        if (!readAt(fd, 36, h, 4)) return files;
        at += 4 + le16(h);
        folderReserve = h[2];
    }
    if (flags & 3) return files;  // spanning sets: leave the facts unknown
    // Counts beyond what the file can hold are damage: allocate nothing for them.
    struct stat st {};
    if (::fstat(fd, &st) != 0) return files;
    const auto fileSize = static_cast<uint64_t>(st.st_size);
    if (uint64_t{folderCount} * 8 > fileSize || uint64_t{fileCount} * 17 > fileSize) return files;
    struct Folder {
        uint32_t start = 0;
        uint16_t type = 0;
        uint64_t unpacked = 0;
        uint64_t packed = 0;
    };
    std::vector<Folder> folders(folderCount);
    for (auto& fo : folders) {
        if (!readAt(fd, at, h, 8)) return files;
        fo.start = le32(h);
        fo.type = le16(h + 6);
        at += 8 + static_cast<int64_t>(folderReserve);
    }
    for (size_t i = 0; i < folders.size(); ++i) {
        const uint32_t end = i + 1 < folders.size() ? folders[i + 1].start : cabSize;
        folders[i].packed = end > folders[i].start ? end - folders[i].start : 0;
    }
    struct File {
        uint32_t size;
        uint16_t folder;
    };
    std::vector<File> table;
    at = filesAt;
    for (uint16_t i = 0; i < fileCount; ++i) {
        uint8_t e[16 + 257] = {};
        const ssize_t got = ::pread(fd, e, sizeof e, static_cast<off_t>(at));
        if (got < 17) return {};
        size_t nameLen = 0;
        while (16 + nameLen < static_cast<size_t>(got) && e[16 + nameLen] != 0) ++nameLen;
        if (16 + nameLen >= static_cast<size_t>(got)) return {};
        File f{le32(e), le16(e + 8)};
        table.push_back(f);
        if (f.folder < folders.size()) folders[f.folder].unpacked += f.size;
        at += 16 + static_cast<int64_t>(nameLen) + 1;
    }
    static const std::map<int, std::string> kTypes = {{0, "STORED"}, {1, "MSZIP"}, {2, "QUANTUM"}, {3, "LZX"}};
    for (const File& f : table) {
        HeaderFacts facts;
        if (f.folder < folders.size()) {
            const Folder& fo = folders[f.folder];
            const auto t = kTypes.find(fo.type & 0x0F);
            if (t != kTypes.end()) facts.method = t->second;
            if (fo.unpacked > 0) facts.packedSize = fo.packed * f.size / fo.unpacked;
        }
        files.push_back(facts);
    }
    return files;
}

}  // namespace korvalen::archivers
