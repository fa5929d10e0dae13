// korvalen-db on folders in trouble: a first init killed or out of disk, a
// list beside four importers, a damaged control file, folders and tables the
// user may not read or write, and folders that hold no database. The
// permission cases run the tool as the unprivileged user 65534 (setpriv),
// since root reads and writes every file.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "korvalen/storage/case_store.h"
#include "korvalen/testsupport/child_process.h"
#include "storage_fixture.h"

namespace korvalen::storage {
namespace {

using korvalen::testsupport::ChildProcess;
using namespace storage::fixtures;
using namespace std::chrono_literals;

const std::string kTool = std::string(KORVALEN_BIN_DIR) + "/korvalen-db";
const std::string kSample = std::string(KORVALEN_SOURCE_DIR) + "/examples/sample.csv";
const std::string kSetpriv = "/usr/bin/setpriv";
constexpr const char* kSoundCheck = "SinseiT13\tOK\nSinseiT32\tOK\nCSConM\tOK\nOpcfg\tOK\n";

using Outcome = korvalen::testsupport::ChildOutcome;

Outcome Db(const std::vector<std::string>& args) { return korvalen::testsupport::RunToEnd(kTool, args); }

// The same, as a user who owns none of the files.
Outcome DbAsNobody(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups", kTool};
    all.insert(all.end(), args.begin(), args.end());
    return korvalen::testsupport::RunToEnd(kSetpriv, all);
}

bool CanRunAsNobody() { return geteuid() == 0 && fs::exists(kSetpriv); }

std::set<std::string> Files(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// A folder the next init finishes: afterwards it checks clean and takes a
// case.
void ExpectUsable(const std::string& folder) {
    Outcome r = Db({"init", folder});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Db({"check", folder});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(r.out, kSoundCheck);
    r = Db({"import", folder, kSample, "--rate=29.2"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Db({"list", folder}).out, "0\t\t\t73\n");
}

TEST(FolderSafetyTest, AFirstInitKilledAtAnyMomentLeavesAFolderTheNextInitFinishes) {
    TempFolder root("kvtest-killed-init");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Db({"init", root.folder("timed")}).code, 0);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    std::mt19937 random(20240702);
    std::uniform_int_distribution<std::int64_t> moment(0, took.count());
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const std::string folder = root.folder("db" + std::to_string(round));
        {
            ChildProcess child(kTool, {"init", folder});
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            child.Kill();
            child.Wait();
        }
        ExpectUsable(folder);
    }
}

// A tmpfs of a given size mounted on a folder, for as long as it lives.
class SmallDisk {
public:
    explicit SmallDisk(const std::string& at) : at_(at) { fs::create_directories(at); }
    ~SmallDisk() {
        if (mounted_) umount2(at_.c_str(), MNT_DETACH);
    }
    bool Mount(int kib) {
        const std::string size = "size=" + std::to_string(kib) + "k";
        mounted_ = mount("tmpfs", at_.c_str(), "tmpfs", mounted_ ? MS_REMOUNT : 0, size.c_str()) == 0;
        return mounted_;
    }
    void Unmount() {
        if (mounted_) umount2(at_.c_str(), MNT_DETACH);
        mounted_ = false;
    }

private:
    std::string at_;
    bool mounted_ = false;
};

TEST(FolderSafetyTest, AFirstInitOnAFullDiskFailsAndTheNextOneWithRoomFinishes) {
    TempFolder root("kvtest-full-disk");
    SmallDisk disk(root / "disk");
    if (!disk.Mount(4)) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    const std::string folder = root.folder("disk/KorvalenDB");
    int failed = 0;
    bool finished = false;
    // Every size from nearly nothing up to enough: the disk fills at each
    // step of the first start in turn.
    for (int kib = 4; kib <= 400 && !finished; kib += 4) {
        SCOPED_TRACE(std::to_string(kib) + " KiB");
        disk.Unmount();
        ASSERT_TRUE(disk.Mount(kib));
        const Outcome r = Db({"init", folder});
        if (r.code == 0) {
            finished = true;
            continue;
        }
        ++failed;
        EXPECT_EQ(r.code, 3) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("9475"), std::string::npos) << r.err;
        // More room, and the same folder finishes.
        ASSERT_TRUE(disk.Mount(1024));
        ExpectUsable(folder);
    }
    EXPECT_TRUE(finished);
    EXPECT_GT(failed, 5);
}

TEST(FolderSafetyTest, AListNeverFailsWhileFourProcessesImport) {
    TempFolder root("kvtest-busy");
    const std::string folder = root.folder("KorvalenDB");
    ASSERT_EQ(Db({"init", folder}).code, 0);
    constexpr int kImports = 6;
    std::vector<std::unique_ptr<ChildProcess>> importers;
    for (int i = 0; i < 4; ++i) {
        const std::string loop = "for i in $(seq " + std::to_string(kImports) + "); do '" + kTool + "' import '" +
                                 folder + "' '" + kSample + "' --rate=29.2 >/dev/null || exit 1; done";
        importers.push_back(std::make_unique<ChildProcess>("/bin/sh", std::vector<std::string>{"-c", loop}));
    }
    std::vector<std::optional<int>> ended(importers.size());
    int lists = 0;
    std::size_t most = 0;
    for (bool busy = true; busy;) {
        const Outcome r = Db({"list", folder});
        ASSERT_EQ(r.code, 0) << "list " << lists << ": " << r.err;
        std::istringstream lines(r.out);
        std::size_t rows = 0;
        for (std::string line; std::getline(lines, line); ++rows) {
            EXPECT_TRUE(line.ends_with("\t73")) << line;  // never half a case
        }
        most = std::max(most, rows);
        ++lists;
        busy = false;
        for (std::size_t i = 0; i < importers.size(); ++i) {
            if (!ended[i]) {
                const int code = importers[i]->Wait(0ms);
                if (code >= 0) ended[i] = code;
            }
            busy = busy || !ended[i];
        }
    }
    for (std::size_t i = 0; i < importers.size(); ++i) EXPECT_EQ(ended[i], 0) << importers[i]->Err();
    const std::string all = Db({"list", folder}).out;
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 4 * kImports);
    EXPECT_GT(lists, 3);
    std::cout << lists << " lists beside " << 4 * kImports << " imports (most rows seen " << most << ")\n";
}

