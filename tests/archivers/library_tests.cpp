// The two libraries as the bridge sees them: loaded by file name, entries
// bound by name, driven with the command texts of backup and restore.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "cab_writer.h"
#include "crc16.h"
#include "dos_time.h"
#include "file_io.h"
#include "korvalen/base/cp932.h"
#include "lha_writer.h"
#include "sample_database.h"
#include "test_support.h"

namespace korvalen::archivers::test {
namespace {

using ::testing::HasSubstr;

// One sample database for the whole suite: it takes a moment to build.
class Sample : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        files_ = makeSampleDatabase(dir_->path() / "db");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::map<std::string, std::string> originals() { return folderContents(dir_->path() / "db"); }
    static inline TempDir* dir_ = nullptr;
    static inline std::vector<std::string> files_;
};

bool exists(const std::string& p) { return ::access(p.c_str(), F_OK) == 0; }

TEST_F(Sample, BackupAndRestoreRoundTripThroughBothLibraries) {
    ASSERT_GE(files_.size(), 13u);
    TempDir work;
    const auto lzh = work / "BAK_K240105.LZH";
    const auto packed = lha().run(lhaPackCommand(lzh, files_));
    ASSERT_EQ(packed.code, 0) << packed.text;
    EXPECT_THAT(packed.text, HasSubstr("債権者一覧.dat"));
    const auto restored = lha().run(lhaUnpackCommand(lzh, work.folder() + "restored/"));
    ASSERT_EQ(restored.code, 0) << restored.text;
    EXPECT_EQ(folderContents(work.path() / "restored"), originals());

    const auto cabFile = work / "BAK_K240105.CAB";
    const auto cabbed = cab().run(cabPackCommand(cabFile, files_));
    ASSERT_EQ(cabbed.code, 0) << cabbed.text;
    const auto unpacked = cab().run("-x -i \"" + cabFile + "\" \"" + work.folder() + "fromcab/\"");
    ASSERT_EQ(unpacked.code, 0) << unpacked.text;
    EXPECT_EQ(folderContents(work.path() / "fromcab"), originals());
    // The backup folder holds the archives and nothing left over from writing them.
    EXPECT_EQ(std::distance(fs::directory_iterator(work.path()), fs::directory_iterator()), 4);
}

TEST(Pack, StoresShiftJisNamesAndFolderPartsOnlyForRelativeNames) {
    TempDir dir;
    writeFile(dir / "in/sub/債権者.dat", "x");
    writeFile(dir / "in/top.dat", "y");
    const auto lzh = dir / "a.lzh";
    // A base folder: names given relative to it keep their folders with -p1.
    ASSERT_EQ(lha()
                  .run("u -p1 -jso1 \"" + lzh + "\" \"" + dir.folder() + "in/\" \"sub/債権者.dat\" \"" +
                       (dir / "in/top.dat") + "\"")
                  .code,
              0);
    const std::string raw = readFile(lzh);
    EXPECT_THAT(raw, HasSubstr(*base::Utf8ToCp932("債権者.dat")));
    const auto listed = lha().run("l \"" + lzh + "\"");
    EXPECT_THAT(listed.text, HasSubstr("sub/債権者.dat"));
    EXPECT_THAT(listed.text, HasSubstr(" top.dat"));
    EXPECT_THAT(listed.text, ::testing::Not(HasSubstr(dir.folder())));
}

// Linux input methods type 〜 and − where Windows has ～ and －: the stored
// name is the Windows one, in both formats, and selects by either spelling.
TEST(Pack, WaveDashAndMinusInNamesAreStoredAsTheirShiftJisForms) {
    TempDir dir;
    const std::string file = dir / "in/波〜線−1.dat";
    writeFile(file, "x");
    const std::string lzh = dir / "n.lzh", cabinet = dir / "n.cab";
    const struct {
        const Library& library;
        std::string archive, pack, unpack, out;
    } cases[] = {
        {lha(), lzh, lhaPackCommand(lzh, {file}), lhaUnpackCommand(lzh, dir.folder("lzh")), dir / "lzh"},
        {cab(), cabinet, cabPackCommand(cabinet, {file}), "-x \"" + cabinet + "\" \"" + dir.folder("cab") + "\"",
         dir / "cab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        ASSERT_EQ(c.library.run(c.pack).code, 0);
        EXPECT_THAT(readFile(c.archive), HasSubstr(*base::Utf8ToCp932("波～線－1.dat")));
        // Selected by the name as the user typed it.
        ASSERT_EQ(c.library.run(c.unpack + " \"波〜線−1.dat\"").code, 0);
        EXPECT_EQ(folderContents(c.out), (std::map<std::string, std::string>{{"波～線－1.dat", "x"}}));
    }
}

TEST(Pack, UpdateReplacesAndAddsMembers) {
    TempDir dir;
    writeFile(dir / "a.dat", "old a");
    writeFile(dir / "b.dat", "old b");
    const auto lzh = dir / "u.lzh";
    ASSERT_EQ(lha().run(lhaPackCommand(lzh, {dir / "a.dat", dir / "b.dat"})).code, 0);
    writeFile(dir / "b.dat", "new b, longer");
    writeFile(dir / "c.dat", "new c");
    ASSERT_EQ(lha().run(lhaPackCommand(lzh, {dir / "b.dat", dir / "c.dat"})).code, 0);
    ASSERT_EQ(lha().run(lhaUnpackCommand(lzh, dir.folder() + "out/")).code, 0);
    EXPECT_EQ(folderContents(dir.path() / "out"),
              (std::map<std::string, std::string>{{"a.dat", "old a"}, {"b.dat", "new b, longer"}, {"c.dat", "new c"}}));
}

TEST(Pack, FailuresLeaveNoArchiveAndKeepTheOldOne) {
    TempDir dir;
    writeFile(dir / "a.dat", "a");
    writeFile(dir / "A.DAT.x", "other");
    const auto lzh = dir / "f.lzh";
    struct Case {
        std::vector<std::string> files;
        int code;
    };
    const Case cases[] = {
        {{dir / "a.dat", dir / "missing.dat"}, ARC_ERR_FILE_OPEN},
        {{dir / "*.none"}, ARC_ERR_NO_FILES},
        {{dir.path().string()}, ARC_ERR_FILE_OPEN},  // a folder is not a file
    };
    for (const auto& c : cases) {
        const auto r = lha().run(lhaPackCommand(lzh, c.files));
        EXPECT_EQ(r.code, c.code) << r.text;
        EXPECT_THAT(r.text, HasSubstr("エラー"));
        EXPECT_FALSE(exists(lzh));
        EXPECT_EQ(cab().run(cabPackCommand(dir / "f.cab", c.files)).code, c.code);
        EXPECT_FALSE(exists(dir / "f.cab"));
    }
    ASSERT_EQ(lha().run(lhaPackCommand(lzh, {dir / "a.dat"})).code, 0);
    const std::string before = readFile(lzh);
    EXPECT_EQ(lha().run(lhaPackCommand(lzh, {dir / "missing.dat"})).code, ARC_ERR_FILE_OPEN);
    EXPECT_EQ(readFile(lzh), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

// A file size limit stands in for a full disk: writes past it fail the way
// they fail on a full disk, and nothing half-written may stay behind.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes) {
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        ::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    sighandler_t previousHandler_;
};

TEST(Pack, NoSpaceIsReportedAndLeavesNothingBehind) {
    TempDir dir;
    std::string noise(1 << 20, '\0');
    uint32_t x = 1;
    for (auto& c : noise) c = static_cast<char>((x = x * 1103515245 + 12345) >> 24);
    writeFile(dir / "big.dat", noise);
    ASSERT_EQ(lha().run(lhaPackCommand(dir / "ok.lzh", {dir / "big.dat"})).code, 0);
    {
        FullDisk full(256 * 1024);
        EXPECT_EQ(lha().run(lhaPackCommand(dir / "a.lzh", {dir / "big.dat"})).code, ARC_ERR_DISK_SPACE);
        EXPECT_EQ(cab().run(cabPackCommand(dir / "a.cab", {dir / "big.dat"})).code, ARC_ERR_DISK_SPACE);
        EXPECT_EQ(lha().run(lhaUnpackCommand(dir / "ok.lzh", dir.folder() + "out/")).code, ARC_ERR_DISK_SPACE);
    }
    EXPECT_FALSE(exists(dir / "a.lzh"));
    EXPECT_FALSE(exists(dir / "a.cab"));
    // The refused extraction takes away the destination it made.
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

// Damaged copies of real archives: flipped bytes in headers and data, and cuts.
TEST_F(Sample, DamagedArchivesFailAndLeaveTheDestinationAsItWas) {
    TempDir work;
    const auto lzh = work / "good.lzh";
    const auto cabFile = work / "good.cab";
    ASSERT_EQ(lha().run(lhaPackCommand(lzh, files_)).code, 0);
    ASSERT_EQ(cab().run(cabPackCommand(cabFile, files_)).code, 0);
    for (const auto& [path, isLha] : {std::pair{lzh, true}, std::pair{cabFile, false}}) {
        const std::string good = readFile(path);
        std::vector<std::pair<std::string, std::string>> damaged;
        for (size_t at : {size_t{5}, size_t{40}, size_t{300}, good.size() / 3, good.size() / 2, good.size() - 30}) {
            std::string d = good;
            d[at] = static_cast<char>(d[at] ^ 0x21);
            damaged.emplace_back("flip at " + std::to_string(at), d);
        }
        for (size_t cut : {size_t{20}, good.size() / 2, good.size() - 2})
            damaged.emplace_back("cut at " + std::to_string(cut), good.substr(0, cut));
        for (const auto& [what, bytes] : damaged) {
            const std::string bad = work / "bad.arc";
            writeFile(bad, bytes);
            const std::string dest = work.folder() + "dest/";
            fs::remove_all(dest);
            writeFile(dest + "SinseiT13.dat", "kept");
            const auto r =
                isLha ? lha().run(lhaUnpackCommand(bad, dest)) : cab().run("-x \"" + bad + "\" \"" + dest + "\"");
            EXPECT_NE(r.code, 0) << what << (isLha ? " lzh" : " cab");
            EXPECT_EQ(folderContents(dest), (std::map<std::string, std::string>{{"SinseiT13.dat", "kept"}})) << what;
            EXPECT_EQ(std::distance(fs::directory_iterator(dest), fs::directory_iterator()), 1) << what;
            const Library& lib = isLha ? lha() : cab();
            EXPECT_EQ(lib.checkArchive(bad.c_str(), ARC_CHECK_FULL_CRC), 0) << what;
        }
        const Library& lib = isLha ? lha() : cab();
        EXPECT_EQ(lib.checkArchive(path.c_str(), ARC_CHECK_FULL_CRC), 1);
    }
}

// An LHA archive with -lh0- members under any names we like, hostile ones included.
std::string craftLha(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out;
    for (const auto& [name, data] : members) {
        LhaHeaderFields f;
        f.method = "-lh0-";
        f.packedSize = f.originalSize = static_cast<uint32_t>(data.size());
        f.mtime = 1700000000;
        f.dataCrc = crc16Update(0, reinterpret_cast<const uint8_t*>(data.data()), data.size());
        const std::string sjis = base::Utf8ToCp932(name).value_or(name);
        const size_t slash = sjis.rfind('/');
        f.fileName = slash == std::string::npos ? sjis : sjis.substr(slash + 1);
        f.folder = slash == std::string::npos ? "" : sjis.substr(0, slash);
        const auto h = lhaLevel2Header(f);
        out.append(h.begin(), h.end());
        out += data;
    }
    return out + '\0';
}

TEST(Extract, RefusesNamesThatLeaveTheDestination) {
    TempDir dir;
    for (const char* evil : {"../evil.txt", "a/../../evil.txt", "/tmp/evil.txt", "C:/evil.txt"}) {
        const auto arc = dir / "evil.lzh";
        writeFile(arc, craftLha({{"fine.txt", "fine"}, {evil, "evil"}}));
        const std::string dest = dir.folder() + "in/deep/";
        for (const char* x : {"-x0", "-x1"}) {
            const auto r = lha().run(std::string("x ") + x + " -jse0 -jso1 \"" + arc + "\" \"" + dest + "\"");
            EXPECT_EQ(r.code, ARC_ERR_UNSAFE_PATH) << evil << r.text;
            EXPECT_FALSE(fs::exists(dir.path() / "in")) << evil;
        }
    }
    EXPECT_FALSE(exists(dir / "in/evil.txt"));
    EXPECT_FALSE(exists(dir / "evil.txt"));
}

TEST(Extract, RefusesCabinetNamesThatLeaveTheDestination) {
    TempDir dir;
    writeFile(dir / "src", "evil");
    Progress progress(0, "");
    for (const char* evil : {"..\\evil.txt", "sub\\..\\..\\evil.txt", "\\evil.txt"}) {
        fs::remove(dir / "evil.cab");
        {
            OutputFile out(dir / "evil.cab");
            CabWriter(out, progress).write({PackItem{evil, dir / "src", false, 4, 1700000000, 0x20}});
            out.close();
        }
        const auto r = cab().run("-x \"" + (dir / "evil.cab") + "\" \"" + dir.folder() + "in/deep/\"");
        EXPECT_EQ(r.code, ARC_ERR_UNSAFE_PATH) << evil << r.text;
        EXPECT_FALSE(exists(dir / "in/evil.txt"));
        EXPECT_FALSE(exists(dir / "evil.txt"));
    }
}

// A Unix LHA symbolic link: a folder entry named "link|target" whose mode
// extension says link.
std::string craftLhaLink(const std::string& link, const std::string& target) {
    std::string h(24, '\0');
    h.replace(2, 5, "-lhd-");
    h[19] = 0x20;
    h[20] = 2;
    h[23] = 'U';
    auto ext = [&](char type, const std::string& body) {
        const size_t size = 1 + body.size() + 2;
        h += static_cast<char>(size & 0xFF);
        h += static_cast<char>(size >> 8);
        h += type;
        h += body;
    };
    ext(0x00, std::string(2, '\0'));
    ext(0x01, link + "|" + target);
    ext(0x50, std::string("\xFF\xA1", 2));  // 0120777: a link
    h += std::string(2, '\0');
    h[0] = static_cast<char>(h.size() & 0xFF);
    h[1] = static_cast<char>(h.size() >> 8);
    const uint16_t crc = crc16Update(0, reinterpret_cast<const uint8_t*>(h.data()), h.size());
    h[27] = static_cast<char>(crc & 0xFF);
    h[28] = static_cast<char>(crc >> 8);
    return h;
}

TEST(Extract, DoesNotCreateLinksFromTheArchive) {
    TempDir dir;
    std::string arc = craftLha({{"fine.txt", "fine"}});
    arc.pop_back();  // the end mark goes after the link
    arc += craftLhaLink("passwd", "/etc/passwd") + '\0';
    writeFile(dir / "link.lzh", arc);
    ASSERT_THAT(lha().run("l \"" + (dir / "link.lzh") + "\"").text, HasSubstr("passwd"));
    const auto r = lha().run("x -jso1 -jse0 \"" + (dir / "link.lzh") + "\" \"" + dir.folder() + "out/\"");
    EXPECT_EQ(r.code, ARC_ERR_UNSAFE_PATH) << r.text;
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
}

TEST(Extract, DoesNotWriteThroughALinkInTheDestination) {
    TempDir dir, elsewhere;
    fs::create_directories(dir.path() / "dest");
    fs::create_directory_symlink(elsewhere.path(), dir.path() / "dest/sub");
    writeFile(dir / "a.lzh", craftLha({{"sub/x.txt", "through the link"}}));
    const auto r = lha().run("x -jso1 -jse0 \"" + (dir / "a.lzh") + "\" \"" + dir.folder() + "dest/\"");
    EXPECT_EQ(r.code, ARC_ERR_UNSAFE_PATH) << r.text;
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

TEST(Extract, KeepsOrDropsStoredFoldersAndSelectsByName) {
    TempDir dir;
    writeFile(dir / "a.lzh", craftLha({{"sub/表.txt", "1"}, {"top.dat", "2"}, {"sub/x.dat", "3"}}));
    ASSERT_EQ(lha().run("x -jso1 -jse0 \"" + (dir / "a.lzh") + "\" \"" + dir.folder() + "keep/\"").code, 0);
    EXPECT_EQ(folderContents(dir.path() / "keep"),
              (std::map<std::string, std::string>{{"sub/表.txt", "1"}, {"top.dat", "2"}, {"sub/x.dat", "3"}}));
    ASSERT_EQ(lha().run("x -x0 -jso1 -jse0 \"" + (dir / "a.lzh") + "\" \"" + dir.folder() + "flat/\" \"*.dat\"").code,
              0);
    EXPECT_EQ(folderContents(dir.path() / "flat"),
              (std::map<std::string, std::string>{{"top.dat", "2"}, {"x.dat", "3"}}));
    EXPECT_EQ(lha().run("x -jso1 -jse0 \"" + (dir / "a.lzh") + "\" \"" + dir.folder() + "none/\" \"nothing\"").code,
              ARC_ERR_NO_FILES);
}

// Everything a target needs is checked before the first file lands: the
// destination keeps its old files and gains nothing, and a destination the
// extraction had to make is gone again.
TEST(Extract, IsAllOrNothingWhenOneTargetCannotBeWritten) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> members;
        const char* switches;
        std::function<void(const std::string& dest)> obstacle;  // may be empty
        int code;
    };
    const std::string longName(300, 'n');
    const Case cases[] = {
        {"a folder in the way",
         {{"a.txt", "new a"}, {"b.txt", "b"}, {"c.txt", "c"}},
         "-x1",
         [](const std::string& d) { fs::create_directory(d + "c.txt"); },
         ARC_ERR_FILE_CREATE},
        {"a name too long", {{"a.txt", "new a"}, {longName + ".txt", "long"}}, "-x1", {}, ARC_ERR_FILE_CREATE},
        {"two members for one target",
         {{"a.txt", "new a"}, {"d1/same.dat", "1"}, {"d2/same.dat", "2"}},
         "-x0",
         {},
         ARC_ERR_FILE_CREATE},
        {"a file where a folder goes",
         {{"a.txt", "new a"}, {"sub/x.txt", "x"}},
         "-x1",
         [](const std::string& d) { writeFile(d + "sub", "file"); },
         ARC_ERR_UNSAFE_PATH},
        {"one name both a file and a folder",
         {{"a.txt", "new a"}, {"d/x.txt", "x"}, {"d", "file"}},
         "-x1",
         {},
         ARC_ERR_FILE_CREATE},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "a.lzh", craftLha(c.members));
        const std::string dest = dir.folder() + "dest/";
        fs::create_directories(dest);
        writeFile(dest + "a.txt", "old a");
        if (c.obstacle) c.obstacle(dest);
        const auto before = folderContents(dest);
        const auto beforeCount = std::distance(fs::directory_iterator(dest), fs::directory_iterator());
        const auto x = [&](const std::string& to) {
            return lha().run(std::string("x ") + c.switches + " -jso1 -jse0 \"" + (dir / "a.lzh") + "\" \"" + to +
                             "\"");
        };
        const auto r = x(dest);
        EXPECT_EQ(r.code, c.code) << c.what << ": " << r.text;
        EXPECT_EQ(folderContents(dest), before) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dest), fs::directory_iterator()), beforeCount) << c.what;
        if (!c.obstacle) {
            EXPECT_NE(x(dir.folder() + "fresh/deep/").code, 0) << c.what;
            EXPECT_FALSE(fs::exists(dir.path() / "fresh")) << c.what;
        }
    }
}

