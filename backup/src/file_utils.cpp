#include "korvalen/backup/file_utils.h"

#include <QStorageInfo>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <vector>

#include "file_sync.h"
#include "fs_path.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/errors.h"
#include "korvalen/platform/paths.h"

namespace korvalen::backup {

namespace fs = std::filesystem;

namespace {

constexpr char kSeparator = platform::kPathSeparator;

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The last character of a UTF-8 text, all its bytes.
std::string_view LastCharacter(std::string_view text) {
    std::size_t start = text.size() - 1;
    while (start > 0 && IsContinuationByte(text[start])) --start;
    return text.substr(start);
}

// The first character of a UTF-8 text, all its bytes.
std::string_view FirstCharacter(std::string_view text) {
    std::size_t end = 1;
    while (end < text.size() && IsContinuationByte(text[end])) ++end;
    return text.substr(0, end);
}

bool IsSeparatorCharacter(std::string_view character) {
    return character.size() == 1 && character.front() == kSeparator;
}

constexpr fs::perms kWriteBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

bool ReadOnlyStatus(const fs::file_status& status) { return (status.permissions() & kWriteBits) == fs::perms::none; }

// The entries directly inside a folder in the file system's order; none
// when it cannot be read.
std::vector<fs::directory_entry> EntriesOf(std::string_view folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(FsPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(*it);
    }
    return entries;
}

// A plain file: any entry that is not a folder (links to folders included
// with the folders).
bool IsPlainFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return !entry.is_directory(ec);
}

std::string NameOf(const fs::directory_entry& entry) { return Utf8Of(entry.path().filename()); }

void Step(const FileStepFn& step, const std::string& name) {
    if (step) step(name);
}

// One file onto another, refusing what the original system would refuse:
// a read-only target and a folder in the way.
bool CopyOneFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const fs::file_status target = fs::symlink_status(to, ec);
    if (fs::exists(target) || fs::is_symlink(target)) {
        // Writing through a link could land outside the folder.
        if (fs::is_directory(target) || fs::is_symlink(target) || ReadOnlyStatus(target)) return false;
    }
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) || ec) return false;
    const auto modified = fs::last_write_time(from, ec);
    if (!ec) fs::last_write_time(to, modified, ec);
    // The copy is what a restore falls back on: it must be on the disk
    // before the original goes.
    return SyncFile(to);
}

bool CopyFiles(std::string_view source, std::string_view destination, const FileStepFn& step, bool skipArchives) {
    const fs::path target = FsPath(destination);
    bool copied = false;
    for (const fs::directory_entry& entry : EntriesOf(source)) {
        if (!IsPlainFile(entry)) continue;
        const std::string name = NameOf(entry);
        const std::string_view extension = FileExtension(name);
        if (extension == ".NET" || (skipArchives && extension == ".LZH")) continue;
        if (!CopyOneFile(entry.path(), target / entry.path().filename())) return false;
        copied = true;
        Step(step, name);
    }
    // The new names in the folder must last as well as the files.
    return !copied || SyncFolder(target);
}

}  // namespace

std::string AddBackslash(std::string_view path, int mode) {
    std::string result(path);
    if (result.empty()) return result;
    if (mode != kTrailingSeparator && !IsSeparatorCharacter(FirstCharacter(result))) result.insert(0, 1, kSeparator);
    if (mode != kLeadingSeparator && !IsSeparatorCharacter(LastCharacter(result))) result += kSeparator;
    return result;
}

std::string ParentFolder(std::string_view folder) {
    std::error_code ec;
    const fs::path parent = fs::canonical(FsPath(folder) / "..", ec);
    if (ec) {
        throw platform::PlatformError("上位のフォルダを確認できませんでした。\r\n" + std::string(folder) + "\r\n" +
                                      ec.message());
    }
    return AddBackslash(Utf8Of(parent));
}

std::string_view FileExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool CopyFolderFiles(std::string_view source, std::string_view destination, const FileStepFn& step) {
    return CopyFiles(source, destination, step, false);
}

