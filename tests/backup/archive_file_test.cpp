// The archive component against the fake libraries: what reaches the library,
// what comes back, and the progress relay.
#include <gtest/gtest.h>

#include <QRect>
#include <QStringList>
#include <cstring>

#include "bridge_test_support.h"
#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/archive_file.h"
#include "korvalen/backup/cab32.h"
#include "korvalen/backup/lha32.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/paths.h"

namespace korvalen::backup {
namespace {

using fixtures::Tokens;
using Strings = std::vector<std::string>;

std::string Q(const std::string& text) { return "\"" + text + "\""; }
constexpr ArcWindow kDialog = 0x1234;

class ArchiveFileTest : public fixtures::BridgeTest {
protected:
    void SetUp() override {
        fixtures::BridgeTest::SetUp();
        for (const auto* name : {"SinseiT13.dat", "SinseiT13.idx", "SinseiT13.blb", "CSConM.dat", "notes.txt"}) {
            WriteFile(std::string("db/") + name);
        }
        db_ = Temp("db");
    }
    std::string Db(const std::string& name) const { return JoinPath(db_, name); }
    TArchiveItems DatabasePatterns() const { return {Strings{Db("*.dat"), Db("*.idx"), Db("*.blb")}}; }
    std::string db_;
};

TEST_F(ArchiveFileTest, BackupPackReachesUnlha32TokenByToken) {
    const std::string archive = Temp("bk/BAK_K240105/BAK_K240105.LZH");
    TArchiveFile file;
    file.SetFileName(archive);
    file.SetOutputSize(8192);
    file.Options().jso = 1, file.Options().n = 1, file.Options().c = 0, file.Options().m = 0;
    EXPECT_EQ(file.PackFiles(kDialog, nullptr, "", DatabasePatterns()), 0);

    EXPECT_EQ(Lha().commandCalls, 1);
    EXPECT_EQ(Tokens(Lha().lastCommand),
              (Strings{"u", "-+", "-c0", "-m0", "-n1", "-p1", "-jso1", "", Q(archive), Q(Db("CSConM.dat")),
                       Q(Db("SinseiT13.blb")), Q(Db("SinseiT13.dat")), Q(Db("SinseiT13.idx")), ""}));
    EXPECT_EQ(Lha().lastWindow, kDialog);
    EXPECT_EQ(Lha().lastOutputSize, 8192u);
    EXPECT_FALSE(Lha().lastOutputWasNull);
    EXPECT_EQ(file.OutputText(), "fake output");
    EXPECT_EQ(file.LastCommandLine(), Lha().lastCommand);
    EXPECT_EQ(Cab().commandCalls, 0);
}

TEST_F(ArchiveFileTest, BackupPackReachesCab32TokenByToken) {
    const std::string archive = Temp("bk/B/B.CAB");
    TArchiveFile file;
    file.SetFileName(archive);
    file.SetOutputSize(8192);
    file.Options().jso = 1, file.Options().n = 1, file.Options().c = 0, file.Options().m = 0;
    EXPECT_EQ(file.PackFiles(kDialog, nullptr, "", DatabasePatterns()), 0);
    EXPECT_EQ(Tokens(Cab().lastCommand),
              (Strings{"-a", "-i", "", Q(archive), Q(Db("CSConM.dat")), Q(Db("SinseiT13.blb")), Q(Db("SinseiT13.dat")),
                       Q(Db("SinseiT13.idx")), ""}));
    EXPECT_EQ(Cab().lastOutputSize, 8192u);
    EXPECT_EQ(Cab().lastWindow, kDialog);
}

TEST_F(ArchiveFileTest, RestoreUnpackReachesUnlha32TokenByToken) {
    const std::string archive = Temp("bk/B/B.LZH");
    const std::string destination = platform::WithTrailingSeparator(db_);
    TArchiveFile file;
    file.SetFileName(archive);
    file.Options().jso = 1, file.Options().jse = 0;
    file.SetOutputSize(8192);
    file.Options().x = 0, file.Options().n = 1, file.Options().c = 1, file.Options().m = 1;
    EXPECT_EQ(file.UnpackFiles(kDialog, nullptr, destination, {}), 0);
    EXPECT_EQ(Tokens(Lha().lastCommand),
              (Strings{"x", "-+", "-c1", "-m1", "-n1", "-x0", "-jse0", "-jso1", "", Q(archive), Q(destination), ""}));
    EXPECT_EQ(Lha().lastOutputSize, 8192u);
    EXPECT_EQ(file.LastCommandLine(), Lha().lastCommand);

    // Named members follow the folder, as given.
    file.UnpackFiles(kDialog, nullptr, destination, {"SinseiT13.dat", Strings{"a b.idx"}});
    const Strings tokens = Tokens(Lha().lastCommand);
    EXPECT_EQ(Strings(tokens.end() - 4, tokens.end()), (Strings{Q(destination), Q("SinseiT13.dat"), Q("a b.idx"), ""}));
}

TEST_F(ArchiveFileTest, LibraryCodeComesBackUnchanged) {
    Lha().commandResult = ARC_ERR_FILE_CREATE;
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1;
    EXPECT_EQ(file.PackFiles(0, nullptr, "", DatabasePatterns()), ARC_ERR_FILE_CREATE);
    file.Options().jse = 0;
    EXPECT_EQ(file.UnpackFiles(0, nullptr, db_, {}), ARC_ERR_FILE_CREATE);
}

TEST_F(ArchiveFileTest, NoOutputBufferWithOutputSizeZero) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1;
    file.PackFiles(0, nullptr, "", DatabasePatterns());
    EXPECT_TRUE(Lha().lastOutputWasNull);
    EXPECT_EQ(Lha().lastOutputSize, 0u);
    EXPECT_EQ(file.OutputText(), "");
}

TEST_F(ArchiveFileTest, NothingMatchedMeansNoCallAndAnEmptyOutput) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.SetOutputSize(8192);
    file.Options().jso = 1;
    file.PackFiles(0, nullptr, "", DatabasePatterns());
    ASSERT_EQ(file.OutputText(), "fake output");
    const std::string last = file.LastCommandLine();