// Our writer always ends an archive with its zero byte. Without it the
// archive was cut, perhaps right after a member, and a restore must not
// bring back part of a database.
TEST(Extract, RefusesAnLhaArchiveCutAfterAMember) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> members = {
        {"SinseiT13.dat", "cases"}, {"SinseiT32.dat", "history"}, {"Opcfg.dat", "options"}};
    const std::string whole = craftLha(members);
    ASSERT_EQ(whole.back(), '\0');
    std::vector<size_t> boundaries;
    for (size_t k = 1; k <= members.size(); ++k) {
        boundaries.push_back(craftLha({members.begin(), members.begin() + static_cast<long>(k)}).size() - 1);
    }
    for (size_t cut : boundaries) {
        writeFile(dir / "cut.lzh", whole.substr(0, cut));
        const std::string dest = dir.folder() + "dest/";
        fs::create_directories(dest);
        const auto r = lha().run(lhaUnpackCommand(dir / "cut.lzh", dest));
        EXPECT_EQ(r.code, ARC_ERR_BROKEN) << cut << r.text;
        EXPECT_TRUE(fs::is_empty(dest)) << cut;
        EXPECT_EQ(lha().run("t \"" + (dir / "cut.lzh") + "\"").code, ARC_ERR_BROKEN) << cut;
        EXPECT_EQ(lha().checkArchive((dir / "cut.lzh").c_str(), ARC_CHECK_FULL_CRC), 0) << cut;
    }
    writeFile(dir / "whole.lzh", whole);
    EXPECT_EQ(lha().run(lhaUnpackCommand(dir / "whole.lzh", dir.folder() + "all/")).code, 0);
    EXPECT_EQ(folderContents(dir.path() / "all").size(), members.size());
}

