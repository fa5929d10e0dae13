#include "korvalen/backup/restore_mark.h"

#include <filesystem>
#include <system_error>

#include "file_sync.h"
#include "fs_path.h"
#include "korvalen/backup/backup_messages.h"
#include "korvalen/backup/file_utils.h"
#include "korvalen/platform/errors.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/paths.h"
#include "korvalen/platform/profile_file.h"

namespace korvalen::backup {

namespace fs = std::filesystem;

namespace {

// A folder inside T: the copies of the tables that T holds beside it are
// files, and every copy loop passes over folders.
constexpr std::string_view kMarkFolder = "KORVALEN_RESTORE";
constexpr std::string_view kMarkFile = "restore.ini";
constexpr std::string_view kMarkSection = "RESTORE";
constexpr std::string_view kMarkKey = "DatabaseFolder";

std::string MarkFolderOf(std::string_view tempFolder) { return AddBackslash(tempFolder) + std::string(kMarkFolder); }
std::string MarkFileOf(std::string_view tempFolder) {
    return AddBackslash(MarkFolderOf(tempFolder)) + std::string(kMarkFile);
}

}  // namespace

std::string RestoreTempFolder(std::string_view databaseFolder) {
    return ParentFolder(databaseFolder) + AddBackslash(kTempFolderName);
}

std::optional<InterruptedRestore> ReadRestoreMark(std::string_view tempFolder) {
    const std::string file = MarkFileOf(tempFolder);
    if (!platform::FileExists(file)) return std::nullopt;
    std::string folder = platform::ReadProfileString(file, kMarkSection, kMarkKey);
    if (folder.empty()) return std::nullopt;
    return InterruptedRestore{std::move(folder), AddBackslash(tempFolder)};
}

bool WriteRestoreMark(std::string_view tempFolder, std::string_view databaseFolder) {
    const fs::path folder = FsPath(MarkFolderOf(tempFolder));
    std::error_code ec;
    fs::create_directory(folder, ec);
    if (ec) return false;
    try {
        platform::WriteProfileString(MarkFileOf(tempFolder), kMarkSection, kMarkKey, databaseFolder);
    } catch (const std::exception&) {
        return false;
    }
    return SyncFile(FsPath(MarkFileOf(tempFolder))) && SyncFolder(folder) && SyncFolder(FsPath(tempFolder));
}

void RemoveRestoreMark(std::string_view tempFolder) {
    std::error_code ec;
    fs::remove(FsPath(MarkFileOf(tempFolder)), ec);
    fs::remove(FsPath(MarkFolderOf(tempFolder)), ec);
    SyncFolder(FsPath(tempFolder));
}

std::optional<InterruptedRestore> FindInterruptedRestore(std::string_view databaseFolder) {
    std::string temp;
    try {
        temp = RestoreTempFolder(databaseFolder);
    } catch (const platform::PlatformError&) {
        return std::nullopt;
    }
    auto mark = ReadRestoreMark(temp);
    if (!mark || !platform::SameFolder(AddBackslash(mark->databaseFolder), AddBackslash(databaseFolder))) {
        return std::nullopt;
    }
    return mark;
}

std::string InterruptedRestoreMessage(const InterruptedRestore& restore) {
    return std::string(texts::kInterruptedRestore) + "\r\n" + restore.tempFolder + "\r\n\r\n" +
           std::string(texts::kInterruptedRestoreWhatToDo) + restore.databaseFolder;
}

std::optional<std::string> InterruptedRestoreNotice(std::string_view databaseFolder) {
    if (auto restore = FindInterruptedRestore(databaseFolder)) return InterruptedRestoreMessage(*restore);
    return std::nullopt;
}

}  // namespace korvalen::backup
