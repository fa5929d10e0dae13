// Runs the built korvalen-calc end to end on files written into a temporary
// folder. The refusals it shares with korvalen-db import are in the db tool's
// tests, where both tools run side by side.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "korvalen/testsupport/child_process.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode;
    std::string out;
    std::string err;
};

const std::string kSample = std::string(KORVALEN_SOURCE_DIR) + "/examples/sample.csv";

class CalcCli : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder_.path() / name;
        korvalen::testsupport::WriteWholeFile(path, bytes);
        return path.string();
    }

    static Result Run(const std::vector<std::string>& args) {
        auto [code, out, err] = korvalen::testsupport::RunToEnd(std::string(KORVALEN_BIN_DIR) + "/korvalen-calc", args);
        return Result{code, std::move(out), std::move(err)};
    }

    korvalen::testsupport::TempFolder folder_{"korvalen-calc-test"};
};

// The overpaid history of the worked example, out of date order, with a BOM,
// a heading, quoted thousands separators and CR LF line ends.
const std::string kOverpaidCsv =
    "\xEF\xBB\xBF年月日,借入,返済,利率\r\n"
    "2005-01-10,\"50,000\",,29.2\r\n"
    "2005-06-10,\"30,000\",0,\r\n"
    "2005/03/10,0,\"60,000\",\r\n"
    "05/07/10,,\"10,000\",\r\n";

const std::vector<std::string> kOverpaidCase = {"--rate=29.2", "--first-day=no", "--overpayment-rate=5"};

std::vector<std::string> With(std::vector<std::string> args, std::initializer_list<std::string> more) {
    args.insert(args.end(), more);
    return args;
}

const std::string kRecalculation =
    "取引日\t借入額\t返済額\t日数\t利率\t利息\t元金返済額\t残元金\t未払利息\t過払利息\t未払過払利息\n"
    "平17/01/10\t50,000\t0\t\t20.000\t0\t0\t50,000\t\t0\t\n"
    "平17/03/10\t0\t60,000\t59\t20.000\t1,616\t58,384\t-8,384\t\t0\t\n"
    "平17/06/10\t30,000\t0\t92\t20.000\t0\t0\t21,511\t\t105\t0\n"
    "平17/07/10\t0\t10,000\t30\t20.000\t353\t9,647\t11,864\t\t0\t\n";

TEST_F(CalcCli, PrintsTheRecalculationSortedWithAWarningForTheEntryOutOfOrder) {
    const auto csv = Write("overpaid.csv", kOverpaidCsv);
    const Result r = Run(With(kOverpaidCase, {csv}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kRecalculation);
    // 2005/03/10 follows 2005-06-10 in the file: most often a typo.
    EXPECT_EQ(r.err, "korvalen-calc: 警告: " + csv +
                         " の 4 行目: 日付が前の行より前です（前の行は 2005-06-10）。日付の順に並べ替えて読みます。\n");
}

TEST_F(CalcCli, PrintsTheLenderTableInWesternDates) {
    const auto csv = Write("overpaid.csv", kOverpaidCsv);
    const Result r = Run(With(kOverpaidCase, {"--table=lender", "--western", csv}));
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
    const Result a = Run(With(kOverpaidCase, {"--settle=end", sjis}));
    const Result b = Run(With(kOverpaidCase, {"--settle=end", utf8}));
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("-8,384"), std::string::npos);
}

TEST_F(CalcCli, CalculationWarningsGoToStderrOneLineEach) {
    const auto csv = Write("long.csv", "2003-12-20,100000,0\n2005-01-10,0,10000\n");
    const Result r = Run({"--method=1", "--rate=20", "--first-day=no", "--table=lender", csv});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err,
              "korvalen-calc: 警告: " + csv + " の表の 2 行目（平17/01/10）: ３年間にまたがる計算はできません。\n");
    EXPECT_NE(r.out.find("平17/01/10\t0\t10,000\t387\t20.000\t0\t10,000\t90,000"), std::string::npos) << r.out;
}

TEST_F(CalcCli, SummaryFollowsTheTableWithTheClaimOrThePrincipalOwed) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string summary;
    };
    const std::vector<Case> cases = {
        // The last row: 残元金 -162,634 and 未払過払利息 3,911.
        {"overpaid",
         {"--rate=29.2", "--overpayment-rate=5"},
         "\n過払金　162,634円\n未払過払利息　3,911円\n請求額　166,545円\n"},
        {"principal still owed",
         {"--rate=29.2", "--start-date=2000-01-01", "--start-balance=100000"},
         "\n残元金　151,864円\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result plain = Run(With(c.args, {kSample}));
        const Result summed = Run(With(c.args, {"--summary", kSample}));
        ASSERT_EQ(plain.exitCode, 0) << plain.err;
        EXPECT_EQ(summed.exitCode, 0) << summed.err;
        EXPECT_EQ(summed.out, plain.out + c.summary);
        EXPECT_EQ(summed.err, plain.err);
    }
}

TEST_F(CalcCli, HelpPrintsTheUsageOnStdout) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"--rate=0", "-h", "missing.csv"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.rfind("使い方: korvalen-calc --rate=PERCENT [オプション] HISTORY.csv\n", 0), 0u) << r.out;
        for (const char* option : {"--table=", "--summary", "--western", "--rate=", "--method=", "--first-day=",
                                   "--overpayment-rate=", "--settle=", "--start-date=", "--start-balance=",
                                   "--reference-borrowing=", "--input-order", "終了コード"}) {
            EXPECT_NE(r.out.find(option), std::string::npos) << option;
        }
    }
}

TEST_F(CalcCli, CommandLinesItCannotFollowAreRefused) {
    const auto csv = Write("one.csv", "2005-01-10,1000,0\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--rate=20"}, "korvalen-calc: 履歴ファイル（HISTORY.csv）を指定してください"},
        {{"--rate=20", csv, csv}, "履歴ファイルは一つだけ指定してください"},
        {{"--rate=20", "--frobnicate", csv}, "不明なオプションです: --frobnicate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const Result r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

}  // namespace