    EXPECT_EQ(file.PackFiles(0, nullptr, "", {Db("*.nothing")}), 0);
    EXPECT_EQ(Lha().commandCalls, 1);
    EXPECT_EQ(file.OutputText(), "");
    EXPECT_EQ(file.LastCommandLine(), last);
}

TEST_F(ArchiveFileTest, EmptyPackListTakesEveryFileOfTheBase) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1;
    file.PackFiles(0, nullptr, db_, {});
    const Strings tokens = Tokens(Lha().lastCommand);
    EXPECT_EQ(Strings(tokens.end() - 7, tokens.end()),
              (Strings{Q(platform::WithTrailingSeparator(db_)), Q("CSConM.dat"), Q("notes.txt"), Q("SinseiT13.blb"),
                       Q("SinseiT13.dat"), Q("SinseiT13.idx"), ""}));
}

TEST_F(ArchiveFileTest, ComponentFilterWorksOnACopyAndArchiverFilterPassesItemsOn) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    TArchiverOptions& options = file.Options();
    options.jso = 1, options.r = 1, options.p = 0, options.jx = {Db("*.idx")};

    file.PackFiles(0, nullptr, "", {Db("*.dat"), Db("*.idx")});
    EXPECT_EQ(Tokens(Lha().lastCommand), (Strings{"u", "-+", "-p1", "-jso1", "", Q(Temp("a.lzh")), Q(Db("CSConM.dat")),
                                                  Q(Db("SinseiT13.dat")), ""}))
        << "expanded, excluded, and no r, jx or time window left for the library";
    EXPECT_EQ(options.r, 1);
    EXPECT_EQ(options.p, 0);
    EXPECT_EQ(options.jx, Strings{Db("*.idx")});

    options.PackFilter = pfArchiver;
    file.PackFiles(0, nullptr, "", {Db("*.dat")});
    EXPECT_EQ(Tokens(Lha().lastCommand), (Strings{"u", "-+", "-p0", "-r1", "-jso1", Q("-jx" + Db("*.idx")), "",
                                                  Q(Temp("a.lzh")), Q(Db("*.dat")), ""}));
}

