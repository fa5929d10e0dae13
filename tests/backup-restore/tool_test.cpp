// korvalen-db backup and restore as programs: archives the peer tools read,
// restores that calculate as before, a backup taken while another process
// imports, exit codes and messages, and restores killed at random moments.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include "backup_fixture.h"
#include "korvalen/backup/backup_messages.h"
#include "korvalen/backup/restore_mark.h"
#include "korvalen/testsupport/child_process.h"

namespace korvalen::backup {
namespace {

using namespace fixtures;
using testsupport::ChildProcess;

const std::string kBin = KORVALEN_BIN_DIR;
const std::string kSample = std::string(KORVALEN_SOURCE_DIR) + "/examples/sample.csv";

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun Db(const std::vector<std::string>& args) {
    ChildProcess child(kBin + "/korvalen-db", args);
    const int code = child.Wait();
    return {code, child.Out(), child.Err()};
}

// The shell's answer for a peer tool; empty when it is not installed.
ToolRun Shell(const std::string& command) {
    ChildProcess child("/bin/sh", {"-c", command});
    const int code = child.Wait();
    return {code, child.Out(), child.Err()};
}

std::set<std::string> TableFilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const std::string& name : NamesIn(folder)) {
        const std::string ext = fs::path(name).extension().string();
        if (ext == ".dat" || ext == ".idx" || ext == ".blb") names.insert(name);
    }
    return names;
}

// What korvalen-db says about every case: the list, each history and both
// calculations.
std::string Everything(const std::string& folder) {
    const ToolRun list = Db({"list", folder});
    EXPECT_EQ(list.code, 0) << list.err;
    std::string text = list.out;
    std::istringstream lines(list.out);
    for (std::string line; std::getline(lines, line);) {
        const std::string seq = line.substr(0, line.find('\t'));
        for (const std::vector<std::string>& args : {std::vector<std::string>{"export", folder, seq},
                                                     {"calc", folder, seq, "--table=lender"},
                                                     {"calc", folder, seq, "--table=recalc"}}) {
            const ToolRun r = Db(args);
            EXPECT_EQ(r.code, 0) << r.err;
            text += r.out;
        }
    }
    return text;
}

class BackupTool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Db({"init", database}).code, 0);
        for (const auto& [creditor, rate] : {std::pair{"アコム", "29.2"}, std::pair{"プロミス", "25.55"}}) {
            const ToolRun r = Db({"import", database, kSample, std::string("--creditor=") + creditor,
                                  "--debtor=山田　太郎", std::string("--rate=") + rate, "--overpayment-rate=5"});
            ASSERT_EQ(r.code, 0) << r.err;
        }
        fs::create_directories(backups);
        before = Everything(database);
    }
    // The database moves on after the backup.
    void ChangeTheDatabase() {
        ASSERT_EQ(Db({"delete", database, "0"}).code, 0);
        ASSERT_EQ(Db({"import", database, kSample, "--creditor=アイフル", "--rate=18"}).code, 0);
        ASSERT_NE(Everything(database), before);
    }
    TempFolder root{"kvtest-bktool"};
    std::string database = root.folder("vex/KorvalenDB");
    std::string backups = root.folder("backups");
    std::string before;
};

