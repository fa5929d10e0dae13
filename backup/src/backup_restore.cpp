#include "korvalen/backup/backup_restore.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "file_sync.h"
#include "fs_path.h"
#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/archive_file.h"
#include "korvalen/backup/backup_messages.h"
#include "korvalen/backup/file_utils.h"
#include "korvalen/backup/restore_mark.h"
#include "korvalen/engine/dates.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/paths.h"
#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"

namespace korvalen::backup {

namespace fs = std::filesystem;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;

namespace {

// What the backup needs beyond the database itself on the target's disk.
constexpr std::uint64_t kSpareBytes = 2'000'000;
constexpr std::uint32_t kArchiverOutputSize = 8192;

// Runs the clean-up of a step that must happen however the step ends.
class AtExit {
public:
    explicit AtExit(std::function<void()> action) : action_(std::move(action)) {}
    ~AtExit() {
        try {
            if (action_) action_();
        } catch (...) {
            // A clean-up must not replace the error that is on its way.
        }
    }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    std::function<void()> action_;
};

// yyyy/mm/dd, as BackDateLabel shows the day.
std::string SlashDate(std::int32_t day) {
    const engine::CivilDate date = engine::CivilFromDayNumber(day);
    char text[32];
    std::snprintf(text, sizeof text, "%d/%02d/%02d", date.year, date.month, date.day);
    return text;
}

// yyyymmdd, as "DATE" keeps the day.
std::string Ymd8(std::int32_t day) {
    const engine::CivilDate date = engine::CivilFromDayNumber(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

bool StartsWithFolder(const std::string& path, const std::string& folder) {
    return path.size() >= folder.size() &&
           platform::SameFolder(std::string_view(path).substr(0, folder.size()), folder);
}

bool CreateOneFolder(const std::string& folder) {
    std::error_code ec;
    return fs::create_directory(FsPath(folder), ec) && !ec;
}

// A folder path without its trailing separator, for renaming.
fs::path FolderPathOf(const std::string& folder) {
    std::string text = folder;
    while (text.size() > 1 && text.back() == platform::kPathSeparator) text.pop_back();
    return FsPath(text);
}

// The library's own account of a failure: its code and the last line it wrote.
std::string ArchiverFailureText(int code, const std::string& output) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(code));
    std::string text = std::string(texts::kArchiverCode) + hex;
    std::size_t end = output.find_last_not_of("\r\n");
    if (end != std::string::npos) {
        const std::size_t start = output.find_last_of('\n', end);
        text += "\r\n" + output.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start + 1));
    }
    return text;
}

// One backup or restore at a time: asked while one runs, nothing starts.
template <typename Result, typename Work>
Result OneAtATime(bool& running, const Work& work) {
    if (running) return {Outcome::Busy};
    running = true;
    AtExit done([&running] { running = false; });
    return work();
}

// The folder's write lock: no other PC or process writes while the files
// are read, and none of them holds half a transaction.
tablestore::FolderLock LockFolder(const std::string& folder, std::chrono::milliseconds timeout) {
    tablestore::Database lockHolder;
    lockHolder.setDirectory(FsPath(folder));
    lockHolder.setLockTimeout(timeout);
    return lockHolder.lockFolder();
}

void SetArchiveProgress(TArchiveFile& archive, const std::function<void(const std::string&)>& step) {
    archive.OnProgress = [step](TArchiveFile&, int state, const ArcProgressInfo* info, bool&) {
        if (info == nullptr || info->fileName == nullptr) return;
        if (state == ARC_PROGRESS_BEGIN) step(info->fileName);
    };
}

}  // namespace

BackupRestore::BackupRestore(BackupSetup setup, BackupHooks hooks)
    : setup_(std::move(setup)), hooks_(std::move(hooks)) {
    if (setup_.messages == nullptr || setup_.clock == nullptr) {
        throw std::invalid_argument("BackupRestore needs a message service and a clock");
    }
    setup_.databaseFolder = AddBackslash(setup_.databaseFolder);
}