// A level-2 header of our making whose sizes the caller chooses; with
// size64 the 64-bit size extension (0x42) carries them.
std::string lhaHeaderWithSizes(const std::string& name, uint32_t packed, uint64_t original, bool size64) {
    std::string h(24, '\0');
    h.replace(2, 5, "-lh5-");
    auto le32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) h[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    le32(7, packed);
    le32(11, static_cast<uint32_t>(size64 ? 0 : original));
    le32(15, 1700000000);
    h[19] = 0x20;
    h[20] = 2;
    h[23] = 'W';
    auto ext = [&](char type, const std::string& body) {
        const size_t size = 1 + body.size() + 2;
        h += static_cast<char>(size & 0xFF);
        h += static_cast<char>(size >> 8);
        h += type;
        h += body;
    };
    ext(0x00, std::string(2, '\0'));
    ext(0x01, name);
    if (size64) {
        std::string sizes(16, '\0');
        for (int i = 0; i < 8; ++i) {
            sizes[i] = static_cast<char>((uint64_t{packed} >> (8 * i)) & 0xFF);
            sizes[8 + i] = static_cast<char>((original >> (8 * i)) & 0xFF);
        }
        ext(0x42, sizes);
    }
    h += std::string(2, '\0');
    h[0] = static_cast<char>(h.size() & 0xFF);
    h[1] = static_cast<char>(h.size() >> 8);
    const uint16_t crc = crc16Update(0, reinterpret_cast<const uint8_t*>(h.data()), h.size());
    h[27] = static_cast<char>(crc & 0xFF);
    h[28] = static_cast<char>(crc >> 8);
    return h + std::string(packed, '\x55');
}

