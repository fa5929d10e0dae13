#include "entries.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "arc_error.h"
#include "dos_time.h"
#include "operations.h"
#include "output_text.h"
#include "progress.h"
#include "safe_path.h"

namespace korvalen::archivers::entries {
namespace {

// An open archive: the reader walks it once per FindFirst.
struct OpenArchive {
    ArchiveFormat format;
    std::string path;
    std::unique_ptr<ArchiveReader> reader;
    std::string wildcard;
    std::optional<MemberInfo> current;
};

// Handles are numbers from a counter, never pointers: a stale or made-up
// handle finds nothing instead of touching freed memory.
std::mutex& handleMutex() {
    static std::mutex m;
    return m;
}
std::map<ArcHandle, std::shared_ptr<OpenArchive>>& handles() {
    static std::map<ArcHandle, std::shared_ptr<OpenArchive>> h;
    return h;
}
ArcHandle nextHandle = 0x1000;

std::shared_ptr<OpenArchive> lookup(ArcHandle h) {
    std::lock_guard lock(handleMutex());
    const auto it = handles().find(h);
    return it == handles().end() ? nullptr : it->second;
}

void fillRecord(const MemberInfo& m, ArcEntryRecord* e) {
    std::memset(e, 0, sizeof *e);
    const uint64_t original = static_cast<uint64_t>(m.size);
    e->originalSize = static_cast<uint32_t>(original);
    e->compressedSize = static_cast<uint32_t>(m.packedSize);
    e->crc = m.crc;
    e->osType = m.osId;
    e->ratio = original == 0 ? 0 : static_cast<uint16_t>(std::min<uint64_t>(m.packedSize * 1000 / original, 0xFFFF));
    const DosDateTime dt = unixToDos(m.mtime);
    e->dosDate = dt.date;
    e->dosTime = dt.time;
    copyUtf8(e->fileName, sizeof e->fileName, m.kind == MemberInfo::Kind::Folder ? m.name + "/" : m.name);
    // Read-only, hidden, system, archive; folders show "d" first.
    std::string attr = m.kind == MemberInfo::Kind::Folder ? "d" : "-";
    attr += m.readOnly ? "r" : "-";
    attr += "--";
    attr += m.kind == MemberInfo::Kind::File ? "a" : "-";
    copyUtf8(e->attribute, sizeof e->attribute, attr);
    copyUtf8(e->method, sizeof e->method, m.method);
}

// Advances to the next member matching the archive's wildcard.
int advance(OpenArchive& a, ArcEntryRecord* entry) {
    MemberInfo m;
    while (a.reader->next(m)) {
        if (!nameSelected({a.wildcard}, m.name)) continue;
        a.current = m;
        if (entry != nullptr) fillRecord(m, entry);
        return 0;
    }
    a.current.reset();
    return -1;
}

template <typename F>
int guarded(F&& f) {
    try {
        return f();
    } catch (const ArcError& e) {
        return e.code();
    } catch (const std::bad_alloc&) {
        return ARC_ERR_MEMORY;
    } catch (...) {
        return ARC_ERR_BROKEN;
    }
}

int timeOf(ArcHandle h, uint64_t* out, int64_t (*pick)(const MemberInfo&)) {
    const auto a = lookup(h);
    if (!a || !a->current || out == nullptr) return 0;
    const int64_t t = pick(*a->current);
    *out = unixToFileTime(t < 0 ? a->current->mtime : t, t < 0 ? a->current->mtimeNsec : 0);
    return 1;
}

}  // namespace

int command(ArchiveFormat f, ArcWindow window, const char* text, char* output, uint32_t outputSize) {
    try {
        return runCommand(f, window, text, output, outputSize);
    } catch (...) {
        return ARC_ERR_MEMORY;
    }
}

ArcHandle openArchive(ArchiveFormat f, ArcWindow, const char* path, uint32_t) {
    try {
        if (path == nullptr) return 0;
        auto a = std::make_shared<OpenArchive>();
        a->format = f;
        a->path = path;
        // Opening reads the first header: a file of another kind fails here.
        ArchiveReader probe(path, f);
        MemberInfo m;
        probe.next(m);
        std::lock_guard lock(handleMutex());
        const ArcHandle h = nextHandle++;
        handles().emplace(h, std::move(a));
        return h;
    } catch (...) {
        return 0;
    }
}

int closeArchive(ArcHandle h) {
    std::lock_guard lock(handleMutex());
    return handles().erase(h) > 0 ? 0 : ARC_ERR_HANDLE;
}

int findFirst(ArcHandle h, const char* wildcard, ArcEntryRecord* entry) {
    return guarded([&] {
        const auto a = lookup(h);
        if (!a) return static_cast<int>(ARC_ERR_HANDLE);
        a->current.reset();
        a->reader.reset();
        a->wildcard = wildcard == nullptr ? "" : wildcard;
        a->reader = std::make_unique<ArchiveReader>(a->path, a->format);
        return advance(*a, entry);
    });
}

int findNext(ArcHandle h, ArcEntryRecord* entry) {
    return guarded([&] {
        const auto a = lookup(h);
        if (!a) return static_cast<int>(ARC_ERR_HANDLE);
        if (!a->reader) return -1;
        return advance(*a, entry);
    });
}

int extractMem(ArchiveFormat f, ArcWindow, const char* text, unsigned char* buffer, uint32_t size, int64_t* unixTime,
               uint16_t* attributes, uint32_t* written) {
    MemoryResult r;
    const int code = guarded([&] {
        if (text == nullptr || (buffer == nullptr && size > 0)) return static_cast<int>(ARC_ERR_BAD_COMMAND);
        const CommandLine cl = parseMemoryCommand(text, f == ArchiveFormat::Lha);
        extractToMemory(f, cl, buffer, size, r);
        return static_cast<int>(ARC_OK);
    });
    if (written != nullptr) *written = r.written;
    if (unixTime != nullptr) *unixTime = r.mtime;
    if (attributes != nullptr) *attributes = r.attributes;
    return code;
}

int checkArchive(ArchiveFormat f, const char* path, int mode) {
    if (path == nullptr) return 0;
    const int code = guarded([&] {
        CommandLine cl;
        cl.archive = path;
        Progress quiet(0, path);
        OutputText log;
        if (mode & ARC_CHECK_FULL_CRC) {
            testArchive(f, cl, quiet, log);
        } else {
            ArchiveReader reader(path, f);
            MemberInfo m;
            while (reader.next(m)) {
            }
        }
        return static_cast<int>(ARC_OK);
    });
    return code == ARC_OK ? 1 : 0;
}

int setOwnerWindowEx(ArcWindow window, ArcProgressFn callback) {
    try {
        return registerOwnerWindow(window, callback) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int killOwnerWindowEx(ArcWindow window) {
    try {
        return unregisterOwnerWindow(window) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int getWriteTimeEx(ArcHandle h, uint64_t* t) {
    return timeOf(h, t, [](const MemberInfo& m) { return m.mtime; });
}
int getCreateTimeEx(ArcHandle h, uint64_t* t) {
    return timeOf(h, t, [](const MemberInfo& m) { return m.ctime; });
}
int getAccessTimeEx(ArcHandle h, uint64_t* t) {
    return timeOf(h, t, [](const MemberInfo& m) { return m.atime; });
}

int getOriginalSizeEx(ArcHandle h, uint64_t* size) {
    const auto a = lookup(h);
    if (!a || !a->current || size == nullptr) return 0;
    *size = static_cast<uint64_t>(a->current->size);
    return 1;
}

int getCompressedSizeEx(ArcHandle h, uint64_t* size) {
    const auto a = lookup(h);
    if (!a || !a->current || size == nullptr) return 0;
    *size = a->current->packedSize;
    return 1;
}

int getArchiveType(const char* path) {
    if (path == nullptr) return ARC_TYPE_ERROR;
    try {
        return detectArchiveType(path);
    } catch (...) {
        return ARC_TYPE_ERROR;
    }
}

}  // namespace korvalen::archivers::entries
