// The folder and file operations under backup and restore, on real folders.
#include "korvalen/backup/file_utils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/errors.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::backup {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadWholeFile;
using testsupport::TempFolder;
using testsupport::WriteWholeFile;

std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

void MakeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

TEST(AddBackslash, AddsTheSeparatorWhereTheModeSaysAndOnlyWhereMissing) {
    struct Case {
        const char* path;
        int mode;
        const char* expected;
    };
    const Case cases[] = {
        {"", kTrailingSeparator, ""},
        {"", kBothSeparators, ""},
        {"/data/backup", kTrailingSeparator, "/data/backup/"},
        {"/data/backup/", kTrailingSeparator, "/data/backup/"},
        {"relative", kLeadingSeparator, "/relative"},
        {"/relative", kLeadingSeparator, "/relative"},
        {"relative", kBothSeparators, "/relative/"},
        {"/", kBothSeparators, "/"},
        // ソ is 0x83 0x5C in Shift-JIS: its second byte is the code of "\",
        // and still the name does not end in a separator.
        {"/データ/ソ", kTrailingSeparator, "/データ/ソ/"},
        {"ソ", kBothSeparators, "/ソ/"},
        {"/データ/表", kTrailingSeparator, "/データ/表/"},
        // Only the platform's separator counts.
        {"C:\\data\\", kTrailingSeparator, "C:\\data\\/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddBackslash(c.path, c.mode), c.expected) << c.path << " mode " << c.mode;
    }
}

TEST(ParentFolder, IsTheFolderAboveWithASeparatorAndTheRootItsOwn) {
    TempFolder temp;
    fs::create_directories(temp.path() / "a/b");
    const std::string base = fs::canonical(temp.path()).string();
    EXPECT_EQ(ParentFolder(base + "/a/b/"), base + "/a/");
    EXPECT_EQ(ParentFolder(base + "/a/b"), base + "/a/");
    EXPECT_EQ(ParentFolder("/"), "/");
    EXPECT_THROW(ParentFolder(base + "/missing/"), platform::PlatformError);
}

// One source folder with every kind of entry the copy rules tell apart.
class CopySource : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(source);
        for (const char* name : {"SinseiT13.dat", "lower.net", "upper.NET", "backup.LZH", "lower.lzh", ".hidden",
                                 "noextension", "readonly.dat"}) {
            WriteWholeFile(source / name, std::string("content of ") + name);
        }
        MakeReadOnly(source / "readonly.dat");
        fs::last_write_time(source / "SinseiT13.dat", fs::file_time_type::clock::now() - std::chrono::hours(48));
        fs::create_directory(source / "sub");
        WriteWholeFile(source / "sub/inner.dat", "inside");
        fs::create_directory(destination);
    }
    TempFolder temp;
    fs::path source = temp.path() / "source";
    fs::path destination = temp.path() / "destination";
    std::string From() const { return source.string() + "/"; }
    std::string To() const { return destination.string() + "/"; }
};