std::string BackupRestore::ParentOfDatabase() const { return ParentFolder(setup_.databaseFolder); }

std::string BackupRestore::TempFolder() const { return RestoreTempFolder(setup_.databaseFolder); }

OpeningValues BackupRestore::Open() {
    const std::string parent = ParentOfDatabase();
    const auto read = [&](std::string_view name, std::string_view fallback) {
        return setup_.settings != nullptr ? setup_.settings->Read(setup_.programKey, kBackupSection, name, fallback)
                                          : std::string(fallback);
    };
    const std::string date = read(kDateValue, "");
    if (date.empty()) {
        backDate_ = std::string(texts::kNoBackupYet);
    } else {
        std::int32_t day = 0;
        backDate_ = ParseYmd8(date, day) == Ymd8Code::DateSet && day != 0 ? SlashDate(day) : std::string();
    }
    const std::string backDir = read(kBackDirValue, parent);
    const std::string backFld = read(kBackFldValue, "");
    OpeningValues values;
    values.backDate = backDate_;
    values.dirName1 = backDir;
    values.dirName2 = backFld.empty() ? backDir : AddBackslash(backDir) + backFld + platform::kPathSeparator;
    values.folderName = DefaultBackupFolderName(setup_.clock->Today());
    return values;
}

void BackupRestore::Warn(std::string_view text) {
    setup_.messages->Show(MessageType::Warning, Buttons::Ok, std::string(text));
}

void BackupRestore::Busy(BusyState state) {
    if (state == busyState_) return;
    busyState_ = state;
    if (hooks_.busy) hooks_.busy(state);
}

void BackupRestore::Step(WorkPhase phase, const std::string& name) {
    if (hooks_.step) hooks_.step(WorkStep{phase, name});
}

std::function<void(const std::string&)> BackupRestore::Stepper(WorkPhase phase) {
    return [this, phase](const std::string& name) { Step(phase, name); };
}

std::uint64_t BackupRestore::FreeBytes(const std::string& folder) const {
    return setup_.freeDiskBytes ? setup_.freeDiskBytes(folder) : FreeDiskBytes(folder);
}

std::string BackupRestore::TodayText(bool slashes) const {
    const std::int32_t today = setup_.clock->Today();
    return slashes ? SlashDate(today) : Ymd8(today);
}

BackupResult BackupRestore::Backup(const BackupRequest& request) {
    return OneAtATime<BackupResult>(running_, [&] { return RunBackup(request); });
}

RestoreResult BackupRestore::RestoreFromFolder(const std::string& folderText) {
    return OneAtATime<RestoreResult>(running_, [&] { return RunFolderRestore(folderText); });
}

RestoreResult BackupRestore::RestoreFromArchive(const std::string& archivePath) {
    return OneAtATime<RestoreResult>(running_, [&] { return RunArchiveRestore(archivePath); });
}

void BackupRestore::StoreBackupSettings(const BackupRequest& request) {
    backDate_ = TodayText(true);
    if (setup_.settings == nullptr) return;
    setup_.settings->Write(setup_.programKey, kBackupSection, kDateValue, TodayText(false));
    setup_.settings->Write(setup_.programKey, kBackupSection, kBackDirValue, request.directory);
    setup_.settings->Write(setup_.programKey, kBackupSection, kBackFldValue, request.folderName);
}

