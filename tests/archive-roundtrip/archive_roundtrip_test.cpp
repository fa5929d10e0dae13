// Backup and restore archives made and read through the bridge and our own
// libraries, with exactly the switches the backup dialog sets.
#include <gtest/gtest.h>

#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/archive_file.h"
#include "korvalen/backup/archiver_libraries.h"
#include "sample_database.h"

namespace fs = std::filesystem;
using namespace korvalen::backup;

namespace {

constexpr ArcWindow kDialogWindow = 0x4711;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool ToolAvailable(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int RunTool(const std::string& command) {
  int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> FileNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// lhasa writes stored names out as the raw Shift-JIS bytes they are.
std::string AsCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  std::string in = utf8, out(utf8.size() * 2, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t srcLeft = in.size(), dstLeft = out.size();
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

class ArchiveRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    ArchiverLibraries::Reset();
    ArchiverLibraries::SetSearchFolder(std::string(KORVALEN_BIN_DIR));
    root_ = fs::temp_directory_path() / ("korvalen-roundtrip-" + std::to_string(::getpid()));
    fs::remove_all(root_);
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
  void TearDown() override {
    fs::remove_all(root_);
    ArchiverLibraries::Reset();
  }

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
      EXPECT_EQ(ReadAll(folder / (namesInCp932 ? AsCp932(name) : name)), ReadAll(database_ / name)) << name;
  }

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

  if (ToolAvailable("lhasa")) {
    EXPECT_EQ(RunTool("lhasa -t '" + archive.string() + "'"), 0);
    const fs::path byPeer = root_ / "lhasa";
    fs::create_directories(byPeer);
    ASSERT_EQ(RunTool("cd '" + byPeer.string() + "' && lhasa -xq '" + archive.string() + "'"), 0);
    ExpectSameTableFiles(byPeer, /*namesInCp932=*/true);
  }
}

TEST_F(ArchiveRoundTrip, CabBackupIsReadByCabextract) {
  const fs::path archive = root_ / "BAK_K261210.CAB";
  TArchiveFile packer;
  ASSERT_EQ(Pack(archive, packer), 0) << packer.OutputText();
  EXPECT_EQ(packer.LastCommandLine().rfind("-a -i  \"", 0), 0u) << packer.LastCommandLine();
  if (!ToolAvailable("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  EXPECT_EQ(RunTool("cabextract -t '" + archive.string() + "'"), 0);
  const fs::path byPeer = root_ / "cabextract";
  ASSERT_EQ(RunTool("cabextract -q -e CP932 -d '" + byPeer.string() + "' '" + archive.string() + "'"), 0);
  ExpectSameTableFiles(byPeer);
}

TEST_F(ArchiveRoundTrip, DamagedLhaRestoreFailsAndLeavesTheDestinationAlone) {
  const fs::path archive = root_ / "BAK_K261210.LZH";
  TArchiveFile packer;
  ASSERT_EQ(Pack(archive, packer), 0) << packer.OutputText();
  std::string bytes = ReadAll(archive);
  for (size_t at : {bytes.size() / 3, bytes.size() / 2, bytes.size() * 4 / 5}) bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
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
  // Beside the program there is nothing and the loader's path has no such
  // library either, unless the machine has one installed system-wide.
  if (std::getenv("LD_LIBRARY_PATH") != nullptr) GTEST_SKIP();
  try {
    Pack(root_ / "BAK.LZH", packer);
    SUCCEED() << "a system-wide libunlha32 was found";
  } catch (const ENoArchiverDLL& error) {
    EXPECT_STREQ(error.what(), "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
  }
}

}  // namespace
