// Bad history input, refused alike by korvalen-calc and korvalen-db import,
// which read a history file through one reader: exit code 2, one line on
// stderr, nothing on stdout and nothing stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "korvalen/testsupport/child_process.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kBin = KORVALEN_BIN_DIR;

using Outcome = korvalen::testsupport::ChildOutcome;

Outcome Spawn(const std::string& program, const std::vector<std::string>& args) {
    return korvalen::testsupport::RunToEnd(program, args);
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Entries(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += "2005-01-10,1,0\n";
    return text;
}

class BothTools : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Spawn(kBin + "/korvalen-db", {"init", database}).code, 0);
        fs::create_directory(root.path() / "folder.csv");
    }

    Outcome Calc(const std::vector<std::string>& options, const std::string& file) {
        return Spawn(kBin + "/korvalen-calc", Join(options, {file}));
    }
    Outcome Import(const std::vector<std::string>& options, const std::string& file) {
        return Spawn(kBin + "/korvalen-db", Join({"import", database, file}, options));
    }
    std::string Listed() { return Spawn(kBin + "/korvalen-db", {"list", database}).out; }

    korvalen::testsupport::TempFolder root{"kvtest-badinput"};
    std::string database = root.folder("KorvalenDB");
};

// What each of the two tools said, checked the same way.
void ExpectRefused(const Outcome& r, const std::string& program, const std::string& says) {
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind(program + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    for (const char c : r.err.substr(0, r.err.size() - 1)) {
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << "raw control character in " << r.err;
    }
}

TEST_F(BothTools, RefuseEachKindOfBadInputAlike) {
    const std::vector<std::string> rate = {"--rate=29.2"};
    const std::string good = "年月日,借入,返済\n2005-01-10,1000,0\n";
    struct Bad {
        const char* name;
        std::optional<std::string> content;  // written to `file`; nothing = not written
        std::vector<std::string> options;
        std::string says;
        std::string file = "bad.csv";
    };
    const std::vector<Bad> cases = {
        // The file
        {"no entry under the heading", "年月日,借入,返済\r\n\r\n", rate, "bad.csv: 取引が一つもありません。"},
        {"an empty file", "", rate, "bad.csv: 取引が一つもありません。"},
        {"amounts under a first field that is no date", "10 Feb 2005,1000,0\n2005-02-10,0,100\n", rate,
         "bad.csv の 1 行目: 日付「10 Feb 2005」が読めません。"},
        {"lines ended by a lone CR", "2005-01-10,1000,0\r2005-02-10,0,100\r2005-02-30,0,100\r", rate,
         "bad.csv の 3 行目: 日付「2005-02-30」が読めません。"},
        {"an unquoted thousands separator", good + "2005-02-10,0,13,000\n", rate,
         "bad.csv の 3 行目: 項目が 4 つあります（1 行目は 3 つ）。"},
        {"an unquoted thousands separator in a file with rates",
         "年月日,借入,返済,利率\n2005-01-10,1000,0,\n2005-02-10, 1,000 ,0\n", rate,
         "bad.csv の 3 行目: 「1,000」は引用符のない3桁区切りの金額に見えます。"},
        {"a line without the rate column of the first", "2005-01-10,1000,0,18\n2005-02-10,0,100\n", rate,
         "bad.csv の 2 行目: 項目が 3 つしかありません（1 行目は 4 つ）。"},
        {"a date before 1873", good + "1872-12-31,0,100\n", rate,
         "bad.csv の 3 行目: 日付「1872-12-31」は扱えない日付です（1873年1月1日から2099年12月31日まで）。"},
        {"a date after 2099", good + "2100-01-01,0,100\n", rate,
         "bad.csv の 3 行目: 日付「2100-01-01」は扱えない日付です"},
        {"a rate that would print as 1000.000", "2005-01-10,1000,0,999.9995\n", rate,
         "bad.csv の 1 行目: 利率「999.9995」が大きすぎます（999.999%まで）。"},
        {"an impossible date", good + "2005-02-30,0,100\n", rate, "bad.csv の 3 行目: 日付「2005-02-30」が読めません"},
        {"a negative amount", good + "2005-02-10,0,-100\n", rate, "bad.csv の 3 行目: 返済額「-100」が負の値です"},
        {"an amount that is no number", good + "2005-02-10,abc,0\n", rate,
         "bad.csv の 3 行目: 借入額「abc」が数値ではありません"},
        {"an amount beyond 32 bits", good + "2005-02-10,\"3,000,000,000\",0\n", rate,
         "bad.csv の 3 行目: 借入額「3,000,000,000」が大きすぎます"},
        {"a date before the start date",
         good,
         {"--rate=29.2", "--start-date=2005-02-01"},
         "bad.csv の 2 行目: 日付「2005-01-10」は計算開始日"},
        {"more entries than a case holds", "年月日,借入,返済\n" + Entries(32769), rate,
         "bad.csv の 32770 行目: 取引が多すぎます。一つの事件に入る取引は 32,768 件までです。"},
        {"a line too long", good + std::string(600, 'x') + "\n", rate, "bad.csv の 3 行目: 行が長すぎます"},
        {"long offending text with control characters", good + "2005-02-10,\x1B[2J" + std::string(100, 'A') + ",0\n",
         rate, "bad.csv の 3 行目: 借入額「\\x1B[2J" + std::string(36, 'A') + "…」が数値ではありません。"},
        {"bytes neither UTF-8 nor Shift-JIS", good + "2005-02-10,0,\x81\n", rate,
         "bad.csv の 3 行目: UTF-8 としても Shift-JIS としても読めない文字があります。"},
        {"a missing file", std::nullopt, rate, "missing.csv: ファイルを読めません。", "missing.csv"},
        {"a folder", std::nullopt, rate, "folder.csv: ファイルではなくフォルダです。", "folder.csv"},
        // The case settings
        {"no contract rate", good, {}, "約定利率を --rate=PERCENT で指定してください"},
        {"a zero contract rate", good, {"--rate=0.000"}, "--rate の値「0.000」が不正です。約定利率は 0 より大きい値"},
        {"an option given twice", good, {"--rate=29.2", "--rate=18"}, "--rate が 2 回指定されています。"},
        {"a flag given twice",
         good,
         {"--rate=29.2", "--input-order", "--input-order"},
         "--input-order が 2 回指定されています。"},
        {"a start balance without a start date",
         good,
         {"--rate=29.2", "--start-balance=100000"},
         "--start-balance は計算開始年月日（--start-date=YYYY-MM-DD）と一緒に指定してください。"},
        {"a reference borrowing without a start date",
         good,
         {"--rate=29.2", "--reference-borrowing=100000"},
         "--reference-borrowing は計算開始年月日"},
        {"a start date before 1873",
         good,
         {"--rate=29.2", "--start-date=1872-12-31"},
         "--start-date: 計算開始年月日「1872-12-31」は扱えない日付です"},
        {"an overpayment rate that would print as 1000.000",
         good,
         {"--rate=29.2", "--overpayment-rate=999.9995"},
         "過払金の利率「999.9995」が大きすぎます"},
        {"a bad option value", good, {"--rate=29.2", "--method=9"}, "--method の値「9」が不正です。"},
        {"an unknown option with control characters",
         good,
         {"--rate=29.2", "--x\x1B[2J\t" + std::string(60, 'y')},
         ": --x\\x1B[2J\\t" + std::string(32, 'y') + "…（"},
    };
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.name);
        const std::string file = (root.path() / bad.file).string();
        if (bad.content) korvalen::testsupport::WriteWholeFile(file, *bad.content);
        ExpectRefused(Calc(bad.options, file), "korvalen-calc", bad.says);
        ExpectRefused(Import(bad.options, file), "korvalen-db", bad.says);
        EXPECT_EQ(Listed(), "");
        if (bad.content) fs::remove(file);
    }
}