// Sizes are read from the headers before anything is unpacked: what does
// not fit on the disk, and LHA members beyond 4 GiB, are refused up front.
TEST(Extract, RefusesDeclaredSizesUpFront) {
    TempDir dir;
    std::string tooMuch;
    // Far more than any disk here holds, in a small file.
    for (int i = 0; i < 4000; ++i)
        tooMuch += lhaHeaderWithSizes("m" + std::to_string(i) + ".dat", 4, 0xFFFFF000u, false);
    writeFile(dir / "full.lzh", tooMuch + '\0');
    writeFile(dir / "huge.lzh", lhaHeaderWithSizes("huge.dat", 4, uint64_t{5} << 30, true) + '\0');
    for (const auto& [archive, code] : {std::pair{dir / "full.lzh", int{ARC_ERR_DISK_SPACE}},
                                        std::pair{dir / "huge.lzh", int{ARC_ERR_UNSUPPORTED}}}) {
        const std::string dest = dir.folder() + "dest/";
        fs::create_directories(dest);
        const auto r = lha().run(lhaUnpackCommand(archive, dest));
        EXPECT_EQ(r.code, code) << archive << r.text;
        EXPECT_TRUE(fs::is_empty(dest)) << archive;
    }
}

// The small committed archives, sorted by the tool that made them (they
// also seed the fuzz target), extracted here under the sanitizers too.
TEST(Extract, ReadsTheCommittedArchivesOfEveryTool) {
    std::string history;
    for (int i = 1; i <= 40; ++i) history += "行 " + std::to_string(i) + " 借入 10000 返済 2000\n";
    const std::map<std::string, std::string> known = {
        {"履歴.txt", history}, {"sub/表.txt", "x"}, {"zeros.bin", std::string(300, '\0')}, {"empty.dat", ""}};
    const fs::path data = fs::path(KORVALEN_SOURCE_DIR) / "tests/archivers/data";
    int archives = 0;
    for (const auto& e : fs::recursive_directory_iterator(data)) {
        if (!e.is_regular_file()) continue;
        const bool isLha = e.path().extension() == ".lzh";
        TempDir out;
        const std::string arc = e.path().string();
        const auto r = isLha ? lha().run("x -jso1 -jse0 \"" + arc + "\" \"" + out.folder() + "\"")
                             : cab().run("-x \"" + arc + "\" \"" + out.folder() + "\"");
        ASSERT_EQ(r.code, 0) << arc << r.text;
        const auto got = folderContents(out.path());
        EXPECT_GE(got.size(), 2u) << arc;
        for (const auto& [name, content] : got) {
            ASSERT_TRUE(known.count(name)) << arc << ": " << name;
            EXPECT_EQ(content, known.at(name)) << arc << ": " << name;
        }
        ++archives;
    }
    EXPECT_EQ(archives, 7);
}

