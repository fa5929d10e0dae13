// korvalen-db print end to end: the built tool on a real database folder,
// with no display.
#include <gtest/gtest.h>

#include <filesystem>

#include "korvalen/testsupport/child_process.h"
#include "korvalen/testsupport/temp_folder.h"
#include "pdf_tools.h"

namespace korvalen::printing {
namespace {

using testsupport::ChildProcess;

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result Tool(const std::vector<std::string>& args) {
    ChildProcess child(std::string(KORVALEN_BIN_DIR) + "/korvalen-db", args);
    const int code = child.Wait();
    return {code, child.Out(), child.Err()};
}

class DbPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Tool({"init", db}).code, 0);
        const std::string sample = KORVALEN_SOURCE_DIR "/examples/sample.csv";
        const Result imported = Tool({"import", db, sample, "--creditor=アコム株式会社", "--debtor=山田太郎",
                                      "--remarks=平成20年(ワ)第1234号", "--rate=29.2", "--overpayment-rate=5",
                                      "--start-date=2000-01-01", "--start-balance=100000"});
        ASSERT_EQ(imported.code, 0) << imported.err;
        ASSERT_EQ(imported.out, "0\n");
        // No display, as on a server; the tool draws offscreen by itself.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
    }
    testsupport::TempFolder folder{"db-print"};
    const std::string db = folder / "db";
    const std::string pdf = folder / "計算書.pdf";
};

TEST_F(DbPrint, WritesTheStatementOfAStoredCase) {
    const Result printed = Tool({"print", db, "0", "--pdf", pdf});
    ASSERT_EQ(printed.code, 0) << printed.err;
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "");
    // The sample's 73 entries with both bands: 45 and 28 rows.
    ASSERT_EQ(fixtures::PdfPageCount(pdf), 2);
    const std::string first = fixtures::PdfPageText(pdf, 1);
    EXPECT_NE(first.find("アコム株式会社"), std::string::npos);
    EXPECT_NE(first.find("平成12年01月01日"), std::string::npos);
    EXPECT_NE(first.find("100,000円"), std::string::npos);
    EXPECT_NE(first.find("平12/10/16"), std::string::npos);
    const std::string last = fixtures::PdfPageText(pdf, 2);
    EXPECT_NE(last.find("Page. 2"), std::string::npos);
    // With the start balance the sample still owes principal at its end.
    EXPECT_NE(last.find("151,864円"), std::string::npos);
    EXPECT_EQ(first.find("151,864円"), std::string::npos);
    EXPECT_NE(fixtures::PdfInfo(pdf, true).find("債務者：山田太郎"), std::string::npos);
}

TEST_F(DbPrint, PagesAndTheWesternCalendarAsAsked) {
    const Result printed = Tool({"print", db, "0", "--pdf=" + pdf, "--pages=2-2", "--western"});
    ASSERT_EQ(printed.code, 0) << printed.err;
    ASSERT_EQ(fixtures::PdfPageCount(pdf), 1);
    const std::string text = fixtures::PdfPageText(pdf, 1);
    EXPECT_NE(text.find("Page. 2"), std::string::npos);
    EXPECT_NE(text.find("2000年01月01日"), std::string::npos);
    EXPECT_EQ(text.find("平1"), std::string::npos);  // no era date left
}

TEST_F(DbPrint, BadInputWritesNothingAndExitsTwo) {
    struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"print", db, "0"}, "--pdf FILE を指定してください。"},
        {{"print", db}, "使い方: korvalen-db print"},
        {{"print", db, "0", "--pdf"}, "--pdf の後に"},
        {{"print", db, "0", "--pdf", pdf, "--pdf", pdf}, "--pdf が 2 回"},
        {{"print", db, "0", "--pdf", pdf, "--pages=3-1"}, "--pages は"},
        {{"print", db, "0", "--pdf", pdf, "--pages=0-1"}, "--pages は"},
        {{"print", db, "0", "--pdf", pdf, "--pages=a-b"}, "--pages は"},
        {{"print", db, "0", "--pdf", pdf, "--pages=3-3"}, "ページ数（2）を超えています"},
        {{"print", db, "0", "--pdf", pdf, "--table=lender"}, "不明な引数です: --table=lender"},
        {{"print", db, "x", "--pdf", pdf}, "事件番号（SEQ）は"},
        {{"print", db, "5", "--pdf", pdf}, "事件番号 5 の事件はありません。"},
        {{"print", folder / "none", "0", "--pdf", pdf}, "データベースフォルダがありません"},
        {{"print", db, "0", "--pdf", folder / "none/計算書.pdf"}, "PDF の保存先のフォルダがありません"},
        {{"print", db, "0", "--pdf", folder.path().string()}, "PDF の保存先がフォルダです"},
    };
    for (const auto& c : cases) {
        const Result result = Tool(c.args);
        EXPECT_EQ(result.code, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(std::filesystem::exists(pdf)) << c.message;
    }
}

}  // namespace
}  // namespace korvalen::printing