TEST_F(CopySource, CopiesThePlainFilesExceptTheExactExtensions) {
    struct Case {
        bool (*copy)(std::string_view, std::string_view, const FileStepFn&);
        std::set<std::string> copied;
    };
    const std::set<std::string> folderCopy = {"SinseiT13.dat", "lower.net",   "backup.LZH",  "lower.lzh",
                                              ".hidden",       "noextension", "readonly.dat"};
    std::set<std::string> backupCopy = folderCopy;
    backupCopy.erase("backup.LZH");
    for (const Case& c : {Case{CopyFolderFiles, folderCopy}, Case{CopyBackupFiles, backupCopy}}) {
        fs::remove_all(destination);
        fs::create_directory(destination);
        std::set<std::string> told;
        EXPECT_TRUE(c.copy(From(), To(), [&](const std::string& name) { told.insert(name); }));
        EXPECT_EQ(NamesIn(destination), c.copied);
        EXPECT_EQ(told, c.copied);
        for (const std::string& name : c.copied) {
            EXPECT_EQ(ReadWholeFile(destination / name), "content of " + name);
        }
        // Attributes and times come along.
        EXPECT_TRUE(IsReadOnly((destination / "readonly.dat").string()));
        EXPECT_FALSE(IsReadOnly((destination / "SinseiT13.dat").string()));
        EXPECT_EQ(fs::last_write_time(destination / "SinseiT13.dat"), fs::last_write_time(source / "SinseiT13.dat"));
        fs::permissions(destination / "readonly.dat", fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST_F(CopySource, OverwritesButStopsAtAReadOnlyFileOrAFolderInTheWay) {
    WriteWholeFile(destination / "SinseiT13.dat", "older");
    EXPECT_TRUE(CopyFolderFiles(From(), To()));
    EXPECT_EQ(ReadWholeFile(destination / "SinseiT13.dat"), "content of SinseiT13.dat");

    for (const char* obstacle : {"read-only file", "folder"}) {
        fs::remove_all(destination);
        fs::create_directory(destination);
        if (std::string(obstacle) == "folder") {
            fs::create_directory(destination / "lower.lzh");
        } else {
            WriteWholeFile(destination / "lower.lzh", "kept");
            // The attribute itself stops the copy, also for a user (root) whom the system would let write.
            MakeReadOnly(destination / "lower.lzh");
        }
        std::set<std::string> copied;
        EXPECT_FALSE(CopyFolderFiles(From(), To(), [&](const std::string& name) { copied.insert(name); })) << obstacle;
        EXPECT_EQ(copied.count("lower.lzh"), 0u) << obstacle;
        // Whatever was copied before the stop stays.
        for (const std::string& name : copied) EXPECT_TRUE(fs::exists(destination / name)) << obstacle << name;
        if (std::string(obstacle) != "folder") {
            EXPECT_EQ(ReadWholeFile(destination / "lower.lzh"), "kept");
        }
    }
}

TEST(CopyFolderFiles, AnEmptySourceCopiesNothingAndSucceeds) {
    TempFolder temp;
    fs::create_directories(temp.path() / "empty/sub");
    fs::create_directory(temp.path() / "out");
    EXPECT_TRUE(CopyFolderFiles(temp.folder("empty"), temp.folder("out")));
    EXPECT_TRUE(fs::is_empty(temp.path() / "out"));
}

TEST(FolderSize, CountsThePlainFilesDirectlyInsideIn64Bits) {
    TempFolder temp;
    WriteWholeFile(temp.path() / "a.dat", std::string(1000, 'a'));
    WriteWholeFile(temp.path() / "b.idx", std::string(24, 'b'));
    fs::create_directory(temp.path() / "sub");
    WriteWholeFile(temp.path() / "sub/c.dat", std::string(5000, 'c'));
    EXPECT_EQ(FolderSize(temp.folder()), 1024u);
    // A file past 4 GiB (sparse: no disk is used) must not wrap the sum.
    { std::ofstream(temp.path() / "big.dat").put('x'); }
    fs::resize_file(temp.path() / "big.dat", (std::uint64_t{5} << 30) + 3);
    EXPECT_EQ(FolderSize(temp.folder()), (std::uint64_t{5} << 30) + 3 + 1024);
}

TEST(ClearReadOnly, MakesThePlainFilesWritableAndLeavesTheOtherBits) {
    TempFolder temp;
    WriteWholeFile(temp.path() / "a.dat", "a");
    fs::permissions(temp.path() / "a.dat", fs::perms::owner_read | fs::perms::group_read | fs::perms::owner_exec);
    fs::create_directory(temp.path() / "sub");
    WriteWholeFile(temp.path() / "sub/b.dat", "b");
    MakeReadOnly(temp.path() / "sub/b.dat");
    ClearReadOnly(temp.folder());
    EXPECT_EQ(fs::status(temp.path() / "a.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::owner_exec);
    EXPECT_TRUE(IsReadOnly((temp.path() / "sub/b.dat").string()));
}

TEST(DeleteTree, RemovesEverythingButWhatIsReadOnlyAndTheFoldersAboveIt) {
    TempFolder temp, outside;
    WriteWholeFile(outside.path() / "keep.dat", "outside");
    const fs::path tree = temp.path() / "TAV_TEMP";
    fs::create_directories(tree / "a/b");
    fs::create_directories(tree / "c");
    WriteWholeFile(tree / "top.dat", "1");
    WriteWholeFile(tree / "a/mid.dat", "2");
    WriteWholeFile(tree / "a/b/deep.dat", "3");
    WriteWholeFile(tree / "c/other.dat", "4");
    fs::create_directory_symlink(outside.path(), tree / "link");

    DeleteTree(tree.string() + "/");
    EXPECT_FALSE(fs::exists(tree));
    EXPECT_EQ(ReadWholeFile(outside.path() / "keep.dat"), "outside");

    fs::create_directories(tree / "a/b");
    fs::create_directories(tree / "c");
    WriteWholeFile(tree / "a/b/deep.dat", "3");
    WriteWholeFile(tree / "c/other.dat", "4");
    MakeReadOnly(tree / "a/b/deep.dat");
    DeleteTree(tree.string());
    EXPECT_TRUE(fs::exists(tree / "a/b/deep.dat"));
    EXPECT_FALSE(fs::exists(tree / "c"));
}

TEST(DeleteFolderFiles, DeletesThePlainFilesAndKeepsFoldersAndReadOnlyFiles) {
    TempFolder temp;
    WriteWholeFile(temp.path() / "a.dat", "a");
    WriteWholeFile(temp.path() / ".hidden", "h");
    WriteWholeFile(temp.path() / "ro.dat", "r");
    MakeReadOnly(temp.path() / "ro.dat");
    fs::create_directory(temp.path() / "sub");
    WriteWholeFile(temp.path() / "sub/b.dat", "b");
    DeleteFolderFiles(temp.folder());
    EXPECT_EQ(NamesIn(temp.path()), (std::set<std::string>{"ro.dat", "sub"}));
    EXPECT_TRUE(fs::exists(temp.path() / "sub/b.dat"));
}

TEST(ParseYmd8, ReadsEightDigitsAsADateOrSaysWhyNot) {
    struct Case {
        const char* text;
        Ymd8Code code;
    };
    const Case cases[] = {
        {"20240105", Ymd8Code::DateSet},      {"20240229", Ymd8Code::DateSet},  {"20240230", Ymd8Code::NotADate},
        {"20231301", Ymd8Code::NotADate},     {"00000101", Ymd8Code::NotADate}, {"2024010", Ymd8Code::WrongLength},
        {"202401050", Ymd8Code::WrongLength}, {"", Ymd8Code::WrongLength},      {"2024O105", Ymd8Code::NotANumber},
        {"2024-1-5", Ymd8Code::NotANumber},
    };
    for (const Case& c : cases) {
        std::int32_t date = -7;
        EXPECT_EQ(ParseYmd8(c.text, date), c.code) << c.text;
        if (c.code != Ymd8Code::DateSet) {
            EXPECT_EQ(date, -7) << c.text;
        }
    }
    std::int32_t date = 0;
    ASSERT_EQ(ParseYmd8("20240105", date), Ymd8Code::DateSet);
    EXPECT_EQ(date, platform::DayNumberOf(2024, 1, 5));
}

TEST(RemoveAll, RemovesEveryOccurrenceAlsoThoseARemovalBringsTogether) {
    struct Case {
        const char* text;
        const char* part;
        const char* expected;
    };
    const Case cases[] = {
        {"aabb", "ab", ""},          {"/backup/BAK_K240105/", "/", "backupBAK_K240105"},
        {"abc", "", "abc"},          {"abc", "x", "abc"},
        {"ﾊﾞｯｸｱｯﾌﾟ", "ｯ", "ﾊﾞｸｱﾌﾟ"},
    };
    for (const Case& c : cases) EXPECT_EQ(RemoveAll(c.text, c.part), c.expected) << c.text << " - " << c.part;
}

TEST(FreeDiskBytes, AsksTheVolumeOfTheFolderAndGivesNothingForAMissingOne) {
    TempFolder temp;
    EXPECT_GT(FreeDiskBytes(temp.folder()), 0u);
    EXPECT_EQ(FreeDiskBytes(temp.folder() + "missing/deeper"), 0u);
}

}  // namespace
}  // namespace korvalen::backup
