#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/cmd_opt.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/paths.h"

namespace korvalen::backup {
namespace {

struct TokenCase {
    const char* what;
    std::function<void(TCmdOpt&)> add;
    std::string expected;
};

TEST(CmdOpt, TokenKinds) {
    const std::string sep(1, platform::kPathSeparator);
    const std::vector<TokenCase> cases = {
        {"plain token unchanged", [](TCmdOpt& c) { c.AddToken("-+"); }, " -+"},
        {"empty plain token still takes its blank", [](TCmdOpt& c) { c.AddToken(""); }, " "},
        {"switch -1 is left out", [](TCmdOpt& c) { c.AddSwitch("c", -1); }, ""},
        {"switch 0 is written", [](TCmdOpt& c) { c.AddSwitch("c", 0); }, " -c0"},
        {"switch in decimal", [](TCmdOpt& c) { c.AddSwitch("jso", 127); }, " -jso127"},
        {"empty named text skipped", [](TCmdOpt& c) { c.AddNamedText("jx", ""); }, ""},
        {"named text in one pair of quotes", [](TCmdOpt& c) { c.AddNamedText("jx", "*.bak"); }, " \"-jx*.bak\""},
        {"leading blank drops the dash", [](TCmdOpt& c) { c.AddNamedText(" jx", "v"); }, " \"jxv\""},
        {"unnamed text quoted", [](TCmdOpt& c) { c.AddText("a b"); }, " \"a b\""},
        {"empty unnamed text is an empty pair", [](TCmdOpt& c) { c.AddText(""); }, " \"\""},
        {"empty folder skipped", [](TCmdOpt& c) { c.AddFolder(""); }, ""},
        {"folder gets its separator", [](TCmdOpt& c) { c.AddFolder("d"); }, " \"d" + sep + "\""},
        {"folder keeps a single separator", [&](TCmdOpt& c) { c.AddFolder("d" + sep); }, " \"d" + sep + "\""},
        {"named folder", [](TCmdOpt& c) { c.AddNamedFolder("w", "tmp"); }, " \"-wtmp" + sep + "\""},
        {"separate mode: switch then quoted value",
         [](TCmdOpt& c) {
             c.SeparateValues = true;
             c.AddNamedText("w", "v");
         },
         " -w \"v\""},
        {"separate mode with a blank-led name",
         [](TCmdOpt& c) {
             c.SeparateValues = true;
             c.AddNamedText(" w", "v");
         },
         " w \"v\""},
        {"file name goes through the hook",
         [](TCmdOpt& c) {
             c.ConvertFileName = [](const std::string& n) { return "conv-" + n; };
             c.AddFileName("a.dat");
         },
         " \"conv-a.dat\""},
        {"tokens follow each other",
         [](TCmdOpt& c) {
             c.AddToken("-+");
             c.AddSwitch("n", 1);
             c.AddToken("");
             c.AddText("A");
         },
         " -+ -n1  \"A\""},
    };
    for (const auto& tc : cases) {
        TCmdOpt cmd;
        tc.add(cmd);
        EXPECT_EQ(cmd.Text(), tc.expected) << tc.what;
    }
}

TEST(CmdOpt, RefusesNamesThatWouldSplitTheCommand) {
    for (const std::string& bad :
         {std::string("a\"b"), std::string("a\nb"), std::string("a\rb"), std::string("a\0b", 3)}) {
        TCmdOpt cmd;
        try {
            cmd.AddFileName(bad);
            ADD_FAILURE() << "accepted a name with a control character";
        } catch (const EArchiver& e) {
            EXPECT_NE(std::string(e.what()).find("含まれています"), std::string::npos) << e.what();
        }
        EXPECT_EQ(cmd.Text(), "");
    }
}

TEST(CmdOpt, ResponseFileHoldsQuotedNamesOnCrLfLines) {
    QTemporaryDir dir;
    const std::string path = FromQString(dir.filePath("list.txt"));
    {
        QFile old(ToQString(path));  // an older, longer file must not shine through
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(std::string(200, 'z').c_str());
    }
    TCmdOpt cmd;
    cmd.AddResponseFile(path, {"a.dat", "sub dir/b.idx"});
    EXPECT_EQ(cmd.Text(), " \"@" + path + "\"");
    QFile file(ToQString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "\"a.dat\"\r\n\"sub dir/b.idx\"\r\n");
}

TEST(CmdOpt, ResponseFileThatCannotBeWrittenIsAnError) {
    QTemporaryDir dir;
    const std::string path = FromQString(dir.filePath("missing/list.txt"));
    TCmdOpt cmd;
    try {
        cmd.AddResponseFile(path, {"a.dat"});
        FAIL() << "no error";
    } catch (const EArchiver& e) {
        EXPECT_EQ(std::string(e.what()), "レスポンスファイル " + path + " を作成できませんでした。");
    }
    EXPECT_EQ(cmd.Text(), "");
}

}  // namespace
}  // namespace korvalen::backup
