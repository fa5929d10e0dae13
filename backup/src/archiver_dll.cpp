#include "korvalen/backup/archiver_dll.h"

#include <QDir>
#include <QFile>
#include <QLibrary>

#if defined(__linux__)
#include <dlfcn.h>
#include <link.h>
#endif

#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/archiver_libraries.h"
#include "korvalen/backup/native_path.h"

namespace korvalen::backup {

namespace {

constexpr std::array<const char*, kArchiverEntryCount> kSuffixes{
    "",
    ARC_ENTRY_OPEN_ARCHIVE,
    ARC_ENTRY_CLOSE_ARCHIVE,
    ARC_ENTRY_FIND_FIRST,
    ARC_ENTRY_FIND_NEXT,
    ARC_ENTRY_EXTRACT_MEM,
    ARC_ENTRY_CHECK_ARCHIVE,
    ARC_ENTRY_SET_OWNER_WINDOW_EX,
    ARC_ENTRY_KILL_OWNER_WINDOW_EX,
    ARC_ENTRY_GET_WRITE_TIME_EX,
    ARC_ENTRY_GET_CREATE_TIME_EX,
    ARC_ENTRY_GET_ACCESS_TIME_EX,
    ARC_ENTRY_GET_ORIGINAL_SIZE_EX,
    ARC_ENTRY_GET_COMPRESSED_SIZE_EX,
    ARC_ENTRY_GET_ARCHIVE_TYPE,
};

constexpr std::size_t Index(TArchiverEntry entry) { return static_cast<std::size_t>(entry); }

// The module path in messages is cut like a Windows path buffer.
constexpr qsizetype kModulePathLimit = 256;

// The file a loaded module came from. A module found through the loader's
// own search path is known to QLibrary only by the bare name it was asked for.
QString LoadedModulePath(const QLibrary& module) {
    const QString name = module.fileName();
    if (QDir::isAbsolutePath(name)) return name;
#if defined(__linux__)
    void* handle = dlopen(QFile::encodeName(name).constData(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) return name;
    QString path = name;
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr && *map->l_name != 0) {
        path = QFile::decodeName(map->l_name);
    }
    dlclose(handle);  // only drops the reference taken just now
    return path;
#else
    return name;
#endif
}

template <class Fn>
Fn As(void (*pointer)()) {
    return reinterpret_cast<Fn>(pointer);
}

}  // namespace

const char* ArchiverEntrySuffix(TArchiverEntry entry) { return kSuffixes[Index(entry)]; }

void TCustomArchiverDll::Unload() { entries_.fill(nullptr); }

TCustomArchiverDll::EntryPointer TCustomArchiverDll::TryBind(TArchiverEntry entry) {
    EntryPointer& slot = entries_[Index(entry)];
    if (slot == nullptr) slot = LookUp(entry);
    return slot;
}

TCustomArchiverDll::EntryPointer TCustomArchiverDll::Bind(TArchiverEntry entry) {
    EntryPointer pointer = TryBind(entry);
    if (pointer == nullptr) {
        throw EEntryNotFound(FormatMessageText(messages::kEntryNotFound, {ModulePath(), EntryName(entry)}));
    }
    return pointer;
}

int TCustomArchiverDll::Command(ArcWindow window, const std::string& command, char* output, std::uint32_t outputSize) {
    Load();
    auto fn = As<ArcCommandFn>(Bind(TArchiverEntry::Command));
    return fn(window, command.c_str(), output, outputSize);
}

bool TCustomArchiverDll::CheckArchive(const std::string& archivePath, int mode) {
    Load();
    auto fn = As<ArcCheckArchiveFn>(Bind(TArchiverEntry::CheckArchive));
    return fn(archivePath.c_str(), mode) != 0;
}

int TCustomArchiverDll::CloseArchive(ArcHandle archive) {
    Load();
    auto fn = As<ArcCloseArchiveFn>(Bind(TArchiverEntry::CloseArchive));
    return fn(archive);
}

int TCustomArchiverDll::ExtractMem(ArcWindow window, const std::string& command, unsigned char* buffer,
                                   std::uint32_t size, std::int64_t* unixTime, std::uint16_t* attributes,
                                   std::uint32_t* written) {
    auto fn = As<ArcExtractMemFn>(Bind(TArchiverEntry::ExtractMem));
    return fn(window, command.c_str(), buffer, size, unixTime, attributes, written);
}

int TCustomArchiverDll::FindFirst(ArcHandle archive, const std::string& wildcard, ArcEntryRecord* entry) {
    Load();
    auto fn = As<ArcFindFirstFn>(Bind(TArchiverEntry::FindFirst));
    return fn(archive, wildcard.c_str(), entry);
}

int TCustomArchiverDll::FindNext(ArcHandle archive, ArcEntryRecord* entry) {
    auto fn = As<ArcFindNextFn>(Bind(TArchiverEntry::FindNext));
    return fn(archive, entry);
}

bool TCustomArchiverDll::KillOwnerWindowEx(ArcWindow window) {
    auto fn = As<ArcKillOwnerWindowExFn>(Bind(TArchiverEntry::KillOwnerWindowEx));
    return fn(window) != 0;
}

ArcHandle TCustomArchiverDll::OpenArchive(ArcWindow window, const std::string& archivePath, std::uint32_t mode) {
    Load();
    auto fn = As<ArcOpenArchiveFn>(Bind(TArchiverEntry::OpenArchive));
    return fn(window, archivePath.c_str(), mode);
}

bool TCustomArchiverDll::SetOwnerWindowEx(ArcWindow window, ArcProgressFn callback) {
    auto fn = As<ArcSetOwnerWindowExFn>(Bind(TArchiverEntry::SetOwnerWindowEx));
    return fn(window, callback) != 0;
}

bool TCustomArchiverDll::TimeEx(TArchiverEntry entry, ArcHandle archive, std::uint64_t& value) {
    auto fn = As<ArcGetTimeExFn>(TryBind(entry));
    return fn != nullptr && fn(archive, &value) != 0;
}

bool TCustomArchiverDll::SizeEx(TArchiverEntry entry, ArcHandle archive, std::uint64_t& value) {
    auto fn = As<ArcGetSizeExFn>(TryBind(entry));
    return fn != nullptr && fn(archive, &value) != 0;
}

bool TCustomArchiverDll::GetWriteTimeEx(ArcHandle archive, std::uint64_t& fileTime) {
    return TimeEx(TArchiverEntry::GetWriteTimeEx, archive, fileTime);
}

bool TCustomArchiverDll::GetCreateTimeEx(ArcHandle archive, std::uint64_t& fileTime) {
    return TimeEx(TArchiverEntry::GetCreateTimeEx, archive, fileTime);
}

bool TCustomArchiverDll::GetAccessTimeEx(ArcHandle archive, std::uint64_t& fileTime) {
    return TimeEx(TArchiverEntry::GetAccessTimeEx, archive, fileTime);
}

bool TCustomArchiverDll::GetOriginalSizeEx(ArcHandle archive, std::uint64_t& size) {
    return SizeEx(TArchiverEntry::GetOriginalSizeEx, archive, size);
}

bool TCustomArchiverDll::GetCompressedSizeEx(ArcHandle archive, std::uint64_t& size) {
    return SizeEx(TArchiverEntry::GetCompressedSizeEx, archive, size);
}

int TCustomArchiverDll::GetArchiveType(const std::string& archivePath) {
    Load();
    auto fn = As<ArcGetArchiveTypeFn>(Bind(TArchiverEntry::GetArchiveType));
    return fn(archivePath.c_str());
}

TArchiverDll::TArchiverDll(std::string description, std::string fileName, std::string prefix)
    : description_(std::move(description)), fileName_(std::move(fileName)), prefix_(std::move(prefix)) {}

// The module stays loaded for the rest of the run: QLibrary does not unload
// on destruction, and nothing here calls unload().
TArchiverDll::~TArchiverDll() = default;

bool TArchiverDll::Loaded() const { return module_ != nullptr; }

void TArchiverDll::Load() {
    if (module_ != nullptr) return;
    for (const auto& candidate : LibraryCandidates(fileName_)) {
        auto library = std::make_unique<QLibrary>(ToQString(candidate));
        if (library->load()) {
            modulePath_ = FromQString(QDir::toNativeSeparators(LoadedModulePath(*library)).left(kModulePathLimit));
            module_ = std::move(library);
            return;
        }
    }
    throw ENoArchiverDLL(FormatMessageText(messages::kNoLibrary, {description_, fileName_}));
}

std::string TArchiverDll::ModulePath() const { return modulePath_; }

TCustomArchiverDll::EntryPointer TArchiverDll::LookUp(TArchiverEntry entry) {
    if (module_ == nullptr) return nullptr;
    return module_->resolve(EntryName(entry).c_str());
}

std::string TArchiverDll::EntryName(TArchiverEntry entry) const { return prefix_ + ArchiverEntrySuffix(entry); }

}  // namespace korvalen::backup
