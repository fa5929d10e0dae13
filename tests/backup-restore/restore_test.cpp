// The restores from a backup folder and from an LHA archive: their checks,
// the safety copy put back after a failure at any step, and what a
// restore leaves in the database folder.
#include <gtest/gtest.h>

#include "backup_fixture.h"
#include "korvalen/backup/backup_messages.h"
#include "korvalen/backup/file_utils.h"
#include "korvalen/backup/restore_mark.h"
#include "korvalen/tablestore/errors.h"

namespace korvalen::backup {
namespace {

using namespace fixtures;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;

class Restore : public BackupDesk {
protected:
    void SetUp() override {
        BackupDesk::SetUp();
        // The backup: the two cases of the fixture.
        ASSERT_EQ(Procedure().Backup({backups, "BAK_K240105"}).outcome, Outcome::Done);
        source = backups + "BAK_K240105/";
        backedUp = CasesText(database);
        // Then the database moves on: one more case, another changed.
        storage::SaveNewCase(pc.db().TableDatabase1(), CaseHeader(2, "アイフル", "鈴木　一郎"), CaseHistory(5, 100000));
        storage::SaveCase(pc.db().TableDatabase1(), CaseHeader(0, "アコム", "山田　次郎"), CaseHistory(3, 900000));
        pc.db().TableDatabase1().disconnect();
        current = CasesText(database);
        currentFiles = FilesIn(database);
        ASSERT_NE(backedUp, current);
        steps.clear();
        busy.clear();
    }
    std::string source, backedUp, current;
    std::map<std::string, std::string> currentFiles;
};

TEST_F(Restore, EachCheckOfTheFolderShowsItsWarningAndChangesNothing) {
    fs::create_directories(backups + "empty");
    fs::create_directories(temp + "inside");
    WriteWholeFile(temp + "SinseiT13.dat", "x");
    WriteWholeFile(temp + "inside/SinseiT13.dat", "x");
    // Folders that differ from D and T only in letter case count as them,
    // as every folder comparison of the program does.
    fs::create_directories(parent + "korvalendb");
    WriteWholeFile(parent + "korvalendb/SinseiT13.dat", "x");
    fs::create_directories(parent + "tav_temp/inside");
    WriteWholeFile(parent + "tav_temp/inside/SinseiT13.dat", "x");
    struct Case {
        std::string text;
        std::string_view message;
    };
    const Case cases[] = {
        {"", texts::kEnterRestoreFolder},
        {backups + "empty", texts::kNoDatabaseInFolder},
        {backups + "missing/", texts::kNoDatabaseInFolder},
        {database, texts::kRestoreIsDatabase},
        {parent + "korvalendb", texts::kRestoreIsDatabase},
        {temp, texts::kRestoreFromTempFolder},
        {parent + "tav_temp/inside", texts::kRestoreFromTempFolder},
    };
    for (const Case& c : cases) {
        const RestoreResult result = Procedure().RestoreFromFolder(c.text);
        EXPECT_EQ(result.outcome, Outcome::Refused) << c.text;
        EXPECT_EQ(result.focus, BackupField::DirName2Edit) << c.text;
        EXPECT_EQ(Texts().back(), c.message) << c.text;
        EXPECT_EQ(pc.messages.Shown().back().type, MessageType::Warning);
    }
    pc.messages.QueueAnswer(Answer::Cancel);
    EXPECT_EQ(Procedure().RestoreFromFolder(source).outcome, Outcome::Refused);
    EXPECT_EQ(pc.messages.Shown().back().text, texts::kRestoreQuestion);
    EXPECT_EQ(pc.messages.Shown().back().buttons, Buttons::OkCancel);
    EXPECT_EQ(Differences(FilesIn(database), currentFiles), "");
    EXPECT_TRUE(busy.empty());
    EXPECT_EQ(refreshes, 0);
}

TEST_F(Restore, FromAFolderBringsBackTheCasesWithAnEmptyPcTableAndNoReadOnlyFile) {
    ASSERT_GT(PcRows(database), 0);
    WriteWholeFile(source + "LOCK.NET", "network control");
    WriteWholeFile(source + "BAK_OTHER.LZH", "an archive beside it");
    // A backup kept on a read-only medium comes back read-only.
    for (const auto& entry : fs::directory_iterator(source)) {
        fs::permissions(entry.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    pc.messages.QueueAnswer(Answer::Ok);
    const RestoreResult result = Procedure().RestoreFromFolder(source.substr(0, source.size() - 1));
    ASSERT_EQ(result.outcome, Outcome::Done) << testing::PrintToString(Texts());
    EXPECT_EQ(CasesText(database), backedUp);
    EXPECT_EQ(PcRows(database), 0);
    for (const auto& entry : fs::directory_iterator(database)) {
        EXPECT_FALSE(IsReadOnly(entry.path().string())) << entry.path();
    }
    EXPECT_FALSE(fs::exists(database + "LOCK.NET"));
    EXPECT_FALSE(fs::exists(database + "BAK_OTHER.LZH"));
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(pc.messages.Shown().back().text, texts::kRestoreDone);
    EXPECT_EQ(pc.messages.Shown().back().buttons, Buttons::Yes);
    EXPECT_EQ(busy.front(), BusyState::Animated);
    EXPECT_EQ(busy.back(), BusyState::Idle);
    EXPECT_FALSE(StepNames(WorkPhase::SafetyCopy).empty());
}

// A failure at each copy of a folder restore: the database is exactly what
// it was, and only a safety copy that cannot be put back stays, named.
TEST_F(Restore, FromAFolderPutsTheSafetyCopyBackAfterAFailureAtAnyStep) {
    // Only the backup has this file; a folder of its name in D stops the
    // restore's copy, and the safety copy (which passes over folders) still
    // goes back.
    WriteWholeFile(source + "zz_only_in_backup.dat", "x");
    struct Case {
        const char* what;
        WorkPhase failing;
        std::string_view message;  // empty: the safety copy stays
    };
    const Case cases[] = {
        {"safety copy", WorkPhase::SafetyCopy, texts::kSafetyCopyFailed},
        {"restore copy", WorkPhase::RestoreCopy, texts::kRestoreFailed},
        {"restore copy and put back", WorkPhase::PuttingBack, {}},
    };
    for (const Case& c : cases) {
        if (c.failing != WorkPhase::SafetyCopy) fs::create_directory(database + "zz_only_in_backup.dat");
        bool blocked = false;
        onStep = [&](const WorkStep& step) {
            if (step.phase != c.failing || blocked) return;
            blocked = true;
            if (step.phase == WorkPhase::SafetyCopy) BlockTheRest(database, temp);
            if (step.phase == WorkPhase::PuttingBack) BlockTheRest(temp, database);
        };
        pc.messages.QueueAnswer(Answer::Ok);
        const RestoreResult result = Procedure().RestoreFromFolder(source);
        EXPECT_EQ(result.outcome, Outcome::Failed) << c.what;
        const std::string text = Texts().back();
        if (!c.message.empty()) {
            EXPECT_EQ(text, c.message) << c.what;
            EXPECT_EQ(Differences(FilesIn(database), currentFiles), "") << c.what;
            EXPECT_EQ(CasesText(database), current) << c.what;
            EXPECT_FALSE(fs::exists(temp)) << c.what;
            EXPECT_FALSE(FindInterruptedRestore(database)) << c.what;
            fs::remove(database + "zz_only_in_backup.dat");
            continue;
        }
        EXPECT_NE(text.find(texts::kRestoreFailed), std::string::npos) << text;
        EXPECT_NE(text.find(texts::kPutBackFailed), std::string::npos) << text;
        EXPECT_NE(text.find(temp), std::string::npos) << text;
        EXPECT_EQ(Differences(FilesIn(temp), currentFiles), "");
        // The next start says where the database went; once the way is clear a
        // new restore takes T as the database from before and succeeds.
        const auto interrupted = InterruptedRestoreNotice(database);
        ASSERT_TRUE(interrupted);
        EXPECT_NE(interrupted->find(temp), std::string::npos);
        for (const auto& entry : fs::directory_iterator(database)) {
            if (entry.is_directory()) fs::remove(entry.path());
        }
        onStep = nullptr;
        pc.messages.QueueAnswer(Answer::Ok);
        EXPECT_EQ(Procedure().RestoreFromFolder(source).outcome, Outcome::Done);
        EXPECT_EQ(CasesText(database), backedUp);
        EXPECT_FALSE(fs::exists(temp));
        EXPECT_FALSE(InterruptedRestoreNotice(database));
    }
}

TEST_F(Restore, ATemporaryFolderThatCannotBeMadeStopsTheRestoreBeforeAnythingChanges) {
    WriteWholeFile(parent + "TAV_TEMP", "a file where the folder goes");
    pc.messages.QueueAnswer(Answer::Ok);
    EXPECT_EQ(Procedure().RestoreFromFolder(source).outcome, Outcome::Failed);
    EXPECT_EQ(Texts().back(), texts::kTempFolderNotCreated);
    EXPECT_EQ(Differences(FilesIn(database), currentFiles), "");

    EXPECT_EQ(Procedure().RestoreFromArchive(backups + "none.LZH").outcome, Outcome::Failed);
    EXPECT_EQ(Texts().back(), texts::kTempFolderNotCreated);
    EXPECT_EQ(Differences(FilesIn(database), currentFiles), "");
}

// The safety copy of another database folder under the same parent is
// never deleted by a restore of this one.
// Tables that came back read-only (from a medium, or from an archive, whose
// restore keeps the attributes) are no obstacle to the next restore, and
// the safety copy made of them goes afterwards.
TEST_F(Restore, ReadOnlyTablesNeitherStopARestoreNorLeaveTheSafetyCopyBehind) {
    const auto makeDatabaseReadOnly = [&] {
        for (const auto& entry : fs::directory_iterator(database)) {
            fs::permissions(entry.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        }
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        makeDatabaseReadOnly();
        pc.messages.QueueAnswer(Answer::Ok);
        ASSERT_EQ(Procedure().RestoreFromFolder(source).outcome, Outcome::Done)
            << attempt << testing::PrintToString(Texts());
        EXPECT_EQ(CasesText(database), backedUp);
        EXPECT_FALSE(fs::exists(temp)) << attempt;
    }
}

TEST_F(Restore, TheSafetyCopyOfAnotherDatabaseIsLeftAlone) {
    fs::create_directories(temp);
    fs::create_directories(parent + "OtherDB");
    ASSERT_TRUE(WriteRestoreMark(temp, parent + "OtherDB/"));
    WriteWholeFile(temp + "SinseiT13.dat", "the other database");
    pc.messages.QueueAnswer(Answer::Ok);
    EXPECT_EQ(Procedure().RestoreFromFolder(source).outcome, Outcome::Refused);
    EXPECT_EQ(Texts().back(), std::string(texts::kTempFolderInUse) + "\r\n" + temp);
    EXPECT_EQ(Procedure().RestoreFromArchive(source + "x.LZH").outcome, Outcome::Refused);
    EXPECT_EQ(ReadWholeFile(temp + "SinseiT13.dat"), "the other database");
    EXPECT_EQ(Differences(FilesIn(database), currentFiles), "");
    EXPECT_FALSE(InterruptedRestoreNotice(database));
    EXPECT_TRUE(InterruptedRestoreNotice(parent + "OtherDB/"));
}

class ArchiveRestore : public Restore {
protected:
    void SetUp() override {
        Restore::SetUp();
        ASSERT_EQ(Procedure().Backup({backups, "BAK_ARC", true, CompressionType::Lzh}).outcome, Outcome::Done);
        archive = backups + "BAK_ARC/BAK_ARC.LZH";
        ASSERT_TRUE(fs::exists(archive));
        archived = CasesText(database);
        steps.clear();
        busy.clear();
    }
    std::string archive, archived;
};

TEST_F(ArchiveRestore, BringsBackTheArchivedCasesWithAnEmptyPcTable) {
    storage::DeleteCase(pc.db().TableDatabase1(), 2);
    pc.db().TableDatabase1().disconnect();
    ASSERT_NE(CasesText(database), archived);
    const std::size_t shown = pc.messages.Shown().size();
    const RestoreResult result = Procedure().RestoreFromArchive(archive);
    ASSERT_EQ(result.outcome, Outcome::Done) << testing::PrintToString(Texts());
    // No question before an archive restore, one notice after it.
    ASSERT_EQ(pc.messages.Shown().size(), shown + 1);
    EXPECT_EQ(pc.messages.Shown().back().text, texts::kRestoreDone);
    EXPECT_EQ(CasesText(database), archived);
    EXPECT_EQ(PcRows(database), 0);
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(busy, (std::vector<BusyState>{BusyState::Hourglass, BusyState::Idle}));
    EXPECT_FALSE(StepNames(WorkPhase::Unpacking).empty());
}

TEST_F(ArchiveRestore, ReadOnlyTablesAreReplacedAndTheirSafetyCopyGoes) {
    storage::DeleteCase(pc.db().TableDatabase1(), 2);
    pc.db().TableDatabase1().disconnect();
    for (const auto& entry : fs::directory_iterator(database)) {
        fs::permissions(entry.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    ASSERT_EQ(Procedure().RestoreFromArchive(archive).outcome, Outcome::Done) << testing::PrintToString(Texts());
    EXPECT_EQ(CasesText(database), archived);
    EXPECT_FALSE(fs::exists(temp));
}

// An unpack that raises, one that fails with a code, and one that unpacks
// an archive without the case history: each puts the database back and says so.
TEST_F(ArchiveRestore, PutsTheSafetyCopyBackWhenTheArchiveDoesNotGiveASoundDatabase) {
    const std::string good = ReadWholeFile(archive);
    struct Case {
        const char* what;
        std::function<std::string()> arrange;  // gives the archive path
        std::string detail;                    // empty: the raised-error message alone
    };
    const Case cases[] = {
        {"missing library",
         [&] {
             HideTheArchivers(root.folder("no-libraries"));
             return archive;
         },
         ""},
        {"damaged archive",
         [&] {
             std::string bad = good;
             bad[bad.size() / 2] = static_cast<char>(bad[bad.size() / 2] ^ 0x5A);
             WriteWholeFile(backups + "bad.LZH", bad);
             return backups + "bad.LZH";
         },
         std::string(texts::kArchiverCode)},
        {"archive cut after a member",
         [&] {
             WriteWholeFile(backups + "cut.LZH", good.substr(0, good.size() - 1));
             return backups + "cut.LZH";
         },
         std::string(texts::kArchiverCode) + "0x8007"},
        {"tables missing",
         [&] {
             fs::create_directories(backups + "part");
             fs::copy_file(database + "SinseiT13.dat", backups + "part/SinseiT13.dat");
             EXPECT_EQ(std::system(("cd '" + backups + "part' && jlha c ../part.lzh SinseiT13.dat >/dev/null").c_str()),
                       0);
             return backups + "part.lzh";
         },
         "SinseiT32：ﾃｰﾌﾞﾙがありません"},
    };
    for (const Case& c : cases) {
        const std::string path = c.arrange();
        const RestoreResult result = Procedure().RestoreFromArchive(path);
        EXPECT_EQ(result.outcome, Outcome::Failed) << c.what;
        const std::string text = Texts().back();
        EXPECT_EQ(text.rfind(texts::kArchiveRestoreFailed, 0), 0u) << c.what << text;
        if (c.detail.empty()) {
            EXPECT_EQ(text, texts::kArchiveRestoreFailed) << c.what;
        } else {
            EXPECT_NE(text.find(c.detail), std::string::npos) << c.what << text;
            EXPECT_NE(text.find(texts::kDatabasePutBack), std::string::npos) << c.what << text;
        }
        EXPECT_EQ(Differences(FilesIn(database), currentFiles), "") << c.what;
        EXPECT_FALSE(InterruptedRestoreNotice(database)) << c.what;
        // T stays after a failed archive restore; the next restore replaces it.
        EXPECT_TRUE(fs::exists(temp)) << c.what;
        ShowTheArchivers();
    }
    EXPECT_EQ(refreshes, 0);
}

TEST_F(ArchiveRestore, AFailedPutBackKeepsTheSafetyCopyAndNamesIt) {
    HideTheArchivers(root.folder("no-libraries"));
    onStep = [&](const WorkStep& step) {
        if (step.phase == WorkPhase::PuttingBack) BlockTheRest(temp, database);
    };
    EXPECT_EQ(Procedure().RestoreFromArchive(archive).outcome, Outcome::Failed);
    const std::string text = Texts().back();
    EXPECT_NE(text.find(texts::kPutBackFailed), std::string::npos) << text;
    EXPECT_NE(text.find(temp), std::string::npos) << text;
    EXPECT_EQ(Differences(FilesIn(temp), currentFiles), "");
    EXPECT_TRUE(InterruptedRestoreNotice(database));
}

}  // namespace
}  // namespace korvalen::backup
