// Backup and restore archives made and read through the bridge and our own
// libraries, with exactly the switches the backup dialog sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/archive_file.h"
#include "korvalen/backup/archiver_libraries.h"
#include "korvalen/base/cp932.h"
#include "sample_database.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace korvalen::backup;
namespace test = korvalen::archivers::test;

namespace {

constexpr ArcWindow kDialogWindow = 0x4711;

std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// lhasa writes stored names out as the raw Shift-JIS bytes they are.
std::string AsCp932(const std::string& utf8) { return korvalen::base::Utf8ToCp932(utf8).value(); }

class ArchiveRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        ArchiverLibraries::Reset();
        ArchiverLibraries::SetSearchFolder(std::string(KORVALEN_BIN_DIR));
        root_ = temp_.path();
        database_ = root_ / "KorvalenDB";
        fs::create_directories(database_);
        korvalen::archivers::test::makeSampleDatabase(database_);
        // The archive holds only the table files; anything else stays out.
        std::ofstream(database_ / "DBCreate.ini") << "[CONST]\n";
        for (const auto& name : FileNames(database_)) {
            const auto ext = fs::path(name).extension().string();
            if (ext == ".dat" || ext == ".idx" || ext == ".blb") tableFiles_.push_back(name);
        }
        ASSERT_FALSE(tableFiles_.empty());
    }
    void TearDown() override { ArchiverLibraries::Reset(); }

    // The backup's pack: three patterns, default switch set, empty base folder.
    int Pack(const fs::path& archive, TArchiveFile& component) {
        component.SetFileName(archive.string());
        component.SetOutputSize(8192);
        component.Options().jso = 1;
        component.Options().n = 1;
        component.Options().c = 0;
        component.Options().m = 0;
        const std::string d = database_.string() + "/";
        return component.PackFiles(kDialogWindow, nullptr, "",
                                   {std::vector<std::string>{d + "/*.dat", d + "/*.idx", d + "/*.blb"}});
    }

    // The restore's unpack: every entry into the destination, without folders.
    int Unpack(const fs::path& archive, const fs::path& destination, TArchiveFile& component) {
        component.SetFileName(archive.string());
        component.Options().jso = 1;
        component.Options().jse = 0;
        component.SetOutputSize(8192);
        component.Options().x = 0;
        component.Options().n = 1;
        component.Options().c = 1;
        component.Options().m = 1;
        return component.UnpackFiles(kDialogWindow, nullptr, destination.string() + "/", {});
    }

    void ExpectSameTableFiles(const fs::path& folder, bool namesInCp932 = false) {
        std::vector<std::string> expected;
        for (const auto& name : tableFiles_) expected.push_back(namesInCp932 ? AsCp932(name) : name);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(FileNames(folder), expected);
        for (const auto& name : tableFiles_)
            EXPECT_EQ(test::readFile(folder / (namesInCp932 ? AsCp932(name) : name)), test::readFile(database_ / name))
                << name;
    }

    test::TempDir temp_{"korvalen-roundtrip"};
    fs::path root_, database_;
    std::vector<std::string> tableFiles_;
};

TEST_F(ArchiveRoundTrip, LhaBackupRestoresEveryTableFileByteForByte) {
    const fs::path archive = root_ / "BAK_K261210.LZH";
    TArchiveFile packer;
    ASSERT_EQ(Pack(archive, packer), 0) << packer.OutputText();
    EXPECT_EQ(packer.LastCommandLine().rfind("u -+ -c0 -m0 -n1 -p1 -jso1  \"", 0), 0u) << packer.LastCommandLine();

    const fs::path restored = root_ / "restored";
    fs::create_directories(restored);
    TArchiveFile unpacker;
    ASSERT_EQ(Unpack(archive, restored, unpacker), 0) << unpacker.OutputText();
    EXPECT_EQ(unpacker.LastCommandLine(),
              "x -+ -c1 -m1 -n1 -x0 -jse0 -jso1  \"" + archive.string() + "\" \"" + restored.string() + "/\" ");
    ExpectSameTableFiles(restored);

    if (test::toolAvailable("lhasa")) {
        EXPECT_EQ(test::runTool("lhasa -t '" + archive.string() + "'").exitCode, 0);
        const fs::path byPeer = root_ / "lhasa";
        fs::create_directories(byPeer);
        ASSERT_EQ(test::runTool("cd '" + byPeer.string() + "' && lhasa -xq '" + archive.string() + "'").exitCode, 0);
        ExpectSameTableFiles(byPeer, /*namesInCp932=*/true);
    }
}

TEST_F(ArchiveRoundTrip, CabBackupIsReadByCabextract) {
    const fs::path archive = root_ / "BAK_K261210.CAB";
    TArchiveFile packer;
    ASSERT_EQ(Pack(archive, packer), 0) << packer.OutputText();
    EXPECT_EQ(packer.LastCommandLine().rfind("-a -i  \"", 0), 0u) << packer.LastCommandLine();
    if (!test::toolAvailable("cabextract")) GTEST_SKIP() << "cabextract is not installed";
    EXPECT_EQ(test::runTool("cabextract -t '" + archive.string() + "'").exitCode, 0);
    const fs::path byPeer = root_ / "cabextract";
    ASSERT_EQ(test::runTool("cabextract -q -e CP932 -d '" + byPeer.string() + "' '" + archive.string() + "'").exitCode,
              0);
    ExpectSameTableFiles(byPeer);
}

TEST_F(ArchiveRoundTrip, DamagedLhaRestoreFailsAndLeavesTheDestinationAlone) {
    const fs::path archive = root_ / "BAK_K261210.LZH";
    TArchiveFile packer;
    ASSERT_EQ(Pack(archive, packer), 0) << packer.OutputText();
    std::string bytes = test::readFile(archive);
    for (size_t at : {bytes.size() / 3, bytes.size() / 2, bytes.size() * 4 / 5})
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;

    const fs::path restored = root_ / "restored";
    fs::create_directories(restored);
    std::ofstream(restored / "keep.txt") << "already here";
    TArchiveFile unpacker;
    EXPECT_NE(Unpack(archive, restored, unpacker), 0);
    EXPECT_FALSE(unpacker.OutputText().empty());
    EXPECT_EQ(FileNames(restored), std::vector<std::string>{"keep.txt"});
}

TEST_F(ArchiveRoundTrip, MissingLibraryIsReportedByName) {
    ArchiverLibraries::Reset();
    ArchiverLibraries::SetSearchFolder((root_ / "nowhere").string());
    TArchiveFile packer;
    // With a search folder set, the library is looked for there and nowhere else.
    try {
        Pack(root_ / "BAK.LZH", packer);
        ADD_FAILURE() << "packed without a library";
    } catch (const ENoArchiverDLL& error) {
        EXPECT_STREQ(error.what(), "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
    }
}

}  // namespace