// The other commands quote what the user typed the same way: no terminal
// control sequence reaches the screen.
TEST_F(BothTools, PrintAndBackupQuoteTheArgumentsTheyRefuse) {
    const std::string control = "\x1B[2J";
    struct Bad {
        std::vector<std::string> args;
        std::string says;
    };
    const Bad cases[] = {
        {{"print", database, "0", "--pdf", root.folder() + "x.pdf", "--pages=" + control}, "\\x1B[2J"},
        {{"print", database, "0", "--pdf", root.folder() + "x.pdf", "--x" + control}, "--x\\x1B[2J"},
        {{"backup", database, root.folder(), "--name=a/" + control}, "\\x1B[2J"},
        {{"backup", database, root.folder(), "--x" + control}, "--x\\x1B[2J"},
    };
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.args.back());
        ExpectRefused(Spawn(kBin + "/korvalen-db", bad.args), "korvalen-db", bad.says);
    }
}

TEST_F(BothTools, ReadAWholeCase) {
    // The most entries a case holds are read by both and stored.
    const std::string file = (root.path() / "full.csv").string();
    korvalen::testsupport::WriteWholeFile(file, Entries(32768));
    const Outcome calc = Calc({"--rate=18"}, file);
    EXPECT_EQ(calc.code, 0) << calc.err;
    EXPECT_EQ(std::count(calc.out.begin(), calc.out.end(), '\n'), 32769);
    const Outcome import = Import({"--rate=18"}, file);
    EXPECT_EQ(import.code, 0) << import.err;
    EXPECT_EQ(Listed(), "0\t\t\t32768\n");
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVALEN_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KORVALEN_UNDER_ASAN 1
#endif

TEST_F(BothTools, StopReadingAnEndlessInputWithinALimitedAddressSpace) {
#if defined(KORVALEN_UNDER_ASAN)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit leaves";
#endif
    // Far more than a case needs, far less than an input read to its end:
    // a reader that kept everything would run out and end by std::bad_alloc.
    const std::string limit = "ulimit -v 400000 && ";
    struct Source {
        std::string shell;  // what the tool reads from, and how it is fed
        std::string file;
        std::string says;
    };
    const std::vector<Source> sources = {
        {"yes 2005-01-10,1,0 | exec \"$0\" \"$@\"", "/dev/stdin", "/dev/stdin の 32769 行目: 取引が多すぎます。"},
        {"yes '' | exec \"$0\" \"$@\"", "/dev/stdin", "ファイルが大きすぎます"},
        {"exec \"$0\" \"$@\"", "/dev/zero", "/dev/zero の 1 行目: 行が長すぎます"},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.shell + " " + source.file);
        const Outcome calc =
            Spawn("/bin/sh", {"-c", limit + source.shell, kBin + "/korvalen-calc", "--rate=18", source.file});
        ExpectRefused(calc, "korvalen-calc", source.says);
        const Outcome import = Spawn("/bin/sh", {"-c", limit + source.shell, kBin + "/korvalen-db", "import", database,
                                                 source.file, "--rate=18"});
        ExpectRefused(import, "korvalen-db", source.says);
    }
    EXPECT_EQ(Listed(), "");
}

}  // namespace