TEST(Entries, WalkTheMembersAndFillTheRecord) {
    TempDir dir;
    writeFile(dir / "SinseiT13.dat", std::string(50000, 'a'));
    writeFile(dir / "債権者.idx", "index");
    const int64_t mtime = 1704412800;  // 2024-01-05 09:00 in Tokyo
    for (const char* f : {"SinseiT13.dat", "債権者.idx"})
        fs::last_write_time(dir / f,
                            fs::file_time_type::clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{mtime}}));
    const auto lzh = dir / "e.lzh";
    ASSERT_EQ(lha().run(lhaPackCommand(lzh, {dir / "SinseiT13.dat", dir / "債権者.idx"})).code, 0);

    const ArcHandle h = lha().openArchive(0, lzh.c_str(), ARC_OPEN_PROBE);
    ASSERT_NE(h, 0u);
    ArcEntryRecord e;
    ASSERT_EQ(lha().findFirst(h, "*.*", &e), 0);
    EXPECT_STREQ(e.fileName, "SinseiT13.dat");
    EXPECT_STREQ(e.method, "-lh5-");
    EXPECT_EQ(e.originalSize, 50000u);
    EXPECT_GT(e.compressedSize, 0u);
    EXPECT_LT(e.compressedSize, 1000u);
    EXPECT_EQ(e.ratio, e.compressedSize * 1000 / 50000);
    const std::string a(50000, 'a');
    EXPECT_EQ(e.crc, crc16Update(0, reinterpret_cast<const uint8_t*>(a.data()), a.size()));
    EXPECT_EQ(e.osType, kLhaOsId);
    const DosDateTime dt = unixToDos(mtime);
    EXPECT_EQ(e.dosDate, dt.date);
    EXPECT_EQ(e.dosTime, dt.time);
    EXPECT_EQ(e.dosDate, ((2024 - 1980) << 9) | (1 << 5) | 5);
    uint64_t v = 0;
    EXPECT_EQ(lha().getOriginalSizeEx(h, &v), 1);
    EXPECT_EQ(v, 50000u);
    EXPECT_EQ(lha().getWriteTimeEx(h, &v), 1);
    EXPECT_EQ(v, (static_cast<uint64_t>(mtime) + 11644473600ULL) * 10000000ULL);
    ASSERT_EQ(lha().findNext(h, &e), 0);
    EXPECT_STREQ(e.fileName, "債権者.idx");
    EXPECT_EQ(lha().findNext(h, &e), -1);
    ASSERT_EQ(lha().findFirst(h, "*.idx", &e), 0);
    EXPECT_STREQ(e.fileName, "債権者.idx");
    EXPECT_EQ(lha().closeArchive(h), 0);
    EXPECT_EQ(lha().closeArchive(h), ARC_ERR_HANDLE);
    EXPECT_EQ(lha().findFirst(h, "*", &e), ARC_ERR_HANDLE);
    EXPECT_EQ(lha().getOriginalSizeEx(h, &v), 0);
}

