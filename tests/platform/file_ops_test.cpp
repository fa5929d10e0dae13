#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "korvalen/platform/errors.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::platform {
namespace {

using korvalen::testsupport::ReadWholeFile;
using korvalen::testsupport::TempFolder;
using korvalen::testsupport::WriteWholeFile;

TEST(CreateFileExclusive, CreatesOnceAndNeverOverwrites) {
    TempFolder dir;
    const std::string lock = dir / "DBCreate.ini";
    EXPECT_TRUE(CreateFileExclusive(lock, "[CONST]\nDBCreate=pc-a\n"));
    EXPECT_FALSE(CreateFileExclusive(lock, "[CONST]\nDBCreate=pc-b\n"));
    EXPECT_EQ(ReadWholeFile(lock), "[CONST]\nDBCreate=pc-a\n");
    EXPECT_FALSE(CreateFileExclusive(dir.path().string(), "a folder has that name"));
    EXPECT_THROW(CreateFileExclusive(dir / "missing/DBCreate.ini", "x"), PlatformError);
}

TEST(CreateFileExclusive, ExactlyOneOfManyRacersWins) {
    TempFolder dir;
#ifdef KORVALEN_SANITIZE
    constexpr int kRounds = 20;
#else
    constexpr int kRounds = 100;
#endif
    constexpr int kRacers = 6;
    for (int round = 0; round < kRounds; ++round) {
        const std::string lock = dir / ("lock" + std::to_string(round));
        std::atomic<bool> go{false};
        std::atomic<int> winners{0};
        std::vector<std::thread> racers;
        for (int i = 0; i < kRacers; ++i) {
            racers.emplace_back([&, i] {
                while (!go.load()) {
                    std::this_thread::yield();
                }
                if (CreateFileExclusive(lock, "racer " + std::to_string(i))) {
                    ++winners;
                }
            });
        }
        go = true;
        for (auto& racer : racers) {
            racer.join();
        }
        ASSERT_EQ(winners.load(), 1) << "round " << round;
    }
}

TEST(FileOperations, ExistRemoveRenameAndCreateFolders) {
    TempFolder dir;
    const std::string folder = dir / "a/b/KorvalenDB";
    CreateFolders(folder);
    CreateFolders(folder + "/");
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_FALSE(FileExists(folder));

    const std::string file = folder + "/SinseiT13b.dat";
    WriteWholeFile(file, "rows");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_THROW(CreateFolders(file), PlatformError);
    EXPECT_THROW(CreateFolders(file + "/sub"), PlatformError);
    EXPECT_THROW(CreateFolders(""), PlatformError);

    const std::string target = folder + "/SinseiT13.dat";
    RenameFile(file, target);
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(ReadWholeFile(target), "rows");

    WriteWholeFile(file, "other");
    EXPECT_THROW(RenameFile(file, target), PlatformError);
    EXPECT_EQ(ReadWholeFile(target), "rows");

    EXPECT_TRUE(RemoveFile(target));
    EXPECT_FALSE(RemoveFile(target));
    EXPECT_FALSE(RemoveFile(folder));
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_FALSE(FolderExists(""));
}

}  // namespace
}  // namespace korvalen::platform
