// korvalen-db run as a program: every command on a real folder, its exit
// codes, its table output beside korvalen-calc's, and imports killed at
// random moments.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sstream>

#include "korvalen/storage/case_store.h"
#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/child_process.h"
#include "storage_fixture.h"

namespace korvalen::storage {
namespace {

using korvalen::testsupport::ChildProcess;
using namespace storage::fixtures;

const std::string kBin = KORVALEN_BIN_DIR;
const std::string kSample = std::string(KORVALEN_SOURCE_DIR) + "/examples/sample.csv";

using Outcome = testsupport::ChildOutcome;

Outcome Tool(const std::string& program, const std::vector<std::string>& args) {
    return testsupport::RunToEnd(kBin + "/" + program, args);
}

Outcome Db(const std::vector<std::string>& args) { return Tool("korvalen-db", args); }

class DbToolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Db({"init", folder}).code, 0); }
    TempFolder root{"kvtest-dbtool"};
    std::string folder = root.folder("KorvalenDB");
};

TEST_F(DbToolTest, ImportListCalcExportDuplicateDeleteCheck) {
    const std::vector<std::string> options = {"--rate=29.2", "--overpayment-rate=5", "--method=2", "--settle=end",
                                              "--first-day=no"};
    std::vector<std::string> import = {
        "import", folder, kSample, "--creditor=アコム", "--debtor=山田　太郎", "--remarks=東京簡裁"};
    import.insert(import.end(), options.begin(), options.end());
    Outcome r = Db(import);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "0\n");
    EXPECT_EQ(Db({"list", folder}).out, "0\tアコム\t山田　太郎\t73\n");

    const std::string shown = Db({"show", folder, "0"}).out;
    for (const char* line :
         {"CODE\t9999\n", "NAME\t山田　太郎\n", "BIKO\t東京簡裁\n", "START_DAY\t\n", "KEISAN_KIND\t2\n",
          "RIRITSU\t29.2\n", "SYONITI_UMU\t0\n", "SEISAN_KIND\t1\n", "CHECKBOX\t0\n"}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << shown;
    }

    // The stored case computes exactly as the history file does.
    for (const std::vector<std::string>& view :
         {std::vector<std::string>{"--table=lender"}, std::vector<std::string>{"--table=recalc", "--western"},
          std::vector<std::string>{}, std::vector<std::string>{"--summary"}}) {
        std::vector<std::string> calc = options;
        calc.insert(calc.end(), view.begin(), view.end());
        calc.push_back(kSample);
        const Outcome expected = Tool("korvalen-calc", calc);
        std::vector<std::string> stored = {"calc", folder, "0"};
        stored.insert(stored.end(), view.begin(), view.end());
        const Outcome actual = Db(stored);
        ASSERT_EQ(expected.code, 0) << expected.err;
        EXPECT_EQ(actual.code, 0) << actual.err;
        EXPECT_EQ(actual.out, expected.out);
        EXPECT_GT(actual.out.size(), 1000u);
    }

    // Exported and imported again: the same entries in the same order.
    const std::string csv = Db({"export", folder, "0"}).out;
    WriteWholeFile(root.path() / "again.csv", csv);
    EXPECT_EQ(Db({"import", folder, (root.path() / "again.csv").string(), "--rate=29.2"}).out, "1\n");
    EXPECT_EQ(Db({"export", folder, "1"}).out, csv);

    EXPECT_EQ(Db({"duplicate", folder, "0"}).out, "2\n");
    EXPECT_EQ(Db({"list", folder}).out,
              "0\tアコム\t山田　太郎\t73\n1\t\t\t73\n2\tアコム(コピー)\t山田　太郎(コピー)\t73\n");
    EXPECT_EQ(Db({"delete", folder, "0", "1"}).code, 0);
    EXPECT_EQ(Db({"list", folder}).out, "2\tアコム(コピー)\t山田　太郎(コピー)\t73\n");
    r = Db({"check", folder});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "SinseiT13\tOK\nSinseiT32\tOK\nCSConM\tOK\nOpcfg\tOK\n");
}

