#include "page_checksum_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>

#include "session.h"
#include "table_files.h"

namespace korvalen::tablestore::detail {
namespace {

sqlite3_vfs* g_root = nullptr;

// SQLite allocates szOsFile bytes for each open file and hands them to xOpen;
// ours come first, the underlying file's follow.
struct CheckedFile {
    sqlite3_file base;
    sqlite3_file* real;
    bool checked;   // a table file: pages carry checksums
    bool tolerant;  // diagnosis: record bad pages instead of failing the read
    std::vector<std::uint32_t> bad;
    std::unique_ptr<unsigned char[]> scratch;
    int scratchSize;
};

CheckedFile* Cast(sqlite3_file* f) { return reinterpret_cast<CheckedFile*>(f); }

// Where the underlying file's bytes start within the block SQLite gives us.
constexpr std::size_t kRealOffset =
    (sizeof(CheckedFile) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);

std::uint32_t Load32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void Store32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// Two running sums over 32-bit words, seeded with the page number so that a
// zeroed page or a page written at the wrong place does not pass.
void PageSum(const unsigned char* page, int size, std::uint32_t pageNo, unsigned char out[8]) {
    std::uint32_t s1 = 0x4B52564Cu ^ pageNo;
    std::uint32_t s2 = 0x9E3779B9u * (pageNo + 1);
    for (int i = 0; i + 8 <= size - kPageReserve; i += 8) {
        s1 += Load32(page + i) + s2;
        s2 += Load32(page + i + 4) + s1;
    }
    Store32(out, s1);
    Store32(out + 4, s2);
}

// SQLite moves table-file pages whole: a power of two from 512 to 65536 at a
// multiple of its size. Anything else (the 100-byte header peek) is not a page.
bool IsPage(int amount, sqlite3_int64 offset) {
    return amount >= 512 && amount <= 65536 && (amount & (amount - 1)) == 0 && offset % amount == 0;
}

std::uint32_t PageNumber(int amount, sqlite3_int64 offset) { return static_cast<std::uint32_t>(offset / amount) + 1; }

int Close(sqlite3_file* f) {
    CheckedFile* p = Cast(f);
    int rc = p->real->pMethods ? p->real->pMethods->xClose(p->real) : SQLITE_OK;
    p->~CheckedFile();
    return rc;
}

int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    CheckedFile* p = Cast(f);
    int rc = p->real->pMethods->xRead(p->real, buffer, amount, offset);
    if (!p->checked || !IsPage(amount, offset)) return rc;
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) return rc;
    const auto* page = static_cast<const unsigned char*>(buffer);
    unsigned char sum[8];
    PageSum(page, amount, PageNumber(amount, offset), sum);
    // A short read of a whole page means the file was cut inside the table:
    // that page is as damaged as one whose checksum is wrong.
    if (rc == SQLITE_OK && std::memcmp(sum, page + amount - kPageReserve, kPageReserve) == 0) {
        return SQLITE_OK;
    }
    std::uint32_t pageNo = PageNumber(amount, offset);
    if (std::find(p->bad.begin(), p->bad.end(), pageNo) == p->bad.end()) p->bad.push_back(pageNo);
    if (p->tolerant) return rc;
    return SQLITE_IOERR_DATA;
}

int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    CheckedFile* p = Cast(f);
    if (!p->checked || !IsPage(amount, offset)) {
        return p->real->pMethods->xWrite(p->real, buffer, amount, offset);
    }
    if (p->scratchSize < amount) {
        p->scratch.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(amount)]);
        p->scratchSize = p->scratch ? amount : 0;
        if (!p->scratch) return SQLITE_NOMEM;
    }
    unsigned char* page = p->scratch.get();
    std::memcpy(page, buffer, static_cast<std::size_t>(amount));
    PageSum(page, amount, PageNumber(amount, offset), page + amount - kPageReserve);
    return p->real->pMethods->xWrite(p->real, page, amount, offset);
}