TEST(FolderSafetyTest, ReadingCommandsGoThroughAnotherProcesssEditAndSeeOnlyWhatIsCommitted) {
    TempFolder root("kvtest-edit");
    const std::string folder = root.folder("KorvalenDB");
    ASSERT_EQ(Db({"init", folder}).code, 0);
    ASSERT_EQ(Db({"import", folder, kSample, "--rate=29.2"}).code, 0);
    // This process holds the folder's write lock in the middle of saving a
    // second case, far longer than the tool's lock timeout.
    tablestore::Database editing;
    editing.setDirectory(folder);
    editing.startTransaction();
    engine::HistoryList history;
    history.push_back(Entry(2010, 1, 1, 1000, 0, 18));
    engine::CaseRecord header;
    header.SEQ = 1;
    header.GYOSYA_NAME = "途中";
    SaveCase(editing, header, history);
    const auto started = std::chrono::steady_clock::now();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"list", folder},
                                                 {"export", folder, "0"},
                                                 {"calc", folder, "0"},
                                                 {"show", folder, "0"},
                                                 {"check", folder}}) {
        SCOPED_TRACE(args[0]);
        const Outcome r = Db(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out.find("途中"), std::string::npos);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 4s) << "a reader waited for the edit";
    editing.commit();
    EXPECT_EQ(Db({"list", folder}).out, "0\t\t\t73\n1\t途中\t\t1\n");
}

TEST(FolderSafetyTest, ADamagedControlFileIsReportedAsSuchOnceAndMadeAgain) {
    TempFolder root("kvtest-control");
    const std::string folder = root.folder("KorvalenDB");
    ASSERT_EQ(Db({"init", folder}).code, 0);
    ASSERT_EQ(Db({"import", folder, kSample, "--rate=29.2"}).code, 0);
    WriteWholeFile(folder + "TableStore.tx", std::string(3000, 'x'));
    const Outcome r = Db({"list", folder});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("エラーコード 8961: データベースの制御ファイル（TableStore.tx）"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("テーブル「"), std::string::npos) << r.err;
    EXPECT_EQ(Db({"list", folder}).out, "0\t\t\t73\n");
    EXPECT_EQ(Db({"check", folder}).out, kSoundCheck);
    EXPECT_EQ(Db({"import", folder, kSample, "--rate=29.2"}).out, "1\n");
}

TEST(FolderSafetyTest, AFolderWithoutADatabaseIsSaidSoAndLeftAsItWas) {
    TempFolder root("kvtest-empty");
    const std::string folder = root.folder("other");
    fs::create_directories(folder);
    WriteWholeFile(folder + "letter.txt", "not a table");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"list", folder},
                                                 {"show", folder, "0"},
                                                 {"export", folder, "0"},
                                                 {"calc", folder, "0"},
                                                 {"check", folder},
                                                 {"duplicate", folder, "0"},
                                                 {"delete", folder, "0"},
                                                 {"import", folder, kSample, "--rate=29.2"},
                                                 {"print", folder, "0", "--pdf", root / "0.pdf"}}) {
        SCOPED_TRACE(args[0]);
        const Outcome r = Db(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("このフォルダにはデータベースがありません"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("korvalen-db init " + folder), std::string::npos) << r.err;
        EXPECT_EQ(Files(folder), std::set<std::string>{"letter.txt"});
    }
}