TEST_F(DbToolTest, BadInputExitsTwoAndStoresNothing) {
    ASSERT_EQ(Db({"import", folder, kSample, "--rate=29.2"}).code, 0);
    WriteWholeFile(root.path() / "bad.csv", "2006-01-10,100000,0\n2006-02-30,0,5000\n");
    struct Bad {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Bad> cases = {
        {{"import", folder, kSample, "--rate=29.2", "--creditor=" + std::string(41, 'x')}, "債権者名が長すぎます。"},
        {{"import", folder, kSample, "--rate=29.2", "--debtor=😀"}, "債務者名に保存できない文字"},
        {{"import", folder, (root.path() / "bad.csv").string(), "--rate=29.2"}, "bad.csv の 2 行目"},
        {{"import", folder, kSample, "--rate=abc"}, "--rate"},
        {{"import", folder, kSample, "--rate=29.2", "--table=lender"}, "calc の指定"},
        {{"import", folder, kSample, "--rate=29.2", "--summary"}, "--summary は calc の指定"},
        {{"import", folder, kSample, "--rate=29.2", "--creditor=a\tb"}, "制御文字"},
        {{"import", folder, kSample, "--rate=29.2", "--creditor=a", "--creditor=b"}, "--creditor が 2 回"},
        {{"calc", folder, "0", "--rate=18"}, "--table、--western と --summary だけ"},
        {{"calc", folder, "0", "--table=lender", "--summary"}, "--summary は引直計算の表"},
        {{"calc", folder, "0", "--western", "--western"}, "--western が 2 回"},
        {{"show", folder, "32768"}, "0 から 32767"},
        {{"export", folder, "7"}, "事件番号 7 の事件はありません"},
        {{"delete", folder, "0", "7"}, "何も削除していません"},
        {{"duplicate", folder, "7"}, "見つかりません"},
        {{"list", root.folder("nothing")}, "データベースフォルダがありません"},
        {{"frobnicate", folder}, "不明なコマンド"},
        {{"list"}, "引数が違います"},
    };
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.args[0] + " " + bad.says);
        const Outcome r = Db(bad.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find(bad.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(Db({"list", folder}).out, "0\t\t\t73\n");
}

TEST_F(DbToolTest, AnEntryBeforeTheLineAboveIsStoredInDateOrderWithAWarning) {
    const std::string file = (root.path() / "typo.csv").string();
    WriteWholeFile(file, "年月日,借入,返済\n2005-01-10,50000,0\n2005-03-10,0,10000\n2005-02-10,0,10000\n");
    const Outcome r = Db({"import", folder, file, "--rate=18"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "0\n");
    EXPECT_EQ(r.err, "korvalen-db: 警告: " + file +
                         " の 4 行目: 日付が前の行より前です（前の行は 2005-03-10）。日付の順に並べ替えて読みます。\n");
    EXPECT_EQ(Db({"export", folder, "0"}).out,
              "年月日,借入,返済,利率\n2005-01-10,50000,0,18\n2005-02-10,0,10000,18\n2005-03-10,0,10000,18\n");
}

TEST_F(DbToolTest, HelpPrintsTheUsageOnStdout) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"import", folder, "-h"}}) {
        const Outcome r = Db(args);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.rfind("使い方:\n", 0), 0u) << r.out;
        for (const char* part : {"korvalen-db init", "korvalen-db import", "--rate=PERCENT", "--summary",
                                 "korvalen-db check", "--start-balance=", "終了コード"}) {
            EXPECT_NE(r.out.find(part), std::string::npos) << part;
        }
    }
    EXPECT_EQ(Db({"list", folder}).out, "");
}

TEST_F(DbToolTest, EngineErrorsExitThreeWithTheirCode) {
    fs::remove(folder + "SinseiT32.dat");
    const Outcome r = Db({"list", folder});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err.rfind("korvalen-db: エラーコード 11010: テーブル「SinseiT32」", 0), 0u) << r.err;
}

TEST_F(DbToolTest, CheckListsEachProblem) {
    ASSERT_EQ(Db({"import", folder, kSample, "--rate=29.2"}).code, 0);
    {
        tablestore::Database db;
        db.setDirectory(folder);
        // History rows whose case is gone.
        tablestore::Table cases(db, "SinseiT13");
        cases.open();
        ASSERT_TRUE(cases.findKey({9999, 0}));
        cases.deleteRecord();
        cases.close();
        db.deleteIndexFile("Opcfg");
        db.disconnect();
    }
    fs::remove(folder + "CSConM.dat");
    std::string bytes = ReadWholeFile(folder + "SinseiT32.dat");
    bytes[2 * 4096 + 1500] ^= 0x20;
    WriteWholeFile(folder + "SinseiT32.dat", bytes);

    const Outcome r = Db({"check", folder});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.rfind("SinseiT13\tOK\nSinseiT32\tエラーコード ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("CSConM\tテーブルがありません\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Opcfg\tインデックスファイルがありません"), std::string::npos) << r.out;

    // Once SinseiT32 reads again, its rows without a case are named.
    fs::remove(folder + "SinseiT32.dat");
    ASSERT_EQ(Db({"init", folder}).code, 0);
    tablestore::Database db;
    db.setDirectory(folder);
    tablestore::Table history(db, "SinseiT32");
    history.open();
    history.append();
    history.fieldByName("CODE").setInteger(9999);
    history.fieldByName("SEQ").setInteger(4);
    history.fieldByName("SEQNO").setInteger(0);
    history.post();
    history.close();
    db.disconnect();
    const Outcome again = Db({"check", folder});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.out.find("SinseiT32\t事件番号 4 の取引がありますが、その事件がありません\n"), std::string::npos)
        << again.out;
}

TEST_F(DbToolTest, AnImportKilledAtAnyMomentLeavesTheWholeCaseOrNone) {
    std::string csv = "年月日,借入,返済\n";
    for (int i = 0; i < 999; ++i) {
        const engine::CivilDate d = engine::CivilFromDayNumber(engine::DayNumberFromCivil(2000, 1, 1) + i * 3);
        char line[64];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d,%d,%d\n", d.year, d.month, d.day, i % 4 == 0 ? 50000 : 0,
                      i % 4 == 0 ? 0 : 12000);
        csv += line;
    }
    const std::string file = (root.path() / "long.csv").string();
    WriteWholeFile(file, csv);

    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Db({"import", folder, file, "--rate=29.2"}).out, "0\n");
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

    std::mt19937 random(20240501);
    std::uniform_int_distribution<std::int64_t> moment(0, took.count() * 5 / 4);
    int present = 1, landed = 0, lost = 0;
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        {
            ChildProcess child(kBin + "/korvalen-db", {"import", folder, file, "--rate=29.2"});
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            child.Kill();
            child.Wait();
        }
        const Outcome list = Db({"list", folder});
        ASSERT_EQ(list.code, 0) << list.err;
        int rows = 0;
        std::istringstream lines(list.out);
        for (std::string line; std::getline(lines, line); ++rows) {
            EXPECT_TRUE(line.ends_with("\t999")) << line;  // never a part of the history
        }
        (rows > present ? landed : lost)++;
        present = rows;
        const Outcome check = Db({"check", folder});
        EXPECT_EQ(check.code, 0) << check.out;
    }
    // Not a figure to reach, only a sign the moments spread over the import.
    std::cout << "imports completed " << landed << ", cut off " << lost << "\n";
}

}  // namespace
}  // namespace korvalen::storage