TEST(Entries, TellTheFormatsApart) {
    TempDir dir;
    writeFile(dir / "a.dat", "some data");
    ASSERT_EQ(lha().run(lhaPackCommand(dir / "a.lzh", {dir / "a.dat"})).code, 0);
    ASSERT_EQ(cab().run(cabPackCommand(dir / "a.cab", {dir / "a.dat"})).code, 0);
    for (const Library* lib : {&lha(), &cab()}) {
        EXPECT_EQ(lib->getArchiveType((dir / "a.lzh").c_str()), ARC_TYPE_LHA);
        EXPECT_EQ(lib->getArchiveType((dir / "a.cab").c_str()), ARC_TYPE_CAB);
        EXPECT_EQ(lib->getArchiveType((dir / "a.dat").c_str()), ARC_TYPE_UNKNOWN);
        EXPECT_EQ(lib->getArchiveType((dir / "missing").c_str()), ARC_TYPE_ERROR);
    }
    // Detection by content: each library opens only its own format.
    EXPECT_EQ(lha().openArchive(0, (dir / "a.cab").c_str(), ARC_OPEN_PROBE), 0u);
    EXPECT_EQ(cab().openArchive(0, (dir / "a.lzh").c_str(), ARC_OPEN_PROBE), 0u);
    EXPECT_EQ(lha().checkArchive((dir / "a.cab").c_str(), ARC_CHECK_FULL_CRC), 0);
    const auto r = lha().run(lhaUnpackCommand(dir / "a.dat", dir.folder() + "x/"));
    EXPECT_EQ(r.code, ARC_ERR_NOT_ARCHIVE) << r.text;
    EXPECT_EQ(lha().run(lhaUnpackCommand(dir / "missing.lzh", dir.folder() + "x/")).code, ARC_ERR_FILE_OPEN);
}