TEST_F(BackupTool, ArchivesHoldExactlyTheTableFilesAndRestoreToTheSameCases) {
    const std::set<std::string> tables = TableFilesIn(database);
    ASSERT_EQ(tables.size(), 12u);
    ASSERT_EQ(Db({"backup", database, backups, "--lzh", "--name=BAK_LZH"}).code, 0);
    ASSERT_EQ(Db({"backup", database, backups, "--cab", "--name=BAK_CAB"}).code, 0);
    ASSERT_EQ(Db({"backup", database, backups, "--name=BAK_DIR"}).code, 0);
    EXPECT_EQ(NamesIn(backups + "BAK_LZH"), (std::set<std::string>{"BAK_LZH.LZH"}));
    EXPECT_EQ(NamesIn(backups + "BAK_CAB"), (std::set<std::string>{"BAK_CAB.CAB"}));

    // Unpacked by the peer tools: exactly the table files, byte for byte.
    const std::string lhasa = root.folder("lhasa");
    const std::string cabextract = root.folder("cabextract");
    fs::create_directories(lhasa);
    fs::create_directories(cabextract);
    ASSERT_EQ(Shell("lhasa -xqw='" + lhasa + "' '" + backups + "BAK_LZH/BAK_LZH.LZH'").code, 0);
    ASSERT_EQ(Shell("cabextract -q -d '" + cabextract + "' '" + backups + "BAK_CAB/BAK_CAB.CAB'").code, 0);
    auto tableContents = FilesIn(database);
    for (auto it = tableContents.begin(); it != tableContents.end();) {
        it = tables.count(it->first) ? std::next(it) : tableContents.erase(it);
    }
    EXPECT_EQ(Differences(FilesIn(lhasa), tableContents), "");
    EXPECT_EQ(Differences(FilesIn(cabextract), tableContents), "");

    // An archive jlha made of the same files restores as well as ours.
    const std::string jlhaArchive = backups + "BAK_JLHA.LZH";
    ASSERT_EQ(Shell("cd '" + lhasa + "' && jlha c '" + jlhaArchive + "' *.dat *.idx *.blb >/dev/null").code, 0);

    for (const std::string& source : {backups + "BAK_LZH/BAK_LZH.LZH", jlhaArchive, backups + "BAK_DIR"}) {
        ChangeTheDatabase();
        const ToolRun restore = Db({"restore", database, source});
        ASSERT_EQ(restore.code, 0) << source << restore.err;
        EXPECT_EQ(restore.out, "復元が完了しました。\n");
        const ToolRun check = Db({"check", database});
        EXPECT_EQ(check.code, 0) << source << check.out;
        EXPECT_EQ(Everything(database), before) << source;
        EXPECT_EQ(PcRows(database), 0) << source;
    }
}

TEST_F(BackupTool, RefusalsAndFailuresEndWithTheMessageAndAnExitCode) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    fs::create_directories(backups + "BAK_OLD");
    fs::create_directories(backups + "empty");
    WriteWholeFile(backups + "bad.LZH", "not an archive");
    const Case cases[] = {
        {{"backup", database, backups + "missing"}, 2, std::string(texts::kBackupDirectoryMissing)},
        {{"backup", database, backups, "--name=TAV_TEMP"}, 2, std::string(texts::kBackupIntoTempFolder)},
        {{"backup", database, backups, "--name=BAK_OLD"}, 2, "--overwrite"},
        {{"backup", database, backups, "--lzh", "--cab"}, 2, "--lzh と --cab"},
        {{"backup", backups + "empty", backups}, 2, "SinseiT13.dat"},
        {{"restore", database, backups + "empty"}, 2, std::string(texts::kNoDatabaseInFolder)},
        {{"restore", database, database}, 2, "ﾃﾞｰﾀﾍﾞｰｽと、復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞが重複します。"},
        {{"restore", database, backups + "bad.LZH"}, 4, "復元には[UNLHA32.DLL]が必要です。"},
    };
    for (const Case& c : cases) {
        const ToolRun r = Db(c.args);
        EXPECT_EQ(r.code, c.code) << testing::PrintToString(c.args) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << testing::PrintToString(c.args) << r.err;
        EXPECT_EQ(r.err.find('\r'), std::string::npos);
    }
    EXPECT_EQ(Everything(database), before);
    EXPECT_TRUE(fs::is_empty(backups + "BAK_OLD"));
    // --overwrite answers the question.
    EXPECT_EQ(Db({"backup", database, backups, "--name=BAK_OLD", "--overwrite"}).code, 0);
    EXPECT_TRUE(fs::exists(backups + "BAK_OLD/SinseiT13.dat"));
}

