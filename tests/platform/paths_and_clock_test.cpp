#include <gtest/gtest.h>

#include <ctime>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/paths.h"

namespace korvalen::platform {
namespace {

TEST(Paths, TrailingSeparatorKeepsEmptyTextEmpty) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(WithTrailingSeparator(""), "");
    EXPECT_EQ(WithTrailingSeparator("db"), "db" + sep);
    EXPECT_EQ(WithTrailingSeparator("db" + sep), "db" + sep);
    EXPECT_EQ(WithTrailingSeparator(sep), sep);
}

TEST(Paths, FoldersCompareIgnoringAsciiCaseOnly) {
    EXPECT_TRUE(SameFolder("/Home/Vex/KorvalenDB/", "/home/vex/korvalendb/"));
    EXPECT_FALSE(SameFolder("/home/vex/KorvalenDB/", "/home/vex/KorvalenDB"));
    EXPECT_FALSE(SameFolder("/データ/", "/デエタ/"));
    // Full-width letters are not ASCII and keep their case.
    EXPECT_FALSE(SameFolder("/ＡＢ/", "/ａｂ/"));
    EXPECT_EQ(UpperAscii("c:\\program files\\vex\\データ"), "C:\\PROGRAM FILES\\VEX\\データ");
}

TEST(Paths, UncPathsBeginWithTwoSeparators) {
    const std::pair<const char*, bool> cases[] = {
        {"\\\\server\\share\\", true},
        {"//server/share/", true},
        {"\\/server", true},
        {"/srv/share/", false},
        {"C:\\vex\\", false},
        {"\\", false},
        {"", false},
    };
    for (const auto& [path, unc] : cases) {
        EXPECT_EQ(IsUncPath(path), unc) << path;
    }
}

TEST(Clock, DaysCountFrom30December1899) {
    EXPECT_EQ(DayNumberOf(1899, 12, 30), 0);
    EXPECT_EQ(DayNumberOf(1900, 1, 1), 2);
    EXPECT_EQ(DayNumberOf(2000, 1, 1), 36526);
    EXPECT_EQ(DayNumberOf(2024, 2, 29), 45351);
    EXPECT_THROW(DayNumberOf(2023, 2, 29), std::invalid_argument);
}

TEST(Clock, SystemClockGivesTheLocalDate) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::int32_t expected = DayNumberOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const std::int32_t today = SystemClock().Today();
    // A midnight between the two readings moves the date by one.
    EXPECT_TRUE(today == expected || today == expected + 1) << today << " vs " << expected;
}

}  // namespace
}  // namespace korvalen::platform