TEST(Entries, ExtractMemFillsTheBufferOrSaysItIsTooSmall) {
    TempDir dir;
    writeFile(dir / "m.dat", "0123456789");
    ASSERT_EQ(cab().run(cabPackCommand(dir / "m.cab", {dir / "m.dat"})).code, 0);
    unsigned char buf[16] = {};
    int64_t t = 0;
    uint16_t attr = 0;
    uint32_t written = 0;
    const std::string cmd = "\"" + (dir / "m.cab") + "\" \"m.dat\"";
    EXPECT_EQ(cab().extractMem(0, cmd.c_str(), buf, sizeof buf, &t, &attr, &written), 0);
    EXPECT_EQ(written, 10u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), written), "0123456789");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "m.dat").c_str(), &st), 0);
    // Cabinet keeps local time in two-second steps.
    EXPECT_NEAR(static_cast<double>(t), static_cast<double>(st.st_mtime), 2.0);
    EXPECT_EQ(attr & 0x20, 0x20);
    EXPECT_EQ(cab().extractMem(0, cmd.c_str(), buf, 4, &t, &attr, &written), ARC_ERR_BUFFER);
    EXPECT_EQ(written, 4u);
    // No buffer at all is allowed when its size is 0: nothing may be copied to it.
    EXPECT_EQ(cab().extractMem(0, cmd.c_str(), nullptr, 0, &t, &attr, &written), ARC_ERR_BUFFER);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(cab().extractMem(0, ("\"" + (dir / "m.cab") + "\" \"other\"").c_str(), buf, 16, &t, &attr, &written),
              ARC_ERR_NO_FILES);
}

