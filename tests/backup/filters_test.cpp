// The file scan that turns pack patterns into the names the library gets.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>

#include "bridge_test_support.h"
#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/filters.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/paths.h"

namespace korvalen::backup {
namespace {

using Strings = std::vector<std::string>;

platform::FixedClock ClockAt(int year) { return platform::FixedClock(platform::DayNumberOf(year, 6, 15)); }

class FilterFilesTest : public fixtures::BridgeTest {
protected:
    Strings Run(TArchiverOptions& options, const std::string& base, const Strings& items, int year = 2024) {
        bool abort = false;
        return FilterFiles(options, base, items, abort, nullptr, ClockAt(year));
    }
    Strings Run(const Strings& items) {
        TArchiverOptions options;
        return Run(options, "", items);
    }
    // Names relative to the temporary folder, for short expectations.
    Strings Short(const Strings& names) const {
        Strings out;
        for (const auto& name : names) out.push_back(name.substr(Temp("").size()));
        return out;
    }
};

TEST_F(FilterFilesTest, SortedWithoutRegardToCaseAndWithoutDuplicates) {
    for (const auto* name : {"db/b.dat", "db/A.dat", "db/c.DAT", "db/c.idx", "db/note.txt"}) WriteFile(name);
    const Strings found = Run({Temp("db/*.dat"), Temp("db/*.idx"), Temp("db/b.*")});
    EXPECT_EQ(Short(found), (Strings{"db/A.dat", "db/b.dat", "db/c.DAT", "db/c.idx"}));
}

#ifndef _WIN32
// Two files whose names differ only in letter case are two files here, and
// both must reach the archive.
TEST_F(FilterFilesTest, NamesDifferingInCaseAreBothKept) {
    WriteFile("db/x.dat", "lower");
    WriteFile("db/X.dat", "upper");
    EXPECT_EQ(Short(Run({Temp("db/*.dat")})), (Strings{"db/X.dat", "db/x.dat"}));
}
#endif

TEST_F(FilterFilesTest, PatternsMatchingNothingGiveAnEmptyList) {
    WriteFile("db/a.dat");
    EXPECT_TRUE(Run({Temp("db/*.blb"), Temp("nowhere/*.dat"), ""}).empty());
}

TEST_F(FilterFilesTest, HiddenFilesOnlyWithA) {
    WriteFile("db/.hidden.dat");
    WriteFile("db/shown.dat");
    const struct {
        TSwitch a;
        Strings expected;
    } cases[] = {
        {-1, {"db/shown.dat"}},
        {0, {"db/shown.dat"}},
        {1, {"db/.hidden.dat", "db/shown.dat"}},
    };
    for (const auto& c : cases) {
        TArchiverOptions options;
        options.a = c.a;
        EXPECT_EQ(Short(Run(options, "", {Temp("db/*.dat")})), c.expected) << int{c.a};
    }
}

TEST_F(FilterFilesTest, OnlyPlainFilesAreListed) {
    WriteFile("db/a.dat");
    QDir().mkpath(ToQString(Temp("db/folder.dat")));
#ifndef _WIN32
    // A FIFO would leave the library waiting for data that never comes.
    ASSERT_EQ(mkfifo(Temp("db/pipe.dat").c_str(), 0600), 0);
    ASSERT_TRUE(QFile::link(ToQString(Temp("db/a.dat")), ToQString(Temp("db/link.dat"))));
#endif
    Strings expected{"db/a.dat"};
#ifndef _WIN32
    expected.push_back("db/link.dat");
#endif
    EXPECT_EQ(Short(Run({Temp("db/*.dat")})), expected);
}

TEST(FilterTimeWindow, TwoDigitYearsSlideWithToday) {
    const struct {
        int yy, today, year;
    } cases[] = {{74, 2024, 1974}, {73, 2024, 2073}, {0, 2024, 2000},
                 {99, 2024, 1999}, {24, 2080, 2124}, {30, 2080, 2030}};
    for (const auto& c : cases) EXPECT_EQ(ExpandTwoDigitYear(c.yy, c.today), c.year) << c.yy << " in " << c.today;
}

TEST_F(FilterFilesTest, TimeWindow) {
    WriteFile("db/old.dat", "x", QDateTime(QDate(2024, 1, 1), QTime(10, 0, 0)));
    WriteFile("db/mid.dat", "x", QDateTime(QDate(2024, 1, 15), QTime(0, 0, 0)));
    WriteFile("db/new.dat", "x", QDateTime(QDate(2024, 2, 1), QTime(23, 59, 59)));
    const struct {
        const char* jo;
        const char* job;
        int today;
        Strings expected;
    } cases[] = {
        {"", "", 2024, {"db/mid.dat", "db/new.dat", "db/old.dat"}},
        {"240115", "", 2024, {"db/mid.dat", "db/new.dat"}},
        {"", "240115", 2024, {"db/mid.dat", "db/old.dat"}},
        {"l20240115", "", 2024, {"db/mid.dat", "db/new.dat"}},
        {"240115000001", "", 2024, {"db/new.dat"}},
        {"", "20240201235958", 2024, {"db/mid.dat", "db/old.dat"}},
        {"", "20240201235959", 2024, {"db/mid.dat", "db/new.dat", "db/old.dat"}},
        {"2401", "99", 2024, {"db/mid.dat", "db/new.dat", "db/old.dat"}},  // other lengths: no bound
        {"240101", "", 2080, {}},                                          // 24 is 2124 then
    };
    for (const auto& c : cases) {
        TArchiverOptions options;
        options.jo = c.jo;
        options.job = c.job;
        EXPECT_EQ(Short(Run(options, "", {Temp("db/*.dat")}, c.today)), c.expected) << c.jo << " / " << c.job;
        EXPECT_TRUE(options.jo.empty() && options.job.empty()) << "the library must not filter again";
    }
}

TEST_F(FilterFilesTest, ImpossibleTimeBoundIsRefused) {
    WriteFile("db/a.dat");
    for (const auto& [jo, job, message] : {
             std::tuple{"241340", "", "jo オプションの日時「241340」が正しくありません。"},
             std::tuple{"", "2024013x", "job オプションの日時「2024013x」が正しくありません。"},
             std::tuple{"", "240230", "job オプションの日時「240230」が正しくありません。"},
             std::tuple{"240101250000", "", "jo オプションの日時「240101250000」が正しくありません。"},
         }) {
        TArchiverOptions options;
        options.jo = jo;
        options.job = job;
        try {
            Run(options, "", {Temp("db/*.dat")});
            ADD_FAILURE() << "accepted " << jo << job;
        } catch (const EArchiver& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST_F(FilterFilesTest, Recursion) {
    for (const auto* name : {"db/a.dat", "db/sub/a.dat", "db/sub/deeper/d.dat", "db/.hid/c.dat", "db/sub/x.idx"}) {
        WriteFile(name);
    }
#ifndef _WIN32
    // A link back up must not send the scan round for ever.
    ASSERT_TRUE(QFile::link(ToQString(Temp("db")), ToQString(Temp("db/sub/loop"))));
#endif
    const struct {
        const char* what;
        TSwitch r, p;
        std::string item;
        Strings expected;
    } cases[] = {
        {"no r", -1, -1, Temp("db/*.dat"), {"db/a.dat"}},
        {"r into every folder, hidden ones too",
         1,
         -1,
         Temp("db/*.dat"),
         {"db/.hid/c.dat", "db/a.dat", "db/sub/a.dat", "db/sub/deeper/d.dat"}},
        {"p with a plain name: no recursion", 1, 1, Temp("db/a.dat"), {"db/a.dat"}},
        {"p 0 with a plain name: recursion", 1, 0, Temp("db/a.dat"), {"db/a.dat", "db/sub/a.dat"}},
        {"r 2 takes a folder whole",
         2,
         -1,
         Temp("db"),
         {"db/.hid/c.dat", "db/a.dat", "db/sub/a.dat", "db/sub/deeper/d.dat", "db/sub/x.idx"}},
        {"r 1 reads a folder as a name", 1, -1, Temp("db"), {}},
    };
    for (const auto& c : cases) {
        TArchiverOptions options;
        options.r = c.r;
        options.p = c.p;
        EXPECT_EQ(Short(Run(options, "", {c.item})), c.expected) << c.what;
        EXPECT_EQ(options.r, -1) << c.what;
        EXPECT_EQ(options.p, 1) << c.what;
    }
}

TEST_F(FilterFilesTest, BaseFolderAndRelativeNames) {
    for (const auto* name : {"db/a.dat", "db/b.idx", "db/sub/c.dat"}) WriteFile(name);
    const std::string base = Temp("db");
    const QString before = QDir::currentPath();
    const std::string sep(1, platform::kPathSeparator);
    const struct {
        const char* what;
        TSwitch jf, r;
        std::string base;
        Strings items;
        Strings expected;
    } cases[] = {
        {"relative items are taken from the base",
         -1,
         -1,
         base,
         {"*.dat", "sub" + sep + "*.dat"},
         {"a.dat", "sub" + sep + "c.dat"}},
        {"jf -2 makes absolute names relative", -2, 1, base, {Temp("db/*.dat")}, {"a.dat", "sub" + sep + "c.dat"}},
        {"jf -2 keeps relative names relative", -2, -1, base, {"sub" + sep + "*.dat"}, {"sub" + sep + "c.dat"}},
        {"jf -2 without a base changes nothing", -2, -1, "", {Temp("db/*.dat")}, {Temp("db/a.dat")}},
        {"no items: everything in the base", -1, -1, base, {}, {"a.dat", "b.idx"}},
        {"no items, with r", -1, 1, base, {}, {"a.dat", "b.idx", "sub" + sep + "c.dat"}},
    };
    for (const auto& c : cases) {
        TArchiverOptions options;
        options.jf = c.jf;
        options.r = c.r;
        EXPECT_EQ(Run(options, c.base, c.items), c.expected) << c.what;
        EXPECT_EQ(QDir::currentPath(), before) << "the process's current folder is left alone";
    }
}

TEST_F(FilterFilesTest, ExclusionsAreExpandedTheSameWay) {
    for (const auto* name : {"db/a.dat", "db/b.idx", "db/c.blb", "db/sub/d.idx"}) WriteFile(name);
    TArchiverOptions options;
    options.r = 1;
    options.jx = {Temp("db/*.idx")};
    EXPECT_EQ(Short(Run(options, "", {Temp("db/*.*")})), (Strings{"db/a.dat", "db/c.blb"}));

    TArchiverOptions relative;
    relative.jx = {"*.idx", "c.blb"};
    EXPECT_EQ(Run(relative, Temp("db"), {"*.*"}), (Strings{"a.dat"}));
}

TEST_F(FilterFilesTest, ProgressSeesEachNameOnceAndCanAbort) {
    for (const auto* name : {"db/a.dat", "db/b.dat", "db/c.dat"}) WriteFile(name);
    TArchiverOptions options;
    Strings seen;
    bool abort = false;
    FilterFiles(
        options, "", {Temp("db/*.dat"), Temp("db/a.*")}, abort,
        [&](const std::string& name, bool&) { seen.push_back(name); }, ClockAt(2024));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(Short(seen), (Strings{"db/a.dat", "db/b.dat", "db/c.dat"}));
    EXPECT_FALSE(abort);

    int calls = 0;
    FilterFiles(
        options, "", {Temp("db/*.dat"), Temp("db/a.*")}, abort,
        [&](const std::string&, bool& stop) { stop = ++calls == 1; }, ClockAt(2024));
    EXPECT_TRUE(abort);
    EXPECT_EQ(calls, 1) << "the scan stops at the raised flag";
}

TEST(FilterMask, Wildcards) {
    const struct {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"SinseiT13.dat", "*.dat", true},
        {"SinseiT13.DAT", "*.dat", true},
        {"a.dat.bak", "*.dat", false},
        {"noext", "*.*", true},
        {"noext", "noext.*", true},
        {"a.b", "?.b", true},
        {"ab.b", "?.b", false},
        {"債権.dat", "??.dat", true},
        {"anything", "*", true},
        {"a", "", false},
        {"abc", "a*c", true},
        {"abcd", "a*c", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;

    // Many stars over a long run of one letter: trying every split for every
    // star would not finish.
    const std::string run(64, 'a');
    EXPECT_FALSE(MatchesMask(run, "*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesMask(run + "b", "*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace korvalen::backup
