// The backup: opening values, every check and its message, overwriting,
// plain and compressed backups and what a failed pack leaves.
#include <gtest/gtest.h>

#include "backup_fixture.h"
#include "korvalen/backup/backup_messages.h"
#include "korvalen/backup/file_utils.h"
#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"

namespace korvalen::backup {
namespace {

using namespace fixtures;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;

class Backup : public BackupDesk {};

TEST_F(Backup, OpeningValuesComeFromTheStoredSettings) {
    struct Case {
        std::optional<std::string> date, backDir, backFld;
        std::string backDate, dirName1, dirName2;
    };
    const std::string p = pc.programFolder;
    const Case cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, "なし", p, p},
        {"", "/srv/bk", "", "なし", "/srv/bk", "/srv/bk"},
        {"20240105", "/srv/bk", "BAK_K240105", "2024/01/05", "/srv/bk", "/srv/bk/BAK_K240105/"},
        {"20231231", "/srv/bk/", "週次", "2023/12/31", "/srv/bk/", "/srv/bk/週次/"},
        {"2024015", std::nullopt, std::nullopt, "", p, p},
        {"20240230", std::nullopt, std::nullopt, "", p, p},
        {"2024010x", std::nullopt, std::nullopt, "", p, p},
    };
    for (const Case& c : cases) {
        for (const auto& [name, value] :
             {std::pair{"DATE", c.date}, std::pair{"BackDir", c.backDir}, std::pair{"BackFld", c.backFld}}) {
            if (value) {
                pc.settings.Write(kProgramKey, "BACKUP", name, *value);
            } else {
                pc.settings.Remove(kProgramKey, "BACKUP", name);
            }
        }
        BackupRestore procedure(MakeSetup());
        const OpeningValues values = procedure.Open();
        EXPECT_EQ(values.backDate, c.backDate) << c.date.value_or("(none)");
        EXPECT_EQ(procedure.BackDate(), c.backDate);
        EXPECT_EQ(values.dirName1, c.dirName1);
        EXPECT_EQ(values.dirName2, c.dirName2);
        EXPECT_EQ(values.folderName, "BAK_K240105");
    }
}

TEST_F(Backup, EachCheckShowsItsWarningPutsTheFocusAndChangesNothing) {
    struct Case {
        std::string directory, folderName;
        std::string_view message;
        BackupField focus;
    };
    const std::string p = parent;
    const Case cases[] = {
        {"", "BAK_K240105", texts::kEnterBackupDirectory, BackupField::DirName1Edit},
        {p, "", texts::kEnterBackupFolderName, BackupField::FolderNameEdit},
        // The database folder itself, in any letter case of the name or the path.
        {p, "KorvalenDB", texts::kBackupIsDatabase, BackupField::FolderNameEdit},
        {p, "korvalendb", texts::kBackupIsDatabase, BackupField::FolderNameEdit},
        {platform::UpperAscii(p), "KORVALENDB", texts::kBackupIsDatabase, BackupField::FolderNameEdit},
        {backups, "TAV_TEMP", texts::kBackupIntoTempFolder, BackupField::DirName1Edit},
        {backups, "tav_temp", texts::kBackupIntoTempFolder, BackupField::DirName1Edit},
        {backups.substr(0, backups.size() - 1), "Tav_Temp", texts::kBackupIntoTempFolder, BackupField::DirName1Edit},
        {backups + "missing", "BAK_K240105", texts::kBackupDirectoryMissing, BackupField::DirName1Edit},
    };
    const auto before = NamesIn(backups);
    for (const Case& c : cases) {
        const std::size_t shown = pc.messages.Shown().size();
        const BackupResult result = Procedure().Backup({c.directory, c.folderName});
        EXPECT_EQ(result.outcome, Outcome::Refused) << c.directory << " " << c.folderName;
        EXPECT_EQ(result.focus, c.focus) << c.folderName;
        EXPECT_FALSE(result.checksPassed);
        ASSERT_EQ(pc.messages.Shown().size(), shown + 1);
        EXPECT_EQ(pc.messages.Shown().back().text, c.message);
        EXPECT_EQ(pc.messages.Shown().back().type, MessageType::Warning);
        EXPECT_EQ(pc.messages.Shown().back().buttons, Buttons::Ok);
    }
    EXPECT_EQ(NamesIn(backups), before);
    EXPECT_EQ(Setting("DATE"), "<missing>");
    EXPECT_TRUE(busy.empty());
}

TEST_F(Backup, FreeSpaceEqualToTheDatabasePlusTwoMillionBytesIsEnough) {
    const std::uint64_t needed = FolderSize(database) + 2'000'000;
    freeBytes = needed - 1;
    BackupResult result = Procedure().Backup({backups, "BAK_K240105"});
    EXPECT_EQ(result.outcome, Outcome::Refused);
    EXPECT_EQ(result.focus, BackupField::Unchanged);
    EXPECT_EQ(Texts().back(), texts::kBackupDiskTooSmall);
    EXPECT_EQ(asked.back(), backups);
    EXPECT_FALSE(fs::exists(backups + "BAK_K240105"));

    freeBytes = needed;
    result = Procedure().Backup({backups, "BAK_K240105"});
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_TRUE(fs::exists(backups + "BAK_K240105/SinseiT13.dat"));
}

