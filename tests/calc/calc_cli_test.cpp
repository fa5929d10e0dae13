// Runs the built korvalen-calc end to end on files written into a temporary
// folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include "korvalen/testsupport/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CalcCli : public ::testing::Test {
protected:
    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder_.path() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    Result Run(const std::vector<std::string>& args) {
        std::string command = "\"" + (fs::path(KORVALEN_BIN_DIR) / "korvalen-calc").string() + "\"";
        for (const auto& arg : args) command += " \"" + arg + "\"";
        const fs::path out = folder_.path() / "stdout.txt";
        const fs::path err = folder_.path() / "stderr.txt";
        command += " >\"" + out.string() + "\" 2>\"" + err.string() + "\"";
        const int status = std::system(command.c_str());
#if defined(_WIN32)
        const int code = status;
#else
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        return Result{code, Slurp(out), Slurp(err)};
    }

    korvalen::testsupport::TempFolder folder_{"korvalen-calc-test"};
};

// The overpaid history of the worked example, out of date order, with a BOM,
// a heading, quoted thousands separators and CR LF line ends.
const std::string kOverpaidCsv =
    "\xEF\xBB\xBF年月日,借入,返済,利率\r\n"
    "2005-01-10,\"50,000\",,29.2\r\n"
    "2005-06-10,\"30,000\",0\r\n"
    "2005/03/10,0,\"60,000\"\r\n"
    "05/07/10,,\"10,000\",\r\n";

const std::vector<std::string> kOverpaidCase = {"--rate=29.2", "--first-day=no", "--overpayment-rate=5"};

std::vector<std::string> With(std::vector<std::string> args, std::initializer_list<std::string> more) {
    args.insert(args.end(), more);
    return args;
}

TEST_F(CalcCli, PrintsTheRecalculation) {
    const auto csv = Write("overpaid.csv", kOverpaidCsv);
    const Result r = Run(With(kOverpaidCase, {csv.string()}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "取引日\t借入額\t返済額\t日数\t利率\t利息\t元金返済額\t残元金\t未払利息\t過払利息\t未払過払利息\n"
              "平17/01/10\t50,000\t0\t\t20.000\t0\t0\t50,000\t\t0\t\n"
              "平17/03/10\t0\t60,000\t59\t20.000\t1,616\t58,384\t-8,384\t\t0\t\n"
              "平17/06/10\t30,000\t0\t92\t20.000\t0\t0\t21,511\t\t105\t0\n"
              "平17/07/10\t0\t10,000\t30\t20.000\t353\t9,647\t11,864\t\t0\t\n");
}

TEST_F(CalcCli, PrintsTheLenderTableInWesternDates) {
    const auto csv = Write("overpaid.csv", kOverpaidCsv);
    const Result r = Run(With(kOverpaidCase, {"--table=lender", "--western", csv.string()}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
              "取引日\t借入額\t返済額\t日数\t利率\t利息\t元金返済額\t残元金\t未払利息\n"
              "05/01/10\t50,000\t0\t\t29.200\t0\t0\t50,000\t\n"
              "05/03/10\t0\t60,000\t59\t29.200\t2,360\t57,640\t-7,640\t\n"
              "05/06/10\t30,000\t0\t92\t29.200\t0\t0\t22,360\t\n"
              "05/07/10\t0\t10,000\t30\t29.200\t536\t9,464\t12,896\t\n");
}

TEST_F(CalcCli, ShiftJisFileGivesTheSameTable) {
    // The heading 年月日,借入,返済 in code page 932.
    const auto sjis = Write("sjis.csv",
                            "\x94\x4e\x8c\x8e\x93\xfa,\x8e\xd8\x93\xfc,\x95\xd4\x8d\xcf\r\n"
                            "2005-01-10,50000,0\r\n2005-03-10,0,60000\r\n");
    const auto utf8 = Write("utf8.csv", "2005-01-10,50000,0\n2005-03-10,0,60000\n");
    const Result a = Run(With(kOverpaidCase, {"--settle=end", sjis.string()}));
    const Result b = Run(With(kOverpaidCase, {"--settle=end", utf8.string()}));
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("-8,384"), std::string::npos);
}

TEST_F(CalcCli, WarningsGoToStderrOneLineEach) {
    const auto csv = Write("long.csv", "2003-12-20,100000,0\n2005-01-10,0,10000\n");
    const Result r = Run({"--method=1", "--rate=20", "--first-day=no", "--table=lender", csv.string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "korvalen-calc: 警告: " + csv.string() +
                         " の表の 2 行目（平17/01/10）: ３年間にまたがる計算はできません。\n");
    EXPECT_NE(r.out.find("平17/01/10\t0\t10,000\t387\t20.000\t0\t10,000\t90,000"), std::string::npos) << r.out;
}

TEST_F(CalcCli, BadInputIsRefusedWithExitTwoAndNothingOnStdout) {
    struct Case {
        const char* name;
        std::string content;  // written as bad.csv; empty = no file is written
        std::vector<std::string> args;
        std::string message;
    };
    const std::string heading = "年月日,借入,返済\n2005-01-10,1000,0\n";
    const std::vector<Case> cases = {
        {"unreadable date", heading + "2005-02-30,0,100\n", {}, "bad.csv の 3 行目: 日付「2005-02-30」が読めません"},
        {"negative amount", heading + "2005-02-10,0,-100\n", {}, "bad.csv の 3 行目: 返済額「-100」が負の値です"},
        {"non-numeric amount",
         heading + "2005-02-10,abc,0\n",
         {},
         "bad.csv の 3 行目: 借入額「abc」が数値ではありません"},
        {"amount beyond 32 bits",
         heading + "2005-02-10,\"3,000,000,000\",0\n",
         {},
         "bad.csv の 3 行目: 借入額「3,000,000,000」が大きすぎます"},
        {"date before the start date",
         heading,
         {"--start-date=2005-02-01"},
         "bad.csv の 2 行目: 日付「2005-01-10」は計算開始日"},
        {"unknown option", heading, {"--frobnicate"}, "不明なオプションです: --frobnicate"},
        {"bad option value", heading, {"--method=9"}, "--method の値「9」が不正です"},
        {"missing file", "", {}, "bad.csv: ファイルを読めません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = folder_.path() / "bad.csv";
        fs::remove(file);
        if (!c.content.empty()) Write("bad.csv", c.content);
        const Result r = Run(With(c.args, {file.string()}));
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

TEST_F(CalcCli, FileArgumentIsRequired) {
    const Result none = Run({"--rate=20"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("履歴ファイル"), std::string::npos);
}

}  // namespace