// Backups taken while another process keeps saving new cases: each holds
// whole cases only, and restores to a database the check finds sound.
TEST_F(BackupTool, ABackupTakenWhileAnotherProcessImportsRestoresToASoundDatabase) {
    std::atomic<bool> stop{false};
    std::atomic<int> imported{0};
    std::thread importer([&] {
        while (!stop) {
            if (Db({"import", database, kSample, "--creditor=同時", "--rate=29.2"}).code == 0) ++imported;
        }
    });
    std::vector<std::string> taken;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "BAK_" + std::to_string(i);
        const bool packed = i % 2 == 1;
        std::vector<std::string> args = {"backup", database, backups, "--name=" + name};
        if (packed) args.push_back("--lzh");
        const ToolRun r = Db(args);
        ASSERT_EQ(r.code, 0) << r.err;
        taken.push_back(packed ? backups + name + "/" + name + ".LZH" : backups + name);
    }
    stop = true;
    importer.join();
    ASSERT_GT(imported.load(), 0);
    for (const std::string& source : taken) {
        const std::string target = root.folder("restored/" + fs::path(source).filename().string() + "/KorvalenDB");
        ASSERT_EQ(Db({"init", target}).code, 0);
        const ToolRun restore = Db({"restore", target, source});
        ASSERT_EQ(restore.code, 0) << source << restore.err;
        const ToolRun check = Db({"check", target});
        EXPECT_EQ(check.code, 0) << source << check.out;
        // Every case holds its whole history: the 73 entries of the sample.
        std::istringstream lines(Db({"list", target}).out);
        int cases = 0;
        for (std::string line; std::getline(lines, line); ++cases) {
            EXPECT_EQ(line.substr(line.rfind('\t') + 1), "73") << source << line;
        }
        EXPECT_GE(cases, 2) << source;
    }
}

// A restore killed at any moment leaves the old database, the restored one,
// or the old one safe in T with the next start's message; never a mixture.
TEST_F(BackupTool, ARestoreKilledAtRandomLeavesTheOldTheRestoredOrTheOldInT) {
    ASSERT_EQ(Db({"backup", database, backups, "--name=BAK_DIR"}).code, 0);
    ASSERT_EQ(Db({"backup", database, backups, "--name=BAK_ARC", "--lzh"}).code, 0);
    const std::string restoredText = before;
    ChangeTheDatabase();
    const std::string oldText = Everything(database);
    const std::string pristine = root.folder("pristine");
    fs::create_directories(pristine);
    for (const auto& [name, content] : FilesIn(database)) WriteWholeFile(pristine + name, content);
    const auto oldFiles = FilesIn(pristine);
    const std::string temp = fs::path(database).parent_path().parent_path().string() + "/TAV_TEMP/";

    // How long one restore takes here, to kill inside it.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Db({"restore", database, backups + "BAK_DIR"}).code, 0);
    const auto length = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);

    std::mt19937 random(20240105);
    std::map<std::string, int> seen;
    for (int round = 0; round < 24; ++round) {
        fs::remove_all(temp);
        for (const auto& entry : fs::directory_iterator(database)) fs::remove_all(entry.path());
        for (const auto& [name, content] : oldFiles) WriteWholeFile(database + name, content);
        const std::string source = round % 2 ? backups + "BAK_ARC/BAK_ARC.LZH" : backups + "BAK_DIR";
        {
            ChildProcess child(kBin + "/korvalen-db", {"restore", database, source});
            std::this_thread::sleep_for(std::chrono::microseconds(random() % (length.count() + 1)));
            child.Kill();
            child.Wait();
        }
        if (const auto notice = InterruptedRestoreNotice(database)) {
            ++seen["old in T"];
            EXPECT_NE(notice->find(temp), std::string::npos);
            EXPECT_EQ(Differences(FilesIn(temp), oldFiles), "") << round;
            const ToolRun refused = Db({"list", database});
            EXPECT_NE(refused.code, 0);
            EXPECT_NE(refused.err.find(temp), std::string::npos) << refused.err;
            // Restoring again takes T as the database from before.
            ASSERT_EQ(Db({"restore", database, source}).code, 0) << round;
            EXPECT_EQ(Everything(database), restoredText) << round;
            continue;
        }
        const std::string now = Everything(database);
        if (now == oldText) {
            ++seen["old"];
        } else {
            EXPECT_EQ(now, restoredText) << "a mixture after round " << round;
            ++seen["restored"];
            // A kill between the copy and the rebuild leaves the PC table to the next start.
            ASSERT_EQ(Db({"init", database}).code, 0);
            const ToolRun check = Db({"check", database});
            EXPECT_EQ(check.code, 0) << round << check.out << check.err;
        }
    }
    RecordProperty("outcomes", testing::PrintToString(seen));
    // The kills landed in more than one place.
    EXPECT_GE(seen.size(), 2u) << testing::PrintToString(seen);
}

}  // namespace
}  // namespace korvalen::backup