BackupResult BackupRestore::RunBackup(const BackupRequest& request) {
    const std::string& database = setup_.databaseFolder;
    if (auto interrupted = FindInterruptedRestore(database)) {
        // A database left half restored is no state to keep as a backup.
        Warn(InterruptedRestoreMessage(*interrupted));
        return {Outcome::Refused};
    }
    if (request.directory.empty()) {
        Warn(texts::kEnterBackupDirectory);
        return {Outcome::Refused, BackupField::DirName1Edit};
    }
    if (request.folderName.empty()) {
        Warn(texts::kEnterBackupFolderName);
        return {Outcome::Refused, BackupField::FolderNameEdit};
    }
    const std::string directory = AddBackslash(request.directory);
    const std::string folder = directory + AddBackslash(request.folderName);
    const std::string backupTemp = directory + AddBackslash(kTempFolderName);
    if (platform::SameFolder(folder, database)) {
        Warn(texts::kBackupIsDatabase);
        return {Outcome::Refused, BackupField::FolderNameEdit};
    }
    if (platform::SameFolder(folder, backupTemp)) {
        Warn(texts::kBackupIntoTempFolder);
        return {Outcome::Refused, BackupField::DirName1Edit};
    }
    if (!platform::FolderExists(directory)) {
        Warn(texts::kBackupDirectoryMissing);
        return {Outcome::Refused, BackupField::DirName1Edit};
    }
    if (FreeBytes(request.directory) < FolderSize(database, Stepper(WorkPhase::Sizing)) + kSpareBytes) {
        Warn(texts::kBackupDiskTooSmall);
        return {Outcome::Refused};
    }
    if (platform::FolderExists(folder)) {
        const std::string question = request.folderName + std::string(texts::kBackupFolderExists) + "\r\n" +
                                     std::string(texts::kOverwriteQuestion);
        if (setup_.messages->Show(MessageType::Confirmation, Buttons::OkCancel, question) != Answer::Ok) {
            return {Outcome::Refused};
        }
        if (platform::FolderExists(backupTemp)) DeleteScratchTree(backupTemp, Stepper(WorkPhase::Cleaning));
        // A failed rename shows up when the folder is made again.
        std::error_code ec;
        fs::rename(FolderPathOf(folder), FolderPathOf(backupTemp), ec);
    }
    BackupResult result{Outcome::Failed, BackupField::Unchanged, true};

    Busy(BusyState::Animated);
    std::optional<tablestore::FolderLock> lock;
    AtExit idle([&] {
        lock.reset();
        Busy(BusyState::Idle);
    });
    lock.emplace(LockFolder(database, setup_.lockTimeout));

    if (!CreateOneFolder(folder)) {
        Busy(BusyState::Hourglass);
        Warn(texts::kBackupFolderNotCreated);
        return result;
    }
    if (!request.compress && !CopyFolderFiles(database, folder, Stepper(WorkPhase::BackupCopy))) {
        Busy(BusyState::Hourglass);
        Warn(texts::kBackupFailed);
        return result;
    }
    // What the settings said before, for a pack that fails.
    struct Stored {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<Stored> before;
    if (setup_.settings != nullptr) {
        for (std::string_view name : {kDateValue, kBackDirValue, kBackFldValue}) {
            const std::string missing = "\x01";
            std::string value = setup_.settings->Read(setup_.programKey, kBackupSection, name, missing);
            before.push_back({std::string(name), value == missing ? std::nullopt : std::optional(std::move(value))});
        }
    }
    const std::string dateBefore = backDate_;
    StoreBackupSettings(request);

    if (request.compress) {
        const std::string archive =
            folder + request.folderName + (request.type == CompressionType::Lzh ? ".LZH" : ".CAB");
        std::string failure;
        try {
            TArchiveFile packer(setup_.window);
            packer.SetFileName(archive);
            packer.SetOutputSize(kArchiverOutputSize);
            packer.Options().jso = 1;
            packer.Options().n = 1;
            packer.Options().c = 0;
            packer.Options().m = 0;
            SetArchiveProgress(packer, Stepper(WorkPhase::Packing));
            const int code = packer.PackFiles(
                setup_.window, nullptr, "",
                {std::vector<std::string>{database + "/*.dat", database + "/*.idx", database + "/*.blb"}});
            if (code != 0) {
                failure = ArchiverFailureText(code, packer.OutputText());
            } else if (!platform::FileExists(archive)) {
                failure = "書庫ﾌｧｲﾙが作成されませんでした：" + archive;
            }
        } catch (const EArchiver& e) {
            // Shown here: the error handler passes over the archiver's texts.
            failure = e.what();
        }
        if (!failure.empty()) {
            std::error_code ec;
            fs::remove(FsPath(archive), ec);
            backDate_ = dateBefore;
            for (const Stored& s : before) {
                if (s.value) {
                    setup_.settings->Write(setup_.programKey, kBackupSection, s.name, *s.value);
                } else {
                    setup_.settings->Remove(setup_.programKey, kBackupSection, s.name);
                }
            }
            Busy(BusyState::Hourglass);
            Warn(std::string(texts::kBackupFailed) + "\r\n" + failure);
            return result;
        }
    }
    lock.reset();
    Busy(BusyState::Idle);
    setup_.messages->Show(MessageType::Information, Buttons::Yes, std::string(texts::kBackupDone));
    result.outcome = Outcome::Done;
    return result;
}

bool BackupRestore::TempFolderUsable(bool& resume) {
    const std::string temp = TempFolder();
    resume = false;
    const auto mark = ReadRestoreMark(temp);
    if (!mark) return true;
    if (platform::SameFolder(AddBackslash(mark->databaseFolder), setup_.databaseFolder)) {
        // A restore of this folder was cut off: T is the sound copy of the
        // database from before, and what D holds now is unknown.
        resume = true;
        return true;
    }
    Warn(std::string(texts::kTempFolderInUse) + "\r\n" + temp);
    return false;
}

bool BackupRestore::MakeSafetyCopy(const std::string& temp) {
    const std::string& database = setup_.databaseFolder;
    if (platform::FolderExists(temp)) DeleteScratchTree(temp, Stepper(WorkPhase::Cleaning));
    if (!CreateOneFolder(temp)) {
        Busy(BusyState::Hourglass);
        Warn(texts::kTempFolderNotCreated);
        return false;
    }
    const tablestore::FolderLock lock = LockFolder(database, setup_.lockTimeout);
    if (!CopyFolderFiles(database, temp, Stepper(WorkPhase::SafetyCopy)) || !WriteRestoreMark(temp, database)) {
        Busy(BusyState::Hourglass);
        Warn(texts::kSafetyCopyFailed);
        return false;
    }
    return true;
}

bool BackupRestore::PutBack(const std::string& temp) {
    const std::string& database = setup_.databaseFolder;
    if (setup_.disconnectDatabase) setup_.disconnectDatabase();
    // Whatever the failed restore left goes, so the folder is the one from before, not a mixture.
    ClearReadOnly(database);
    DeleteFolderFiles(database, Stepper(WorkPhase::Emptying));
    if (!CopyFolderFiles(temp, database, Stepper(WorkPhase::PuttingBack))) return false;
    RemoveRestoreMark(temp);
    return true;
}

namespace {

std::string PutBackFailedText(const std::string& temp, const std::string& database) {
    return std::string(texts::kPutBackFailed) + "\r\n" + temp + "\r\n" + std::string(texts::kPutBackByHand) + database;
}

}  // namespace

RestoreResult BackupRestore::RunFolderRestore(const std::string& folderText) {
    const std::string& database = setup_.databaseFolder;
    if (folderText.empty()) {
        Warn(texts::kEnterRestoreFolder);
        return {Outcome::Refused, BackupField::DirName2Edit};
    }
    const std::string source = AddBackslash(folderText);
    if (!HoldsDatabase(source)) {
        Warn(texts::kNoDatabaseInFolder);
        return {Outcome::Refused, BackupField::DirName2Edit};
    }
    if (platform::SameFolder(source, database)) {
        Warn(texts::kRestoreIsDatabase);
        return {Outcome::Refused, BackupField::DirName2Edit};
    }
    const std::string temp = TempFolder();
    if (StartsWithFolder(source, temp)) {
        Warn(texts::kRestoreFromTempFolder);
        return {Outcome::Refused, BackupField::DirName2Edit};
    }
    if (!platform::FolderExists(source)) {
        Warn(texts::kRestoreFolderMissing);
        return {Outcome::Refused, BackupField::DirName2Edit};
    }
    bool resume = false;
    if (!TempFolderUsable(resume)) return {Outcome::Refused};
    if (setup_.messages->Show(MessageType::Confirmation, Buttons::OkCancel, std::string(texts::kRestoreQuestion)) !=
        Answer::Ok) {
        return {Outcome::Refused};
    }
    if (setup_.disconnectDatabase) setup_.disconnectDatabase();

    Busy(BusyState::Animated);
    bool keepTemp = false;
    AtExit cleanUp([&] {
        Busy(BusyState::Idle);
        if (!keepTemp) DeleteScratchTree(temp, Stepper(WorkPhase::Cleaning));
    });
    if (!resume && !MakeSafetyCopy(temp)) return {Outcome::Failed};
    // A read-only table would stay and refuse the backup's copy of it.
    ClearReadOnly(database);
    DeleteFolderFiles(database, Stepper(WorkPhase::Emptying));
    if (!CopyBackupFiles(source, database, Stepper(WorkPhase::RestoreCopy))) {
        const bool back = PutBack(temp);
        Busy(BusyState::Hourglass);
        if (back) {
            Warn(texts::kRestoreFailed);
        } else {
            keepTemp = true;
            Warn(std::string(texts::kRestoreFailed) + "\r\n\r\n" + PutBackFailedText(temp, database));
        }
        return {Outcome::Failed};
    }

    Busy(BusyState::Hourglass);
    // Before the tables are opened: a table copied read-only could not be
    // brought up to date.
    ClearReadOnly(database);
    // The mark stays until the tables are whole again: a restore cut off
    // while the PC table is made anew is taken up by the next one. An error
    // the table engine raises here goes on to the error handler with the
    // restored files in place.
    {
        AtExit unmark([&] { RemoveRestoreMark(temp); });
        if (setup_.rebuildAfterRestore) setup_.rebuildAfterRestore();
    }
    if (setup_.refreshCaseList) setup_.refreshCaseList();
    setup_.messages->Show(MessageType::Information, Buttons::Yes, std::string(texts::kRestoreDone));
    return {Outcome::Done};
}

RestoreResult BackupRestore::RunArchiveRestore(const std::string& archivePath) {
    const std::string& database = setup_.databaseFolder;
    bool resume = false;
    if (!TempFolderUsable(resume)) return {Outcome::Refused};
    if (setup_.disconnectDatabase) setup_.disconnectDatabase();
    const std::string temp = TempFolder();

    Busy(BusyState::Hourglass);
    AtExit idle([&] { Busy(BusyState::Idle); });
    if (!resume && !MakeSafetyCopy(temp)) return {Outcome::Failed};

    // Set when the unpack did not raise but did not give a sound database either.
    std::string failure;
    bool raised = false;
    try {
        ClearReadOnly(database);
        DeleteFolderFiles(database, Stepper(WorkPhase::Emptying));
        TArchiveFile unpacker(setup_.window);
        unpacker.SetFileName(archivePath);
        unpacker.Options().jso = 1;
        unpacker.Options().jse = 0;
        unpacker.SetOutputSize(kArchiverOutputSize);
        unpacker.Options().x = 0;
        unpacker.Options().n = 1;
        unpacker.Options().c = 1;
        unpacker.Options().m = 1;
        SetArchiveProgress(unpacker, Stepper(WorkPhase::Unpacking));
        const int code = unpacker.UnpackFiles(setup_.window, nullptr, database, {});
        if (code != 0) {
            failure = ArchiverFailureText(code, unpacker.OutputText());
        } else if (const auto problems = RestoredTableProblems(database); !problems.empty()) {
            failure = std::string(texts::kRestoredTablesDamaged);
            for (const std::string& problem : problems) failure += "\r\n" + problem;
        } else if (!SyncFolderFiles(FsPath(database))) {
            // The mark must not go before the unpacked files are on the disk.
            failure = "復元したﾌｧｲﾙをﾃﾞｨｽｸに書き込めませんでした。";
        }
        if (failure.empty()) {
            if (setup_.rebuildAfterRestore) setup_.rebuildAfterRestore();
            if (setup_.refreshCaseList) setup_.refreshCaseList();
        }
    } catch (const std::exception&) {
        raised = true;
    }
    if (raised || !failure.empty()) {
        const bool back = PutBack(temp);
        std::string text(texts::kArchiveRestoreFailed);
        if (!failure.empty()) {
            text += "\r\n\r\n" + failure;
            if (back) text += "\r\n" + std::string(texts::kDatabasePutBack);
        }
        if (!back) text += "\r\n\r\n" + PutBackFailedText(temp, database);
        Warn(text);
        return {Outcome::Failed};
    }
    RemoveRestoreMark(temp);
    setup_.messages->Show(MessageType::Information, Buttons::Yes, std::string(texts::kRestoreDone));
    if (platform::FolderExists(temp)) DeleteScratchTree(temp, Stepper(WorkPhase::Cleaning));
    return {Outcome::Done};
}

bool HoldsDatabase(const std::string& folderText) {
    return platform::FileExists(AddBackslash(folderText) + std::string(kCaseTableFile));
}

ArchiveSource ArchiveSourceFor(const std::string& folderText) {
    if (folderText.find(".LZH") != std::string::npos) return {true, folderText};
    const std::string bare = RemoveAll(folderText, std::string(1, platform::kPathSeparator));
    const std::size_t bak = bare.find("BAK");
    std::string name = bare.substr(bak == std::string::npos ? 0 : bak);
    // At most 100 characters, whole characters counted.
    std::size_t characters = 0, cut = 0;
    while (cut < name.size() && characters < 100) {
        ++cut;
        while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) ++cut;
        ++characters;
    }
    name.resize(cut);
    const std::string candidate = AddBackslash(folderText) + name + ".LZH";
    if (platform::FileExists(candidate)) return {true, candidate};
    return {false, folderText};
}