TEST_F(ArchiveFileTest, GivenSwitchSetWinsOverOptions) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    TArchiverOptions given;
    given.jso = 2;
    file.PackFiles(0, &given, "", {Db("SinseiT13.dat")});
    EXPECT_EQ(Tokens(Lha().lastCommand)[3], "-jso2");
    given.jse = 1;
    file.UnpackFiles(0, &given, db_, {});
    EXPECT_EQ(Tokens(Lha().lastCommand)[2], "-jse1");
}

TEST_F(ArchiveFileTest, ScanAbortReturns32800WithoutCallingTheLibrary) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1;
    std::vector<int> states;
    file.OnProgress = [&](TArchiveFile& sender, int state, const ArcProgressInfo* info, bool& abort) {
        EXPECT_EQ(&sender, &file);
        states.push_back(state);
        EXPECT_EQ(std::string(info->fileName), Db("CSConM.dat"));
        abort = true;
    };
    EXPECT_EQ(file.PackFiles(0, nullptr, "", DatabasePatterns()), 32800);
    EXPECT_EQ(states, std::vector<int>{2053});
    EXPECT_EQ(Lha().commandCalls, 0);
    EXPECT_EQ(file.LastCommandLine(), "");
}

TEST_F(ArchiveFileTest, ProgressRelayDuringPack) {
    Lha().progressReports = 3;
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1;
    std::vector<int> states;
    file.OnProgress = [&](TArchiveFile&, int state, const ArcProgressInfo* info, bool&) {
        states.push_back(state);
        if (state == ARC_PROGRESS_IN_PROCESS) {
            EXPECT_STREQ(info->fileName, "member.dat");
        }
    };
    EXPECT_EQ(file.PackFiles(kDialog, nullptr, "", {Db("SinseiT13.*")}), 0);
    EXPECT_EQ(states, (std::vector<int>{2053, 2053, 2053, 1, 1, 1}));
    EXPECT_STREQ(Lha().calls, "SetOwnerWindowEx Command KillOwnerWindowEx ");
    EXPECT_EQ(Lha().ownerCallback, nullptr) << "the relay was stopped";
    EXPECT_EQ(Tokens(Lha().lastCommand)[2], "-n1") << "an owner window asks for n=1";
    EXPECT_NE(Lha().lastWindow, kDialog) << "the command goes out with the relay's window";
}

TEST_F(ArchiveFileTest, ProgressHandlerCanAbortTheLibrary) {
    Lha().progressReports = 5;
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1;
    file.OnProgress = [](TArchiveFile&, int state, const ArcProgressInfo*, bool& abort) { abort = state == 1; };
    EXPECT_EQ(file.PackFiles(0, nullptr, "", {Db("SinseiT13.dat")}), ARC_ERR_CANCELLED);
    EXPECT_EQ(Lha().progressAnswers, 1);
}

TEST_F(ArchiveFileTest, ProgressHandlerErrorReachesTheCaller) {
    Lha().progressReports = 5;
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1, file.Options().jse = 0;
    file.OnProgress = [](TArchiveFile&, int state, const ArcProgressInfo*, bool&) {
        if (state == 1) throw std::runtime_error("handler failed");
    };
    try {
        file.UnpackFiles(0, nullptr, db_, {});
        ADD_FAILURE() << "the handler's error was lost";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "handler failed");
    }
    EXPECT_EQ(Lha().progressAnswers, 1) << "the library was told to stop";
    EXPECT_EQ(Lha().ownerCallback, nullptr);
    EXPECT_EQ(file.LastCommandLine(), Lha().lastCommand);

    // The kept error is spent: the next command runs normally.
    file.OnProgress = [](TArchiveFile&, int, const ArcProgressInfo*, bool&) {};
    EXPECT_EQ(file.UnpackFiles(0, nullptr, db_, {}), 0);
}