bool CopyBackupFiles(std::string_view source, std::string_view destination, const FileStepFn& step) {
    return CopyFiles(source, destination, step, true);
}

std::uint64_t FolderSize(std::string_view folder, const FileStepFn& step) {
    std::uint64_t total = 0;
    for (const fs::directory_entry& entry : EntriesOf(folder)) {
        if (IsPlainFile(entry)) {
            std::error_code ec;
            const std::uintmax_t size = entry.file_size(ec);
            if (!ec) total += size;
        }
        Step(step, NameOf(entry));
    }
    return total;
}

bool IsReadOnly(std::string_view path) {
    std::error_code ec;
    const fs::file_status status = fs::status(FsPath(path), ec);
    return !ec && fs::exists(status) && ReadOnlyStatus(status);
}

void ClearReadOnly(std::string_view folder, const FileStepFn& step) {
    for (const fs::directory_entry& entry : EntriesOf(folder)) {
        if (IsPlainFile(entry)) {
            std::error_code ec;
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        }
        Step(step, NameOf(entry));
    }
}

void DeleteTree(std::string_view folder, const FileStepFn& step) {
    const fs::path root = FsPath(folder);
    for (const fs::directory_entry& entry : EntriesOf(folder)) {
        std::error_code ec;
        const fs::file_status status = entry.symlink_status(ec);
        if (fs::is_directory(status)) {
            DeleteTree(AddBackslash(Utf8Of(entry.path())), step);
        } else if (fs::is_symlink(status) || !ReadOnlyStatus(status)) {
            fs::remove(entry.path(), ec);
        }
        Step(step, NameOf(entry));
    }
    std::error_code ec;
    fs::remove(root, ec);  // fails, and is meant to, while anything is left inside
}

namespace {

void ClearReadOnlyTree(std::string_view folder) {
    ClearReadOnly(folder);
    for (const fs::directory_entry& entry : EntriesOf(folder)) {
        std::error_code ec;
        if (fs::is_directory(entry.symlink_status(ec))) ClearReadOnlyTree(AddBackslash(Utf8Of(entry.path())));
    }
}

}  // namespace

void DeleteScratchTree(std::string_view folder, const FileStepFn& step) {
    ClearReadOnlyTree(folder);
    DeleteTree(folder, step);
}

void DeleteFolderFiles(std::string_view folder, const FileStepFn& step) {
    for (const fs::directory_entry& entry : EntriesOf(folder)) {
        std::error_code ec;
        const fs::file_status status = entry.symlink_status(ec);
        if (!fs::is_directory(status) && !entry.is_directory(ec)) {
            if (fs::is_symlink(status) || !ReadOnlyStatus(status)) fs::remove(entry.path(), ec);
        }
        Step(step, NameOf(entry));
    }
}

Ymd8Code ParseYmd8(std::string_view text, std::int32_t& date) {
    if (text.size() != 8) return Ymd8Code::WrongLength;
    for (const char c : text) {
        if (c < '0' || c > '9') return Ymd8Code::NotANumber;
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    const int year = number(0, 4);
    const int month = number(4, 2);
    const int day = number(6, 2);
    const std::chrono::year_month_day ymd{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    if (year < 1 || !ymd.ok()) return Ymd8Code::NotADate;
    date = platform::DayNumberOf(year, month, day);
    return Ymd8Code::DateSet;
}

std::string RemoveAll(std::string text, std::string_view part) {
    if (part.empty()) return text;
    for (std::size_t at; (at = text.find(part)) != std::string::npos;) text.erase(at, part.size());
    return text;
}

std::uint64_t FreeDiskBytes(std::string_view folder) {
    const QStorageInfo volume(ToQString(AddBackslash(folder)));
    if (!volume.isValid() || !volume.isReady()) return 0;
    const qint64 available = volume.bytesAvailable();
    return available > 0 ? static_cast<std::uint64_t>(available) : 0;
}

}  // namespace korvalen::backup
