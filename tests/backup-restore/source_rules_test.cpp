// The rules the dialog applies to the restore source as the user ticks
// CheckBox2 or chooses an archive.
#include <gtest/gtest.h>

#include "korvalen/backup/backup_restore.h"
#include "korvalen/platform/clock.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::backup {
namespace {

namespace fs = std::filesystem;
using testsupport::TempFolder;
using testsupport::WriteWholeFile;

TEST(ArchiveSource, LooksForTheArchiveNamedFromTheFirstBak) {
    TempFolder temp;
    const std::string base = temp.folder();
    fs::create_directories(base + "Backup/BAK_K240105");
    fs::create_directories(base + "BAKUP/BAK_K240105");
    fs::create_directories(base + "plain");
    WriteWholeFile(base + "Backup/BAK_K240105/BAK_K240105.LZH", "x");
    WriteWholeFile(base + "BAKUP/BAK_K240105/BAKUPBAK_K240105.LZH", "x");
    // The temporary path holds no "BAK", so the whole path without separators names the archive.
    std::string bare;
    for (char c : base + "plain") {
        if (c != '/') bare += c;
    }
    WriteWholeFile(base + "plain/" + bare + ".LZH", "x");
    struct Case {
        std::string text;
        bool enabled;
        std::string after;
    };
    const Case cases[] = {
        {base + "Backup/BAK_K240105/", true, base + "Backup/BAK_K240105/BAK_K240105.LZH"},
        {base + "Backup/BAK_K240105", true, base + "Backup/BAK_K240105/BAK_K240105.LZH"},
        // From the first "BAK" anywhere in the path.
        {base + "BAKUP/BAK_K240105/", true, base + "BAKUP/BAK_K240105/BAKUPBAK_K240105.LZH"},
        // Without a "BAK", the whole path without separators names it.
        {base + "plain", true, base + "plain/" + bare + ".LZH"},
        // A text naming an archive is taken as it is, existing or not.
        {base + "elsewhere/any.LZH", true, base + "elsewhere/any.LZH"},
        {base + "elsewhere/any.lzh", false, base + "elsewhere/any.lzh"},
        {base + "Backup/", false, base + "Backup/"},
    };
    for (const Case& c : cases) {
        const ArchiveSource source = ArchiveSourceFor(c.text);
        EXPECT_EQ(source.openEnabled, c.enabled) << c.text;
        EXPECT_EQ(source.text, c.after) << c.text;
    }
    // At most 100 characters of the name are used.
    const std::string longName = "BAK" + std::string(120, 'x');
    fs::create_directories(base + longName);
    WriteWholeFile(base + longName + "/" + longName.substr(0, 100) + ".LZH", "x");
    EXPECT_TRUE(ArchiveSourceFor(base + longName).openEnabled);
}

TEST(ArchiveSource, AChosenArchiveWithBoth888And999NeedsItsCompanion) {
    TempFolder temp;
    const std::string base = temp.folder();
    EXPECT_TRUE(ChosenArchiveEnablesOpen(base + "BAK_K240105.LZH"));
    EXPECT_TRUE(ChosenArchiveEnablesOpen(base + "BAK888.LZH"));
    EXPECT_FALSE(ChosenArchiveEnablesOpen(base + "BAK888999.LZH"));
    WriteWholeFile(base + "BAK888999888.LZH", "x");
    EXPECT_TRUE(ChosenArchiveEnablesOpen(base + "BAK888999.LZH"));
}

TEST(RestoreSource, AFolderHoldsADatabaseWhenItHasTheCaseTable) {
    TempFolder temp;
    EXPECT_FALSE(HoldsDatabase(temp.folder()));
    WriteWholeFile(temp.path() / "SinseiT13.dat", "x");
    EXPECT_TRUE(HoldsDatabase(temp.path().string()));
    EXPECT_TRUE(HoldsDatabase(temp.folder()));
    EXPECT_FALSE(HoldsDatabase(""));
}

TEST(DefaultBackupFolderName, IsBakKAndTheDayAsYymmdd) {
    EXPECT_EQ(DefaultBackupFolderName(platform::DayNumberOf(2024, 1, 5)), "BAK_K240105");
    EXPECT_EQ(DefaultBackupFolderName(platform::DayNumberOf(2009, 12, 31)), "BAK_K091231");
}

}  // namespace
}  // namespace korvalen::backup