// An unpack loads its library only at the command; the relay must not be
// lost on the first unpack of a run because of that.
TEST_F(ArchiveFileTest, FirstUnpackOfARunRelaysProgress) {
    Lha().progressReports = 2;
    ASSERT_FALSE(ArchiverLibraries::Obtain(TArchiverLibraryKind::Lha).Loaded());
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1, file.Options().jse = 0;
    int reports = 0;
    file.OnProgress = [&](TArchiveFile&, int, const ArcProgressInfo*, bool&) { ++reports; };
    file.UnpackFiles(0, nullptr, db_, {});
    EXPECT_EQ(reports, 2);
    EXPECT_STREQ(Lha().calls, "SetOwnerWindowEx Command KillOwnerWindowEx ");
}

TEST_F(ArchiveFileTest, NoRelayWithoutHandler) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1;
    file.PackFiles(kDialog, nullptr, "", {Db("SinseiT13.dat")});
    EXPECT_STREQ(Lha().calls, "Command ");
    EXPECT_EQ(Lha().lastWindow, kDialog);
}

TEST_F(ArchiveFileTest, MissingLibrary) {
    ArchiverLibraries::SetSearchFolder(Temp("none"));
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    file.Options().jso = 1, file.Options().jse = 0;
    try {
        file.PackFiles(0, nullptr, "", DatabasePatterns());
        FAIL() << "packed without a library";
    } catch (const ENoArchiverDLL& e) {
        EXPECT_STREQ(e.what(), "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
    }
    EXPECT_EQ(file.LastCommandLine(), "") << "Pack never ran";

    // An unpack finds out at its command, which it had built by then.
    EXPECT_THROW(file.UnpackFiles(0, nullptr, db_, {}), ENoArchiverDLL);
    EXPECT_EQ(Tokens(file.LastCommandLine())[0], "x");

    file.SetFileName(Temp("a.cab"));
    try {
        file.PackFiles(0, nullptr, "", DatabasePatterns());
        FAIL() << "packed without a library";
    } catch (const ENoArchiverDLL& e) {
        EXPECT_STREQ(e.what(), "CAB 形式書庫 を扱うには CAB32.DLL が 必要です。");
    }
}

TEST_F(ArchiveFileTest, MissingJsoStopsThePackBeforeTheLibrary) {
    TArchiveFile file;
    file.SetFileName(Temp("a.lzh"));
    try {
        file.PackFiles(0, nullptr, "", DatabasePatterns());
        FAIL() << "no error";
    } catch (const EArchiver& e) {
        EXPECT_STREQ(e.what(), "jso オプションが設定されていません。");
    }
    EXPECT_EQ(Lha().commandCalls, 0);
}

TEST_F(ArchiveFileTest, NoFormatObjectForPackOrUnpack) {
    TArchiveFile file;
    file.SetArchiverType(atNone);
    for (const auto& run : {std::function<void()>([&] { file.UnpackFiles(0, nullptr, db_, {}); }),
                            std::function<void()>([&] { file.PackFiles(0, nullptr, "", DatabasePatterns()); })}) {
        try {
            run();
            ADD_FAILURE() << "no error";
        } catch (const EArchiver& e) {
            EXPECT_STREQ(e.what(), "書庫の形式を判別できません。");
        }
    }
}

TEST_F(ArchiveFileTest, OtherOperationsAndTheirCommands) {
    TArchiverOptions options;
    options.jso = 1;
    options.jse = 0;
    const TArchiverCommand request{kDialog, &options, "rel.cab", "", {"a.dat"}};
    TLha32 lha;
    TCab32 cab;
    const struct {
        const char* what;
        std::function<void()> run;
        bool cabSide;
        std::string first;
    } cases[] = {
        {"LHA delete", [&] { lha.Delete(request); }, false, "d"},
        {"LHA update", [&] { lha.Update(request); }, false, "f"},
        {"LHA self-extractor", [&] { lha.MakeSfx(request); }, false, "s"},
        {"LHA to memory", [&] { lha.UnpackToMemory(request, {}); }, false, ""},
        {"CAB self-extractor", [&] { cab.MakeSfx(request); }, true, "-f"},
        {"CAB to memory", [&] { cab.UnpackToMemory(request, {}); }, true, ""},
        {"CAB unpack", [&] { cab.Unpack(request); }, true, "-x"},
    };
    for (const auto& c : cases) {
        c.run();
        EXPECT_EQ(Tokens((c.cabSide ? Cab() : Lha()).lastCommand)[0], c.first) << c.what;
    }
    EXPECT_EQ(Tokens(Cab().lastCommand)[2], Q(AbsolutePath("rel.cab"))) << "CAB unpacks an absolute path";
    EXPECT_NE(std::string(Lha().calls).find("ExtractMem"), std::string::npos);

    std::strcpy(Lha().magic, "LHAF");
    lha.Check(WriteFile("c.lzh", "LHAF"), 16, 3);
    EXPECT_EQ(Lha().lastCheckMode, 19) << "the two mode arguments are added";
}

// A format object that overrides nothing but the one slot it must.
class BareArchiver : public TArchiver {
public:
    int Unpack(const TArchiverCommand&) override { return 0; }
};

TEST(ArchiverBase, UnsupportedOperationsSayWhichOne) {
    TArchiverOptions options;
    const TArchiverCommand request{0, &options, "a", "", {}};
    BareArchiver bare;
    TCab32 cab;
    const struct {
        std::function<void()> run;
        const char* message;
    } cases[] = {
        {[&] { bare.Pack(request); }, "この形式では書庫ファイルの作成をサポートしておりません。"},
        {[&] { bare.Delete(request); }, "この形式の書庫ではファイルの削除をサポートしておりません。"},
        {[&] { cab.Delete(request); }, "この形式の書庫ではファイルの削除をサポートしておりません。"},
        {[&] { bare.Update(request); }, "この形式の書庫では書庫の更新をサポートしておりません。"},
        {[&] { cab.Update(request); }, "この形式の書庫では書庫の更新をサポートしておりません。"},
        {[&] { bare.MakeSfx(request); }, "この形式では自己解凍書庫の作成をサポートしておりません。"},
        {[&] { bare.UnpackToMemory(request, {}); }, "この形式ではメモリへの展開をサポートしておりません。"},
        {[&] { bare.Check("a", 0, 0); }, "この形式では書庫チェック機能をサポートしておりません。"},
        {[&] { bare.LoadDLL(); }, "Abstract method 'TArchiver.LoadDLL' was called"},
        {[&] { bare.Prepare(); }, "Abstract method 'TArchiver.LoadDLL' was called"},
        {[&] { bare.FreeDLL(); }, "Abstract method 'TArchiver.FreeDLL' was called"},
    };
    for (const auto& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EArchiver& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    ArcEntryInfo info{};
    EXPECT_EQ(bare.OpenArchive(0, "a", 0), 0u);
    EXPECT_EQ(bare.FindFirst(1, "*", info), -1);
    EXPECT_EQ(bare.FindNext(1, info), -1);
    EXPECT_EQ(bare.CloseArchive(1), 0);
}

TEST(ArchiveItems, EveryKindGathersInOrder) {
    const char* const array[] = {"c", "d", nullptr};
    const TArchiveItems items{
        "a",
        std::string("b"),
        array,
        Strings{"e", "f"},
        QVariant(QStringList{"g", "h"}),
        QVariant(QVariantList{QVariant("i"), QVariant(7), QVariant(QRect(0, 0, 1, 1)), QVariant()}),
        QVariant("j"),
        QVariant(QRect(0, 0, 1, 1)),
        QVariant(),
        static_cast<const char*>(nullptr),
    };
    EXPECT_EQ(GatherItems(items), (Strings{"a", "b", "c", "d", "e", "f", "g", "h", "i", "7", "j"}));
}

}  // namespace
}  // namespace korvalen::backup