// The permission cases. Each makes its folder as root (a database with one
// case), takes rights away, and runs the tool as user 65534.
struct Denied {
    const char* what;
    std::function<void(const std::string& folder)> take;
    std::vector<std::string> command;  // FOLDER stands for the folder
    int code;
    std::string says;  // in stderr, or in stdout for check
    std::string path;  // the file or folder the message names, relative
};

TEST(FolderSafetyTest, WhatTheUserMayNotReadOrWriteIsTheAccessErrorWithItsPathAndNothingIsMadeOverIt) {
    if (!CanRunAsNobody()) GTEST_SKIP() << "needs root and setpriv to run the tool as another user";
    const auto dat = [](const char* table) {
        return [table](const std::string& folder) {
            fs::permissions(folder + table + ".dat", fs::perms::owner_read | fs::perms::owner_write);
        };
    };
    const auto closed = [](const std::string& folder) { fs::permissions(folder, fs::perms::owner_all); };
    const auto readOnly = [](const std::string&) {};  // the folder and its files are root's, 0755 and 0644
    const std::vector<Denied> cases = {
        {"a read-only folder: list reads it", readOnly, {"list", "FOLDER"}, 0, "0\t\t\t73", ""},
        {"a read-only folder: calc reads it", readOnly, {"calc", "FOLDER", "0"}, 0, "取引日\t借入額", ""},
        {"a read-only folder: check reads it", readOnly, {"check", "FOLDER"}, 0, kSoundCheck, ""},
        {"a read-only folder: import",
         readOnly,
         {"import", "FOLDER", kSample, "--rate=29.2"},
         3,
         "11013",
         "SinseiT13.dat"},
        {"a read-only folder: duplicate", readOnly, {"duplicate", "FOLDER", "0"}, 3, "11013", "SinseiT13.dat"},
        {"a read-only folder: init", readOnly, {"init", "FOLDER"}, 3, "11013", "DBCreate.ini"},
        {"an unreadable history table: list", dat("SinseiT32"), {"list", "FOLDER"}, 3, "11013", "SinseiT32.dat"},
        {"an unreadable history table: check",
         dat("SinseiT32"),
         {"check", "FOLDER"},
         1,
         "SinseiT32\tエラーコード 11013",
         "SinseiT32.dat"},
        {"an unreadable case table: export", dat("SinseiT13"), {"export", "FOLDER", "0"}, 3, "11013", "SinseiT13.dat"},
        {"a folder closed to the user: list", closed, {"list", "FOLDER"}, 3, "11013", "SinseiT13.dat"},
        {"a folder closed to the user: check", closed, {"check", "FOLDER"}, 3, "11013", "SinseiT13.dat"},
        {"a folder closed to the user: init", closed, {"init", "FOLDER"}, 3, "11013", "DBCreate.ini"},
    };
    TempFolder root("kvtest-denied");
    // The user may pass through the temporary folder to the one under test.
    fs::permissions(root.path(), fs::perms::others_exec, fs::perm_options::add);
    int n = 0;
    for (const Denied& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = root.folder("db" + std::to_string(n++));
        ASSERT_EQ(Db({"init", folder}).code, 0);
        ASSERT_EQ(Db({"import", folder, kSample, "--rate=29.2"}).code, 0);
        c.take(folder);
        std::map<std::string, std::string> before;
        for (const std::string& name : Files(folder)) before[name] = ReadWholeFile(folder + name);

        std::vector<std::string> args = c.command;
        for (std::string& a : args) {
            if (a == "FOLDER") a = folder;
        }
        const Outcome r = DbAsNobody(args);
        EXPECT_EQ(r.code, c.code) << r.out << r.err;
        const std::string& said = c.code == 0 || c.code == 1 ? r.out : r.err;
        EXPECT_NE(said.find(c.says), std::string::npos) << r.out << r.err;
        if (!c.path.empty()) {
            EXPECT_NE(said.find(folder + c.path), std::string::npos) << said;
        }
        EXPECT_EQ(said.find("テーブルがありません"), std::string::npos) << said;
        // Nothing made, nothing changed.
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        std::map<std::string, std::string> after;
        for (const std::string& name : Files(folder)) after[name] = ReadWholeFile(folder + name);
        EXPECT_EQ(after, before);
    }
}

}  // namespace
}  // namespace korvalen::storage