TEST_F(Backup, APlainBackupCopiesEveryFileButDotNetAndRemembersItself) {
    WriteWholeFile(database + "LOCK.NET", "network control");
    WriteWholeFile(database + "lower.net", "kept");
    WriteWholeFile(database + "old.LZH", "kept");
    const auto original = FilesIn(database);
    const BackupResult result = Procedure().Backup({backups, "BAK_K240105"});
    ASSERT_EQ(result.outcome, Outcome::Done) << testing::PrintToString(Texts());
    EXPECT_TRUE(result.checksPassed);

    auto expected = original;
    expected.erase("LOCK.NET");
    EXPECT_EQ(FilesIn(backups + "BAK_K240105/"), expected);
    EXPECT_EQ(Setting("DATE"), "20240105");
    EXPECT_EQ(Setting("BackDir"), backups);
    EXPECT_EQ(Setting("BackFld"), "BAK_K240105");
    EXPECT_EQ(Procedure().BackDate(), "2024/01/05");
    ASSERT_FALSE(pc.messages.Shown().empty());
    const auto& notice = pc.messages.Shown().back();
    EXPECT_EQ(notice.text, texts::kBackupDone);
    EXPECT_EQ(notice.type, MessageType::Information);
    EXPECT_EQ(notice.buttons, Buttons::Yes);
    EXPECT_EQ(busy, (std::vector<BusyState>{BusyState::Animated, BusyState::Idle}));
    EXPECT_EQ(StepNames(WorkPhase::BackupCopy).size(), expected.size());
}

