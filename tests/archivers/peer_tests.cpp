// Our archives checked by tools nobody here wrote, and their archives read
// by our libraries. A missing tool skips its test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "korvalen/base/cp932.h"
#include "sample_database.h"
#include "test_support.h"

namespace korvalen::archivers::test {
namespace {

using ::testing::HasSubstr;

// Tools that write the stored Shift-JIS bytes as the file name: read those
// names back as Shift-JIS.
std::map<std::string, std::string> contentsByName(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (auto& [name, data] : folderContents(root))
        out[base::IsValidUtf8(name) ? name : base::Cp932ToUtf8(name).value_or(name)] = data;
    return out;
}

void requireTool(const std::string& tool) {
    if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
}

class OurArchives : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        files_ = makeSampleDatabase(dir_->path() / "db");
        lzh_ = *dir_ / "BAK_K240105.LZH";
        cab_ = *dir_ / "BAK_K240105.CAB";
        ASSERT_EQ(lha().run(lhaPackCommand(lzh_, files_)).code, 0);
        ASSERT_EQ(cab().run(cabPackCommand(cab_, files_)).code, 0);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::map<std::string, std::string> originals() { return folderContents(dir_->path() / "db"); }

    // Extracts with the given command line ({A} archive, {D} folder) and
    // compares every file with the sample.
    static void expectExtracts(const std::string& tool, const std::string& pattern, const std::string& archive) {
        TempDir out;
        std::string cmd = pattern;
        cmd.replace(cmd.find("{A}"), 3, shellQuote(archive));
        cmd.replace(cmd.find("{D}"), 3, shellQuote(out.path().string()));
        const auto r = runTool(cmd);
        EXPECT_EQ(r.exitCode, 0) << tool << ": " << r.output;
        EXPECT_EQ(contentsByName(out.path()), originals()) << tool;
    }

    static inline TempDir* dir_ = nullptr;
    static inline std::vector<std::string> files_;
    static inline std::string lzh_, cab_;
};

TEST_F(OurArchives, LhaIsTestedAndExtractedByLhasa) {
    requireTool("lhasa");
    const auto t = runTool("lhasa -t " + shellQuote(lzh_));
    EXPECT_EQ(t.exitCode, 0) << t.output;
    // lhasa stops quietly at a bad header: count the members it saw.
    EXPECT_EQ(std::count(t.output.begin(), t.output.end(), '\n'), static_cast<long>(files_.size())) << t.output;
    expectExtracts("lhasa", "lhasa -xqw={D} {A}", lzh_);
}

TEST_F(OurArchives, LhaIsTestedAndExtractedByBsdtarAnd7zip) {
    requireTool("bsdtar");
    requireTool("7zz");
    EXPECT_EQ(runTool("7zz t " + shellQuote(lzh_)).exitCode, 0);
    expectExtracts("bsdtar", "bsdtar --options hdrcharset=CP932 -xf {A} -C {D}", lzh_);
    expectExtracts("7zz", "7zz x -y -o{D} {A} >/dev/null", lzh_);
}

TEST_F(OurArchives, LhaIsListedByJlha) {
    requireTool("jlha");
    const auto r = runTool("jlha l " + shellQuote(lzh_));
    EXPECT_EQ(r.exitCode, 0);
    for (const char* name : {"SinseiT13.dat", "SinseiT32.idx", "Opcfg.blb"}) EXPECT_THAT(r.output, HasSubstr(name));
}

TEST_F(OurArchives, CabIsTestedAndExtractedByCabextractGcabAndBsdtar) {
    requireTool("cabextract");
    requireTool("gcab");
    requireTool("bsdtar");
    const auto t = runTool("cabextract -t " + shellQuote(cab_));
    EXPECT_EQ(t.exitCode, 0) << t.output;
    EXPECT_THAT(t.output, HasSubstr("All done, no errors"));
    expectExtracts("cabextract", "cabextract -q -e CP932 -d {D} {A}", cab_);
    expectExtracts("gcab", "gcab -x -C {D} {A}", cab_);
    expectExtracts("bsdtar", "bsdtar --options hdrcharset=CP932 -xf {A} -C {D}", cab_);
}

// A small folder of the kinds of files that stress a reader: text, random
// bytes, long runs, an empty file, a Japanese name with a "\" trail byte.
std::map<std::string, std::string> makeFixture(const fs::path& root) {
    std::mt19937 rng(5);
    std::string random(20000, '\0');
    for (auto& c : random) c = static_cast<char>(rng());
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "借入 " + std::to_string(i * 37 % 1000) + "円, 返済\n";
    const std::map<std::string, std::string> files = {
        {"plain.txt", text}, {"random.bin", random}, {"zeros.bin", std::string(100000, '\0')},
        {"empty.dat", ""},   {"sub/表.txt", "表"},   {"債権者一覧.dat", text.substr(0, 777)}};
    for (const auto& [name, data] : files) writeFile(root / name, data);
    return files;
}

TEST(PeerArchives, JlhaArchivesOfEveryLevelAreExtractedByUs) {
    requireTool("jlha");
    TempDir dir;
    const auto files = makeFixture(dir.path() / "src");
    for (const char* mode : {"c", "c0", "c1", "cz"}) {
        const std::string lzh = dir / (std::string(mode) + ".lzh");
        // "y" stores the names in Shift-JIS.
        const auto made = runTool("cd " + shellQuote(dir / "src") + " && jlha " + mode + "yq " + shellQuote(lzh) +
                                  " plain.txt random.bin zeros.bin empty.dat sub/表.txt 債権者一覧.dat");
        ASSERT_EQ(made.exitCode, 0) << made.output;
        const std::string dest = dir.folder() + mode + "/";
        const auto r = lha().run("x -+ -c1 -m1 -n1 -jse0 -jso1 \"" + lzh + "\" \"" + dest + "\"");
        EXPECT_EQ(r.code, 0) << mode << ": " << r.text;
        EXPECT_EQ(folderContents(dest), files) << mode;
        EXPECT_EQ(lha().checkArchive(lzh.c_str(), ARC_CHECK_FULL_CRC), 1) << mode;
    }
}

TEST(PeerArchives, GcabArchivesAreExtractedByUs) {
    requireTool("gcab");
    TempDir dir;
    const auto files = makeFixture(dir.path() / "src");
    for (const char* flags : {"-c", "-c -z"}) {
        const std::string cabFile = dir / "g.cab";
        fs::remove(cabFile);
        const auto made = runTool("cd " + shellQuote(dir / "src") + " && gcab " + flags + " " + shellQuote(cabFile) +
                                  " plain.txt random.bin zeros.bin empty.dat sub/表.txt 債権者一覧.dat");
        ASSERT_EQ(made.exitCode, 0) << made.output;
        const std::string dest = dir.folder() + (flags[3] ? "z/" : "stored/");
        const auto r = cab().run("-x -i \"" + cabFile + "\" \"" + dest + "\"");
        EXPECT_EQ(r.code, 0) << flags << ": " << r.text;
        EXPECT_EQ(folderContents(dest), files) << flags;
    }
}

}  // namespace
}  // namespace korvalen::archivers::test