std::vector<uint32_t> seenStates;
int cancelAt = -1;
int KRV_ARC_CALL recordProgress(ArcWindow, uint32_t state, const ArcProgressInfo* info) {
    seenStates.push_back(state);
    EXPECT_NE(info, nullptr);
    return static_cast<int>(state) == cancelAt ? 1 : 0;
}

TEST(Entries, ReportProgressToTheOwnerWindowAndStopWhenAsked) {
    TempDir dir;
    writeFile(dir / "a.dat", std::string(300000, 'p'));
    writeFile(dir / "b.dat", "b");
    const ArcWindow window = 0x4711;
    ASSERT_EQ(lha().setOwnerWindowEx(window, &recordProgress), 1);
    seenStates.clear();
    cancelAt = -1;
    ASSERT_EQ(lha().run(lhaPackCommand(dir / "p.lzh", {dir / "a.dat", dir / "b.dat"}), window).code, 0);
    EXPECT_EQ(std::count(seenStates.begin(), seenStates.end(), ARC_PROGRESS_BEGIN), 2);
    EXPECT_GE(std::count(seenStates.begin(), seenStates.end(), ARC_PROGRESS_IN_PROCESS), 2);
    EXPECT_EQ(seenStates.back(), static_cast<uint32_t>(ARC_PROGRESS_END));
    // Other windows are not told.
    seenStates.clear();
    ASSERT_EQ(lha().run(lhaPackCommand(dir / "q.lzh", {dir / "b.dat"}), window + 1).code, 0);
    EXPECT_TRUE(seenStates.empty());

    cancelAt = ARC_PROGRESS_BEGIN;
    EXPECT_EQ(lha().run(lhaPackCommand(dir / "c.lzh", {dir / "a.dat"}), window).code, ARC_ERR_CANCELLED);
    EXPECT_FALSE(exists(dir / "c.lzh"));
    EXPECT_EQ(lha().run(lhaUnpackCommand(dir / "p.lzh", dir.folder() + "out/"), window).code, ARC_ERR_CANCELLED);
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
    EXPECT_EQ(lha().killOwnerWindowEx(window), 1);
    EXPECT_EQ(lha().run(lhaPackCommand(dir / "c.lzh", {dir / "a.dat"}), window).code, 0);
    EXPECT_EQ(lha().killOwnerWindowEx(window), 0);
}

TEST(Entries, OutputBufferIsLeftAloneOrEndedWithinItsSize) {
    TempDir dir;
    writeFile(dir / "a.dat", "a");
    EXPECT_EQ(lha().command(0, lhaPackCommand(dir / "a.lzh", {dir / "a.dat"}).c_str(), nullptr, 0), 0);
    char buf[12];
    std::memset(buf, 'z', sizeof buf);
    EXPECT_EQ(lha().command(0, "t \"missing.lzh\"", buf, 5), ARC_ERR_FILE_OPEN);
    EXPECT_LT(std::strlen(buf), 5u);
    EXPECT_EQ(buf[5], 'z');
    EXPECT_EQ(lha().command(0, nullptr, buf, sizeof buf), ARC_ERR_BAD_COMMAND);
}

}  // namespace
}  // namespace korvalen::archivers::test
