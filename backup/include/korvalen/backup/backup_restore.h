// Backing the database folder up into a backup folder (or one LZH or CAB
// archive inside it) and restoring it from a backup folder or an LZH
// archive, with every check and message of the backup dialog. The dialog and
// korvalen-db both drive it: they hand in the texts of the fields, answer
// its questions through the message service, and learn where the focus
// goes and what to show.
//
// The database's connection is closed by the caller before; the procedure
// closes it again (disconnectDatabase) whenever it must touch the files
// after a request to storage.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "korvalen/archiver_api.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/messages.h"
#include "korvalen/platform/settings_store.h"

namespace korvalen::backup {

// The fields of the dialog a failed check puts the focus on.
enum class BackupField { Unchanged, DirName1Edit, FolderNameEdit, DirName2Edit };

enum class CompressionType { Lzh, Cab };

// How the window shows that work runs: nothing, the hourglass cursor, the
// hourglass with the file-copy animation.
enum class BusyState { Idle, Hourglass, Animated };

// What a file loop is doing when it reports a file.
enum class WorkPhase {
    BackupCopy,   // the database files into the backup folder
    Packing,      // the database files into the archive
    SafetyCopy,   // the database files into the temporary folder
    Emptying,     // the database folder's files deleted
    RestoreCopy,  // the backup's files into the database folder
    Unpacking,    // the archive into the database folder
    PuttingBack,  // the safety copy back into the database folder
    Cleaning,     // a temporary folder deleted
    Sizing,       // the database folder measured
};

struct WorkStep {
    WorkPhase phase;
    std::string name;  // the file just handled
};

struct BackupHooks {
    std::function<void(BusyState)> busy;
    // After every file: the dialog lets its window repaint here, the tool prints.
    std::function<void(const WorkStep&)> step;
};

struct BackupSetup {
    std::string databaseFolder;  // D, ending in a separator
    platform::MessageService* messages = nullptr;
    const platform::Clock* clock = nullptr;
    // The "BACKUP" section of programKey; none: nothing is read or stored.
    platform::SettingsStore* settings = nullptr;
    std::string programKey;
    // Storage's requests after a restore: the PC table deleted, then every
    // missing table created and an old case table upgraded.
    std::function<void()> rebuildAfterRestore;
    // The main window's list built again from the restored tables.
    std::function<void()> refreshCaseList;
    // Closes every table the caller's database object holds open.
    std::function<void()> disconnectDatabase;
    // Free bytes on a folder's volume (tests put in their own).
    std::function<std::uint64_t(const std::string&)> freeDiskBytes;
    // The window the archiver libraries report to.
    ArcWindow window = 0;
    // How long the folder's write lock is waited for.
    std::chrono::milliseconds lockTimeout{5000};
};

// What the dialog shows when it opens.
struct OpeningValues {
    std::string backDate;    // BackDateLabel
    std::string dirName1;    // DirName1Edit
    std::string folderName;  // FolderNameEdit
    std::string dirName2;    // DirName2Edit
};

enum class Outcome {
    Refused,  // a check failed or the user said no: nothing changed
    Failed,   // the work failed; the user has been told what remains
    Done,
    Busy,  // another backup or restore runs; nothing was started
};

struct BackupResult {
    Outcome outcome = Outcome::Refused;
    BackupField focus = BackupField::Unchanged;
    // The checks and the overwrite question were passed (SaveBtn is then
    // disabled for the rest of the dialog's life).
    bool checksPassed = false;
};

struct RestoreResult {
    Outcome outcome = Outcome::Refused;
    BackupField focus = BackupField::Unchanged;
};

struct BackupRequest {
    std::string directory;   // DirName1Edit
    std::string folderName;  // FolderNameEdit
    bool compress = false;   // CheckBox1
    CompressionType type = CompressionType::Lzh;
};

class BackupRestore {
public:
    explicit BackupRestore(BackupSetup setup, BackupHooks hooks = {});

    // Reads the stored settings into the opening values of the fields.
    OpeningValues Open();
    // BackDateLabel's text after the last backup of this opening (or at opening).
    const std::string& BackDate() const { return backDate_; }

    // D, the folder above it (P) and the restore-side temporary folder (T).
    const std::string& DatabaseFolder() const { return setup_.databaseFolder; }
    std::string ParentOfDatabase() const;
    std::string TempFolder() const;

    bool Running() const { return running_; }

    // The backup of SaveBtn.
    BackupResult Backup(const BackupRequest& request);
    // The restore of OpenBtn with CheckBox2 unticked: from a backup folder.
    RestoreResult RestoreFromFolder(const std::string& folderText);
    // The restore of OpenBtn with CheckBox2 ticked: from an LHA archive.
    RestoreResult RestoreFromArchive(const std::string& archivePath);

private:
    struct Work;
    BackupResult RunBackup(const BackupRequest& request);
    RestoreResult RunFolderRestore(const std::string& folderText);
    RestoreResult RunArchiveRestore(const std::string& archivePath);

    void Warn(std::string_view text);
    void Busy(BusyState state);
    void Step(WorkPhase phase, const std::string& name);
    std::function<void(const std::string&)> Stepper(WorkPhase phase);
    std::uint64_t FreeBytes(const std::string& folder) const;
    std::string TodayText(bool slashes) const;
    // False after the message when T already holds another restore's safety copy.
    bool TempFolderUsable(bool& resume);
    // T made afresh and D copied into it under the lock, with the mark; false
    // after the message (the animation stopped) when that fails.
    bool MakeSafetyCopy(const std::string& temp);
    // Empties D and copies T back into it; the mark goes with success.
    bool PutBack(const std::string& temp);
    void StoreBackupSettings(const BackupRequest& request);

    BackupSetup setup_;
    BackupHooks hooks_;
    std::string backDate_;
    BusyState busyState_ = BusyState::Idle;
    bool running_ = false;
};

// The rules of the restore source, which the dialog applies as the user
// ticks CheckBox2, edits DirName2Edit or chooses with Browse2Btn.

// Whether a backup folder text names a folder holding the case table.
bool HoldsDatabase(const std::string& folderText);

struct ArchiveSource {
    bool openEnabled = false;
    std::string text;  // DirName2Edit afterwards
};
// Ticking CheckBox2: a text naming an ".LZH" is taken as it is; otherwise
// the archive the backup folder would hold (named from the first "BAK" of
// the text without separators) is looked for inside it.
ArchiveSource ArchiveSourceFor(const std::string& folderText);

// After an archive was chosen with Browse2Btn.
bool ChosenArchiveEnablesOpen(const std::string& archivePath);

// "BAK_K" + yymmdd of the day.
std::string DefaultBackupFolderName(std::int32_t day);

// The problems of the tables a restore brought into the database folder:
// a table missing or not sound by the engine's integrity check (the test of
// korvalen-db check). The PC table is left out: a restore replaces it.
std::vector<std::string> RestoredTableProblems(const std::string& databaseFolder);

}  // namespace korvalen::backup
