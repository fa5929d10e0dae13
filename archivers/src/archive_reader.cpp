#include "archive_reader.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "arc_error.h"
#include "header_peek.h"
#include "korvalen/archiver_api.h"
#include "safe_path.h"

namespace korvalen::archivers {
namespace {

// libarchive converts header names into the calling thread's locale. The
// host program may run under "C", where Japanese names cannot be
// represented, so every call runs under a UTF-8 locale for this thread only.
class Utf8LocaleScope {
public:
    Utf8LocaleScope() {
        static const Holder utf8;
        if (utf8.locale != static_cast<locale_t>(0)) previous_ = uselocale(utf8.locale);
    }
    ~Utf8LocaleScope() {
        if (previous_ != static_cast<locale_t>(0)) uselocale(previous_);
    }
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

private:
    // Freed when the library is unloaded.
    struct Holder {
        locale_t locale = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(0));
        ~Holder() {
            if (locale != static_cast<locale_t>(0)) freelocale(locale);
        }
    };
    locale_t previous_ = static_cast<locale_t>(0);
};

constexpr size_t kReadBlock = 1 << 16;

}  // namespace

struct ArchiveReader::Impl {
    archive* a = nullptr;
    int fd = -1;  // our own descriptor for the header facts
    bool first = true;
    size_t index = 0;
    int64_t lastHeader = -1;  // where the last LHA member's header starts
    std::vector<HeaderFacts> cabFacts;
    ~Impl() {
        if (a != nullptr) archive_read_free(a);
        if (fd >= 0) ::close(fd);
    }
};