TEST_F(Backup, OverwritingMovesTheOldBackupToTheTemporaryFolderReplacingAnEarlierOne) {
    fs::create_directories(backups + "BAK_K240105");
    WriteWholeFile(backups + "BAK_K240105/previous.dat", "previous");
    fs::create_directories(backups + "TAV_TEMP/sub");
    WriteWholeFile(backups + "TAV_TEMP/sub/earlier.dat", "earlier");
    // The replaced backup may hold read-only copies (of a read-only
    // database): it goes all the same, or no later overwrite could succeed.
    fs::permissions(backups + "TAV_TEMP/sub/earlier.dat",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    pc.messages.QueueAnswer(Answer::Cancel);
    BackupResult result = Procedure().Backup({backups, "BAK_K240105"});
    EXPECT_EQ(result.outcome, Outcome::Refused);
    EXPECT_FALSE(result.checksPassed);
    EXPECT_EQ(pc.messages.Shown().back().text, "BAK_K240105 ﾌｫﾙﾀﾞ は既に存在します。\r\n上書きしますか？");
    EXPECT_EQ(pc.messages.Shown().back().type, MessageType::Confirmation);
    EXPECT_EQ(pc.messages.Shown().back().buttons, Buttons::OkCancel);
    EXPECT_TRUE(fs::exists(backups + "BAK_K240105/previous.dat"));
    EXPECT_TRUE(fs::exists(backups + "TAV_TEMP/sub/earlier.dat"));

    pc.messages.QueueAnswer(Answer::Ok);
    result = Procedure().Backup({backups, "BAK_K240105"});
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(NamesIn(backups + "TAV_TEMP"), (std::set<std::string>{"previous.dat"}));
    EXPECT_FALSE(fs::exists(backups + "BAK_K240105/previous.dat"));
    EXPECT_TRUE(fs::exists(backups + "BAK_K240105/SinseiT13.dat"));
}

TEST_F(Backup, AFolderThatCannotBeMadeOrFilledIsReportedAndNotRemembered) {
    // A file where the backup folder goes.
    WriteWholeFile(backups + "BAK_K240105", "in the way");
    BackupResult result = Procedure().Backup({backups, "BAK_K240105"});
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_TRUE(result.checksPassed);
    EXPECT_EQ(Texts().back(), texts::kBackupFolderNotCreated);
    EXPECT_EQ(Setting("DATE"), "<missing>");
    EXPECT_EQ(busy, (std::vector<BusyState>{BusyState::Animated, BusyState::Hourglass, BusyState::Idle}));

    // A copy that fails half way.
    onStep = [&](const WorkStep& step) {
        if (step.phase == WorkPhase::BackupCopy) BlockTheRest(database, backups + "BAK_K240106/");
    };
    result = Procedure().Backup({backups, "BAK_K240106"});
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(Texts().back(), texts::kBackupFailed);
    EXPECT_EQ(Setting("DATE"), "<missing>");
}

TEST_F(Backup, TheFolderLockIsHeldWhileCopyingAndReleasedAfterwards) {
    // Another writer holds the folder: the backup does not copy under it.
    {
        tablestore::Database other;
        other.setDirectory(database);
        const tablestore::FolderLock held = other.lockFolder();
        try {
            Procedure().Backup({backups, "BAK_K240105"});
            ADD_FAILURE() << "backed up while another writer held the folder";
        } catch (const tablestore::EngineError& e) {
            EXPECT_EQ(e.code(), 11058);
        }
        EXPECT_EQ(busy.back(), BusyState::Idle);
        EXPECT_FALSE(fs::exists(backups + "BAK_K240105"));
    }
    // While the backup copies, no one else can take the lock; afterwards anyone can.
    bool blocked = false;
    onStep = [&](const WorkStep& step) {
        if (step.phase != WorkPhase::BackupCopy || blocked) return;
        tablestore::Database other;
        other.setDirectory(database);
        other.setLockTimeout(std::chrono::milliseconds(50));
        try {
            other.makeFolderClean();
        } catch (const tablestore::EngineError& e) {
            blocked = e.code() == 11058;
        }
    };
    EXPECT_EQ(Procedure().Backup({backups, "BAK_K240105"}).outcome, Outcome::Done);
    EXPECT_TRUE(blocked);
    tablestore::Database after;
    after.setDirectory(database);
    after.setLockTimeout(std::chrono::milliseconds(50));
    EXPECT_NO_THROW(after.makeFolderClean());
}

TEST_F(Backup, ACompressedBackupLeavesOnlyTheArchiveInTheFolder) {
    for (const auto& [type, extension] :
         {std::pair{CompressionType::Lzh, ".LZH"}, std::pair{CompressionType::Cab, ".CAB"}}) {
        const std::string name = std::string("BAK_K") + (type == CompressionType::Lzh ? "LZH" : "CAB");
        const BackupResult result = Procedure().Backup({backups, name, true, type});
        ASSERT_EQ(result.outcome, Outcome::Done) << testing::PrintToString(Texts());
        EXPECT_EQ(NamesIn(backups + name), (std::set<std::string>{name + extension}));
        EXPECT_EQ(Setting("BackFld"), name);
        EXPECT_FALSE(StepNames(WorkPhase::Packing).empty());
    }
}

TEST_F(Backup, AFailedPackIsReportedLeavesNoArchiveAndKeepsTheLastBackupDate) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string detail;
        std::string folder;
    };
    const Case cases[] = {
        {"missing library", [&] { HideTheArchivers(root.folder("no-libraries")); },
         "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。", "BAK_A"},
        // A name Shift-JIS cannot hold: the library refuses the pack with its code.
        {"refused pack", [&] { WriteWholeFile(database + "\xF0\x9F\x98\x80.dat", "x"); }, "0x800E", "BAK_B"},
    };
    for (const Case& c : cases) {
        pc.settings.Write(kProgramKey, "BACKUP", "DATE", "20231201");
        pc.settings.Remove(kProgramKey, "BACKUP", "BackFld");
        c.arrange();
        const std::string& name = c.folder;
        BackupRestore procedure(MakeSetup());
        procedure.Open();
        const BackupResult result = procedure.Backup({backups, name, true, CompressionType::Lzh});
        EXPECT_EQ(result.outcome, Outcome::Failed) << c.what;
        EXPECT_TRUE(result.checksPassed);
        const std::string text = pc.messages.Shown().back().text;
        EXPECT_EQ(text.rfind(std::string(texts::kBackupFailed) + "\r\n", 0), 0u) << c.what << text;
        EXPECT_NE(text.find(c.detail), std::string::npos) << c.what << text;
        EXPECT_TRUE(NamesIn(backups + name).empty()) << c.what;
        for (const auto& m : pc.messages.Shown()) EXPECT_NE(m.text, texts::kBackupDone) << c.what;
        EXPECT_EQ(Setting("DATE"), "20231201") << c.what;
        EXPECT_EQ(Setting("BackFld"), "<missing>") << c.what;
        EXPECT_EQ(procedure.BackDate(), "2023/12/01") << c.what;
        ShowTheArchivers();
        fs::remove(database + "\xF0\x9F\x98\x80.dat");
    }
}

TEST_F(Backup, ASecondRequestWhileOneRunsStartsNothing) {
    std::optional<BackupResult> inner;
    std::optional<RestoreResult> innerRestore;
    onStep = [&](const WorkStep& step) {
        if (step.phase != WorkPhase::BackupCopy || inner) return;
        inner = Procedure().Backup({backups, "BAK_OTHER"});
        innerRestore = Procedure().RestoreFromFolder(backups + "BAK_K240105");
    };
    EXPECT_EQ(Procedure().Backup({backups, "BAK_K240105"}).outcome, Outcome::Done);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->outcome, Outcome::Busy);
    EXPECT_EQ(innerRestore->outcome, Outcome::Busy);
    EXPECT_FALSE(fs::exists(backups + "BAK_OTHER"));
    EXPECT_FALSE(Procedure().Running());
}

}  // namespace
}  // namespace korvalen::backup
