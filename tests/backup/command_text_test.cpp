// The command texts the libraries receive, token by token.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "bridge_test_support.h"
#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/cab32.h"
#include "korvalen/backup/lha32.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/paths.h"

namespace korvalen::backup {
namespace {

using fixtures::Tokens;
using Strings = std::vector<std::string>;

std::string Q(const std::string& text) { return "\"" + text + "\""; }
const std::string kSep(1, platform::kPathSeparator);

// The backup packs the three kinds of database file into one archive.
TEST(CommandText, LhaPackOfTheBackup) {
    TArchiverOptions o;
    o.jso = 1, o.n = 1, o.c = 0, o.m = 0;
    o.p = 1;  // what the file scan leaves on its copy
    const TArchiverCommand request{
        0, &o, "/bk/BAK_K240105/BAK_K240105.LZH", "", {"/db/SinseiT13.blb", "/db/SinseiT13.dat"}};
    EXPECT_EQ(Tokens(LhaCommandText("u", request, false, ruOnPack)),
              (Strings{"u", "-+", "-c0", "-m0", "-n1", "-p1", "-jso1", "", Q("/bk/BAK_K240105/BAK_K240105.LZH"),
                       Q("/db/SinseiT13.blb"), Q("/db/SinseiT13.dat"), ""}));
}

TEST(CommandText, CabPackOfTheBackup) {
    TArchiverOptions o;
    o.jso = 1, o.n = 1, o.c = 0, o.m = 0;
    o.p = 1, o.r = -1;
    const TArchiverCommand request{0, &o, "/bk/B/B.CAB", "", {"/db/a.dat", "/db/b.idx"}};
    EXPECT_EQ(Tokens(CabCommandText("-a", request, false, ruOnPack)),
              (Strings{"-a", "-i", "", Q("/bk/B/B.CAB"), Q("/db/a.dat"), Q("/db/b.idx"), ""}));
}

TEST(CommandText, LhaUnpackOfTheRestore) {
    TArchiverOptions o;
    o.jso = 1, o.jse = 0, o.x = 0, o.n = 1, o.c = 1, o.m = 1;
    const TArchiverCommand request{0, &o, "/bk/B/B.LZH", "/db", {}};
    EXPECT_EQ(
        Tokens(LhaCommandText("x", request, false, ruOnUnpack)),
        (Strings{"x", "-+", "-c1", "-m1", "-n1", "-x0", "-jse0", "-jso1", "", Q("/bk/B/B.LZH"), Q("/db" + kSep), ""}));
}

TEST(CommandText, LhaWritesEveryKindOfSwitchInPropertyOrder) {
    TArchiverOptions o;
    o.a = 2, o.u = 0, o.w = "work", o.x = 1, o.jn = 3, o.jo = "240101", o.job = "l240131";
    o.jp = 0, o.jso = 1, o.jw = 9, o.jx = {"*.bak", "*.tmp"}, o.jyc = 1, o.jz = "z";
    o.ga = 4, o.gp = 5, o.gr = "r", o.gs = 0, o.gw = 7;
    o.UserOptions = "-user";
    o.UserFileList = "extra";
    const TArchiverCommand request{0, &o, "A", "base", {"f"}};
    EXPECT_EQ(Tokens(LhaCommandText("d", request, false, ruOnRemoveItem)), (Strings{"d",
                                                                                    "-+",
                                                                                    "-a2",
                                                                                    "-u0",
                                                                                    Q("-wwork" + kSep),
                                                                                    "-x1",
                                                                                    "-jn3",
                                                                                    Q("-jo240101"),
                                                                                    Q("-jobl240131"),
                                                                                    "-jp0",
                                                                                    "-jso1",
                                                                                    "-jw9",
                                                                                    Q("-jx*.bak"),
                                                                                    Q("-jx*.tmp"),
                                                                                    "-jyc1",
                                                                                    Q("-jzz"),
                                                                                    "-ga4",
                                                                                    "-gp5",
                                                                                    Q("-grr"),
                                                                                    "-gs0",
                                                                                    "-gw7",
                                                                                    "-user",
                                                                                    Q("A"),
                                                                                    Q("base" + kSep),
                                                                                    Q("f"),
                                                                                    "extra"}));
}

TEST(CommandText, LhaOwnerWindowForcesNToOne) {
    for (const TSwitch n : {TSwitch{-1}, TSwitch{0}, TSwitch{3}}) {
        TArchiverOptions o;
        o.jso = 1, o.n = n;
        const TArchiverCommand request{0, &o, "A", "", {}};
        EXPECT_EQ(Tokens(LhaCommandText("u", request, true, ruOnPack)),
                  (Strings{"u", "-+", "-n1", "-jso1", "", Q("A"), ""}))
            << int{n};
    }
}

TEST(CommandText, LhaRefusesMissingJsoAndJse) {
    struct Case {
        const char* letter;
        TSwitch jse, jso;
        const char* message;  // nullptr: accepted
    } const cases[] = {
        {"x", -1, 1, "jse オプションが設定されていません。"},
        {"x", -1, -1, "jse オプションが設定されていません。"},
        {"x", 0, -1, "jso オプションが設定されていません。"},
        {"u", -1, -1, "jso オプションが設定されていません。"},
        {"", -1, -1, "jso オプションが設定されていません。"},
        {"u", -1, 1, nullptr},
        {"x", 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        TArchiverOptions o;
        o.jse = c.jse, o.jso = c.jso;
        const TArchiverCommand request{0, &o, "A", "", {}};
        if (c.message == nullptr) {
            EXPECT_NO_THROW(LhaCommandText(c.letter, request, false, std::nullopt)) << c.letter;
            continue;
        }
        try {
            LhaCommandText(c.letter, request, false, std::nullopt);
            ADD_FAILURE() << "accepted: " << c.letter << " jse=" << int{c.jse} << " jso=" << int{c.jso};
        } catch (const EAssertionFailed& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(CommandText, CabSwitches) {
    struct Case {
        const char* what;
        void (*set)(TArchiverOptions&);
        bool owner;
        Strings switches;
    } const cases[] = {
        {"nothing given", [](TArchiverOptions&) {}, false, {}},
        {"c exactly 1", [](TArchiverOptions& o) { o.c = 1; }, false, {"-o"}},
        {"c 2 is not 1", [](TArchiverOptions& o) { o.c = 2; }, false, {}},
        {"n above 0", [](TArchiverOptions& o) { o.n = 1; }, false, {"-i"}},
        {"n 0", [](TArchiverOptions& o) { o.n = 0; }, false, {}},
        {"owner window", [](TArchiverOptions&) {}, true, {"-i"}},
        {"r above 0", [](TArchiverOptions& o) { o.r = 1; }, false, {"-r"}},
        {"w as h", [](TArchiverOptions& o) { o.w = "tmp"; }, false, {Q("-htmp" + kSep)}},
        {"x 0", [](TArchiverOptions& o) { o.x = 0; }, false, {"-j"}},
        {"x 1", [](TArchiverOptions& o) { o.x = 1; }, false, {}},
        {"ji above 0", [](TArchiverOptions& o) { o.ji = 1; }, false, {"-q"}},
        {"LHA-only switches ignored, no assertion",
         [](TArchiverOptions& o) { o.a = 1, o.jso = -1, o.jse = -1, o.p = 1; },
         false,
         {}},
        {"all, in order",
         [](TArchiverOptions& o) { o.ji = 1, o.x = 0, o.w = "t", o.r = 2, o.n = 1, o.c = 1; },
         false,
         {"-o", "-i", "-r", Q("-ht" + kSep), "-j", "-q"}},
    };
    for (const auto& c : cases) {
        TArchiverOptions o;
        c.set(o);
        const TArchiverCommand request{0, &o, "A.CAB", "", {}};
        Strings expected{"-x"};
        expected.insert(expected.end(), c.switches.begin(), c.switches.end());
        expected.insert(expected.end(), {"", Q("A.CAB"), ""});
        EXPECT_EQ(Tokens(CabCommandText("-x", request, c.owner, ruOnUnpack)), expected) << c.what;
    }
}

TEST(CommandText, FileListGoesThroughTheResponseFileOnlyForItsOperations) {
    QTemporaryDir dir;
    const std::string res = FromQString(dir.filePath("res.txt"));
    struct Case {
        const char* what;
        std::optional<TResFileUse> use;
        TResFileUsage usage;
        std::string resName;
        bool viaFile;
    } const cases[] = {
        {"pack with ruOnPack", ruOnPack, {ruOnPack, ruOnUnpack, ruOnRemoveItem}, res, true},
        {"update lacks ruOnUpdate by default", ruOnUpdate, {ruOnPack, ruOnUnpack, ruOnRemoveItem}, res, false},
        {"update with ruOnUpdate", ruOnUpdate, {ruOnUpdate}, res, true},
        {"no response file name", ruOnPack, {ruOnPack}, "", false},
        {"operation without a member", std::nullopt, {ruOnPack, ruOnUnpack, ruOnRemoveItem, ruOnUpdate}, res, false},
    };
    for (const auto& c : cases) {
        QFile::remove(ToQString(res));
        TArchiverOptions o;
        o.jso = 1;
        o.ResFileUsage = c.usage;
        o.ResFileName = c.resName;
        o.UserFileList = "tail";
        const TArchiverCommand request{0, &o, "A", "", {"a.dat", "b.dat"}};
        const Strings tokens = Tokens(LhaCommandText("u", request, false, c.use));
        const Strings names(tokens.end() - (c.viaFile ? 2 : 3), tokens.end());
        if (c.viaFile) {
            EXPECT_EQ(names, (Strings{Q("@" + res), "tail"})) << c.what;
            EXPECT_TRUE(QFile::exists(ToQString(res))) << c.what;
        } else {
            EXPECT_EQ(names, (Strings{Q("a.dat"), Q("b.dat"), "tail"})) << c.what;
            EXPECT_FALSE(QFile::exists(ToQString(res))) << c.what;
        }
    }
}

}  // namespace
}  // namespace korvalen::backup