bool ChosenArchiveEnablesOpen(const std::string& archivePath) {
    if (archivePath.find("888") == std::string::npos || archivePath.find("999") == std::string::npos) return true;
    const std::string companion = archivePath.substr(0, archivePath.find('.')) + "888.LZH";
    return platform::FileExists(companion);
}

std::string DefaultBackupFolderName(std::int32_t day) {
    const engine::CivilDate date = engine::CivilFromDayNumber(day);
    char yymmdd[32];
    std::snprintf(yymmdd, sizeof yymmdd, "%02d%02d%02d", date.year % 100, date.month, date.day);
    return std::string(kDefaultFolderPrefix) + yymmdd;
}

std::vector<std::string> RestoredTableProblems(const std::string& databaseFolder) {
    std::vector<std::string> problems;
    tablestore::Database database;
    database.setDirectory(FsPath(databaseFolder));
    for (const storage::TableLayout& layout : storage::AllTableLayouts()) {
        const std::string name(layout.name);
        if (layout.name == storage::kPcTable) continue;
        if (!database.tableExists(name)) {
            problems.push_back(name + "：ﾃｰﾌﾞﾙがありません");
            continue;
        }
        try {
            const tablestore::TableCheck check = database.checkTable(name);
            if (!check.ok()) problems.push_back(name + "：" + tablestore::EngineErrorText(check.code, name));
        } catch (const tablestore::EngineError& e) {
            problems.push_back(name + "：" + e.message());
        }
    }
    database.disconnect();
    return problems;
}

}  // namespace korvalen::backup