ArchiveReader::ArchiveReader(const std::string& path, ArchiveFormat format)
    : impl_(std::make_unique<Impl>()), format_(format), path_(path) {
    Utf8LocaleScope scope;
    impl_->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (impl_->fd < 0) {
        const int err = errno;
        throw ArcError(readErrorCode(err), systemMessage("書庫を開けません " + path, err));
    }
    struct stat st {};
    if (::fstat(impl_->fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw ArcError(ARC_ERR_FILE_OPEN, "書庫がファイルではありません: " + path);
    impl_->a = archive_read_new();
    if (impl_->a == nullptr) throw ArcError(ARC_ERR_MEMORY, "メモリが足りません。");
    if (format == ArchiveFormat::Lha)
        archive_read_support_format_lha(impl_->a);
    else
        archive_read_support_format_cab(impl_->a);
    archive_read_support_filter_none(impl_->a);
    // Names without the UTF-8 flag are Shift-JIS, whatever the locale.
    // libarchive converts them with iconv's CP932, which reads every byte
    // sequence as base::Cp932ToUtf8 does and refuses the same ones (a test
    // holds the two tables side by side); its reader cannot hand the raw
    // bytes over instead.
    archive_read_set_options(impl_->a, "hdrcharset=CP932");
    if (archive_read_open_filename(impl_->a, path.c_str(), kReadBlock) != ARCHIVE_OK) {
        // The file itself opened above, so a refusal here is about its content.
        const int err = archive_errno(impl_->a);
        const char* detail = archive_error_string(impl_->a);
        if (err == EIO || err == EACCES || err == ENOMEM)
            throw ArcError(readErrorCode(err), "書庫を開けません " + path + (detail ? std::string(": ") + detail : ""));
        throw ArcError(ARC_ERR_NOT_ARCHIVE, "書庫ではありません: " + path + (detail ? std::string(": ") + detail : ""));
    }
    if (format == ArchiveFormat::Cab) impl_->cabFacts = peekCabFiles(impl_->fd);
}

ArchiveReader::~ArchiveReader() = default;

void ArchiveReader::fail(int fallbackCode, const std::string& what) {
    const char* s = archive_error_string(impl_->a);
    const std::string detail = s ? s : "";
    const std::string l = lowerAscii(detail);
    int code = fallbackCode;
    if (l.find("crc") != std::string::npos || l.find("checksum") != std::string::npos ||
        l.find("sum error") != std::string::npos)
        code = ARC_ERR_CRC;
    else if (archive_errno(impl_->a) == ENOMEM)
        code = ARC_ERR_MEMORY;
    throw ArcError(code, what + (detail.empty() ? "" : ": " + detail));
}

bool ArchiveReader::next(MemberInfo& m) {
    Utf8LocaleScope scope;
    archive_entry* e = nullptr;
    const int r = archive_read_next_header(impl_->a, &e);
    const bool first = impl_->first;
    impl_->first = false;
    if (r == ARCHIVE_EOF) {
        if (first) throw ArcError(ARC_ERR_NOT_ARCHIVE, "書庫ではありません: " + path_);
        if (format_ == ArchiveFormat::Lha) checkLhaEnd();
        return false;
    }
    if (r != ARCHIVE_OK) {
        if (first && archive_format(impl_->a) == 0) fail(ARC_ERR_NOT_ARCHIVE, "書庫ではありません: " + path_);
        fail(ARC_ERR_BROKEN, "書庫が壊れています: " + path_);
    }
    const char* name = archive_entry_pathname_utf8(e);
    if (name == nullptr) fail(ARC_ERR_BROKEN, "書庫のファイル名を読めません: " + path_);
    m = MemberInfo{};
    m.name = name;
    // Archives made on Windows separate folders with "\"; in UTF-8 that
    // byte is never part of another character.
    std::replace(m.name.begin(), m.name.end(), '\\', '/');
    while (!m.name.empty() && m.name.back() == '/') m.name.pop_back();
    switch (archive_entry_filetype(e)) {
        case AE_IFREG: m.kind = MemberInfo::Kind::File; break;
        case AE_IFDIR: m.kind = MemberInfo::Kind::Folder; break;
        default: m.kind = MemberInfo::Kind::Other; break;
    }
    m.size = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
    m.mtime = archive_entry_mtime(e);
    m.mtimeNsec = archive_entry_mtime_nsec(e);
    if (archive_entry_atime_is_set(e)) m.atime = archive_entry_atime(e);
    if (archive_entry_birthtime_is_set(e)) m.ctime = archive_entry_birthtime(e);
    m.readOnly = (archive_entry_perm(e) & 0222) == 0;
    if (format_ == ArchiveFormat::Lha) {
        impl_->lastHeader = archive_read_header_position(impl_->a);
        const HeaderFacts f = peekLhaHeader(impl_->fd, impl_->lastHeader);
        m.method = f.method;
        m.crc = f.crc;
        m.osId = f.osId;
        m.packedSize = f.packedSize;
    } else if (impl_->index < impl_->cabFacts.size()) {
        m.method = impl_->cabFacts[impl_->index].method;
        m.packedSize = impl_->cabFacts[impl_->index].packedSize;
    }
    ++impl_->index;
    return true;
}

// Every LHA archive ends in one zero byte after its last member. An archive
// cut off right after a member reads like a whole one without it, and a
// backup cut so would give back only part of a database.
void ArchiveReader::checkLhaEnd() {
    const int64_t end = impl_->lastHeader >= 0 ? lhaMemberEnd(impl_->fd, impl_->lastHeader) : -1;
    if (end < 0) return;
    uint8_t marker = 0xFF;
    const ssize_t got = ::pread(impl_->fd, &marker, 1, static_cast<off_t>(end));
    if (got == 0) throw ArcError(ARC_ERR_BROKEN, "書庫の終わりの印がありません（書庫が途中で切れています）: " + path_);
}

size_t ArchiveReader::read(uint8_t* buffer, size_t size) {
    const la_ssize_t n = archive_read_data(impl_->a, buffer, size);
    if (n < 0) fail(ARC_ERR_BROKEN, "書庫のデータが壊れています: " + path_);
    return static_cast<size_t>(n);
}

int detectArchiveType(const std::string& path) {
    for (const auto format : {ArchiveFormat::Lha, ArchiveFormat::Cab}) {
        try {
            ArchiveReader reader(path, format);
            MemberInfo m;
            reader.next(m);
            return format == ArchiveFormat::Lha ? ARC_TYPE_LHA : ARC_TYPE_CAB;
        } catch (const ArcError& e) {
            if (e.code() == ARC_ERR_FILE_OPEN) return ARC_TYPE_ERROR;
        }
    }
    return ARC_TYPE_UNKNOWN;
}

}  // namespace korvalen::archivers