int Truncate(sqlite3_file* f, sqlite3_int64 size) { return Cast(f)->real->pMethods->xTruncate(Cast(f)->real, size); }
int Sync(sqlite3_file* f, int flags) { return Cast(f)->real->pMethods->xSync(Cast(f)->real, flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Cast(f)->real->pMethods->xFileSize(Cast(f)->real, size); }
int Lock(sqlite3_file* f, int level) { return Cast(f)->real->pMethods->xLock(Cast(f)->real, level); }
int Unlock(sqlite3_file* f, int level) { return Cast(f)->real->pMethods->xUnlock(Cast(f)->real, level); }
int CheckReservedLock(sqlite3_file* f, int* out) {
    return Cast(f)->real->pMethods->xCheckReservedLock(Cast(f)->real, out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return Cast(f)->real->pMethods->xFileControl(Cast(f)->real, op, arg);
}
int SectorSize(sqlite3_file* f) { return Cast(f)->real->pMethods->xSectorSize(Cast(f)->real); }
int DeviceCharacteristics(sqlite3_file* f) { return Cast(f)->real->pMethods->xDeviceCharacteristics(Cast(f)->real); }

// Version 1 on purpose: without shared-memory and memory-map methods SQLite
// cannot put a table file into WAL mode, which does not work on network
// shares, and every page read goes through Read.
const sqlite3_io_methods kMethods = {
    1,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// A table file: a name ending in the table extension, and more than that;
// or one being built under its temporary name.
bool IsTableFile(const char* name) {
    if (!name) return false;
    std::string_view n(name);
    if (n.ends_with(kBuildingSuffix)) n.remove_suffix(kBuildingSuffix.size());
    return n.size() > kDataExt.size() && n.ends_with(kDataExt);
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* p = new (f) CheckedFile{};
    p->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + kRealOffset);
    p->checked = (flags & SQLITE_OPEN_MAIN_DB) && IsTableFile(name);
    int rc = g_root->xOpen(g_root, name, p->real, flags, outFlags);
    if (p->real->pMethods) {
        p->base.pMethods = &kMethods;
    } else {
        p->~CheckedFile();
        f->pMethods = nullptr;
    }
    return rc;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir) { return g_root->xDelete(g_root, name, syncDir); }
int Access(sqlite3_vfs*, const char* name, int flags, int* out) { return g_root->xAccess(g_root, name, flags, out); }
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return g_root->xFullPathname(g_root, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) { return g_root->xDlOpen(g_root, name); }
void DlError(sqlite3_vfs*, int size, char* out) { g_root->xDlError(g_root, size, out); }
void (*DlSym(sqlite3_vfs*, void* lib, const char* sym))(void) { return g_root->xDlSym(g_root, lib, sym); }
void DlClose(sqlite3_vfs*, void* lib) { g_root->xDlClose(g_root, lib); }
int Randomness(sqlite3_vfs*, int size, char* out) { return g_root->xRandomness(g_root, size, out); }
int VfsSleep(sqlite3_vfs*, int micros) { return g_root->xSleep(g_root, micros); }
int CurrentTime(sqlite3_vfs*, double* out) { return g_root->xCurrentTime(g_root, out); }
int VfsGetLastError(sqlite3_vfs*, int size, char* out) {
    return g_root->xGetLastError ? g_root->xGetLastError(g_root, size, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    if (g_root->iVersion >= 2 && g_root->xCurrentTimeInt64) return g_root->xCurrentTimeInt64(g_root, out);
    double now = 0;
    int rc = g_root->xCurrentTime(g_root, &now);
    *out = static_cast<sqlite3_int64>(now * 86400000.0);
    return rc;
}

sqlite3_vfs g_vfs{};

}  // namespace

const char* PageChecksumVfsName() {
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_initialize();
        g_root = sqlite3_vfs_find(nullptr);
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = static_cast<int>(kRealOffset) + g_root->szOsFile;
        g_vfs.mxPathname = g_root->mxPathname;
        g_vfs.zName = "korvalen-pagecheck";
        g_vfs.xOpen = Open;
        g_vfs.xDelete = Delete;
        g_vfs.xAccess = Access;
        g_vfs.xFullPathname = FullPathname;
        g_vfs.xDlOpen = DlOpen;
        g_vfs.xDlError = DlError;
        g_vfs.xDlSym = DlSym;
        g_vfs.xDlClose = DlClose;
        g_vfs.xRandomness = Randomness;
        g_vfs.xSleep = VfsSleep;
        g_vfs.xCurrentTime = CurrentTime;
        g_vfs.xGetLastError = VfsGetLastError;
        g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
        sqlite3_vfs_register(&g_vfs, 0);
    });
    return g_vfs.zName;
}

Connection::~Connection() { sqlite3_close_v2(db); }

int OpenTableFile(Connection& c, const std::filesystem::path& dataFile, std::chrono::milliseconds timeout) {
    const int rc = sqlite3_open_v2(Utf8(dataFile).c_str(), &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_EXRESCODE,
                                   PageChecksumVfsName());
    if (rc == SQLITE_OK) sqlite3_busy_timeout(c.db, static_cast<int>(timeout.count()));
    return rc;
}

std::optional<PageProbe> PageProbe::Of(sqlite3* db, const char* schema) {
    sqlite3_file* f = nullptr;
    if (sqlite3_file_control(db, schema, SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f) return std::nullopt;
    if (f->pMethods != &kMethods || !Cast(f)->checked) return std::nullopt;
    return PageProbe(f);
}

void PageProbe::setTolerant(bool on) { static_cast<CheckedFile*>(file_)->tolerant = on; }

const std::vector<std::uint32_t>& PageProbe::badPages() const { return static_cast<CheckedFile*>(file_)->bad; }

}  // namespace korvalen::tablestore::detail
