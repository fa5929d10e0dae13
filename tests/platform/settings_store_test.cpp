#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "korvalen/platform/errors.h"
#include "korvalen/platform/installation.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::platform {
namespace {

using korvalen::testsupport::ReadWholeFile;
using korvalen::testsupport::TempFolder;
using korvalen::testsupport::WriteWholeFile;

constexpr const char* kKey = "Software\\vex\\Korvalen_1";

TEST(IniSettingsStore, KeysMapToOneIniFilePerKeyUnderTheRoot) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    EXPECT_EQ(store.FileFor("Software\\vex\\Korvalen_1"), root / "vex/Korvalen_1.ini");
    EXPECT_EQ(store.FileFor("Software\\vex\\KorvalenVer"), root / "vex/KorvalenVer.ini");
    EXPECT_EQ(store.FileFor("SOFTWARE\\vex\\Korvalen_2"), root / "vex/Korvalen_2.ini");

    for (const char* bad :
         {"", "Software\\", "Software\\..\\x", "Software\\vex\\\\x", "Software\\a/b", "Software\\.\\x"}) {
        EXPECT_THROW(store.FileFor(bad), std::invalid_argument) << bad;
    }
}

TEST(IniSettingsStore, ValuesSurviveTheFileVerbatim) {
    TempFolder root;
    const std::vector<std::pair<std::string, std::string>> values = {
        {"DBPath", "/home/yamada/vex/Korvalen/KorvalenDB/"},
        {"Windows", "C:\\Program Files\\vex\\"},
        {"Empty", ""},
        {"Comma", "a, b"},
        {"Blanks", "  lead and trail  "},
        {"At", "@Variant(x)"},
        {"Signs", "x=1;y#2\"q\""},
        {"Japanese", "山田　太郎（ﾃｽﾄ）"},
    };
    {
        IniSettingsStore store(root.path().string());
        for (const auto& [name, value] : values) {
            store.Write(kKey, "CONST", name, value);
        }
    }
    ASSERT_TRUE(std::filesystem::exists(root / "vex/Korvalen_1.ini"));
    IniSettingsStore reopened(root.path().string());
    for (const auto& [name, value] : values) {
        EXPECT_EQ(reopened.Read(kKey, "CONST", name, "fallback"), value) << name;
    }
}

TEST(IniSettingsStore, ASectionCalledGeneralStaysApartFromValuesOutsideSections) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    store.Write(kKey, "General", "Value", "in section");
    store.Write(kKey, "", "Value", "outside");
    EXPECT_EQ(store.Read(kKey, "General", "Value"), "in section");
    EXPECT_EQ(store.Read(kKey, "", "Value"), "outside");
    EXPECT_NE(ReadWholeFile(root / "vex/Korvalen_1.ini").find("[%General]"), std::string::npos);
}

TEST(IniSettingsStore, MissingValuesReadAsTheFallbackAndReadingCreatesNothing) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    EXPECT_EQ(store.Read(kKey, "CONST", "DBPath", "default"), "default");
    EXPECT_FALSE(std::filesystem::exists(root / "vex"));

    store.Write(kKey, "CONST", "Other", "x");
    EXPECT_EQ(store.Read(kKey, "CONST", "DBPath", "default"), "default");
    EXPECT_EQ(store.Read(kKey, "SETTING", "Other", "default"), "default");
}

TEST(IniSettingsStore, NamesMatchIgnoringCaseAndKeepTheirFirstSpelling) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    store.Write(kKey, "CONST", "DBPath", "first");
    store.Write(kKey, "const", "dbpath", "second");

    EXPECT_EQ(store.Read(kKey, "Const", "DBPATH"), "second");
    const std::string file = ReadWholeFile(root / "vex/Korvalen_1.ini");
    EXPECT_NE(file.find("[CONST]\nDBPath=second"), std::string::npos) << file;
    EXPECT_EQ(file.find("dbpath"), std::string::npos) << file;
    EXPECT_EQ(file.find("[const]"), std::string::npos) << file;
}

TEST(IniSettingsStore, RemoveDeletesOneValueOnly) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    store.Write(kKey, "BACKUP", "DATE", "45000");
    store.Write(kKey, "BACKUP", "BackDir", "/backup/");
    store.Remove(kKey, "backup", "date");
    store.Remove(kKey, "BACKUP", "NotThere");
    store.Remove("Software\\vex\\NoSuchKey", "X", "Y");

    EXPECT_EQ(store.Read(kKey, "BACKUP", "DATE", "none"), "none");
    EXPECT_EQ(store.Read(kKey, "BACKUP", "BackDir"), "/backup/");
    EXPECT_FALSE(std::filesystem::exists(root / "vex/NoSuchKey.ini"));
}

TEST(IniSettingsStore, HandEditedListsReadAsTheirText) {
    TempFolder root;
    std::filesystem::create_directories(root / "vex");
    WriteWholeFile(root / "vex/Korvalen_1.ini", "[SETTING]\nPROXY_ADDRESS=a, b\n");
    IniSettingsStore store(root.path().string());
    EXPECT_EQ(store.Read(kKey, "SETTING", "PROXY_ADDRESS"), "a, b");
}

// A settings file in another encoding (copied, or edited by hand as
// Shift-JIS) is refused with its name rather than read or written mangled.
TEST(IniSettingsStore, AFileThatIsNotUtf8IsRefusedAndLeftAlone) {
    TempFolder root;
    std::filesystem::create_directories(root / "vex");
    const std::string bytes = "[CONST]\nDBPath=C:\\\x83\x66\x81\x5B\x83\x5E\nOther=caf\xE9\n";
    WriteWholeFile(root / "vex/Korvalen_1.ini", bytes);
    IniSettingsStore store(root.path().string());
    try {
        store.Read(kKey, "CONST", "DBPath");
        ADD_FAILURE() << "read mangled";
    } catch (const PlatformError& error) {
        EXPECT_NE(std::string(error.what()).find("Korvalen_1.ini"), std::string::npos) << error.what();
    }
    EXPECT_THROW(store.Write(kKey, "CONST", "Third", "x"), PlatformError);
    EXPECT_THROW(store.Remove(kKey, "CONST", "Other"), PlatformError);
    EXPECT_EQ(ReadWholeFile(root / "vex/Korvalen_1.ini"), bytes);
}

TEST(IniSettingsStore, AWriteThatCannotBeStoredThrowsWithAJapaneseText) {
    TempFolder root;
    WriteWholeFile(root / "vex", "a file where the key's folder should be");
    IniSettingsStore store(root.path().string());
    try {
        store.Write(kKey, "CONST", "DBPath", "x");
        FAIL() << "no error";
    } catch (const PlatformError& error) {
        EXPECT_NE(std::string(error.what()).find("設定を保存できませんでした。"), std::string::npos);
    }
}

TEST(SettingsSection, ReadsTheConventionsOfNumbersFlagsAndOptions) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    SettingsSection section(store, kKey, "SETTING");

    struct Case {
        const char* stored;  // nullptr: value missing
        std::int64_t number;
        bool flag;
        bool option;
    };
    // Fallbacks below: number 80, flag true, option false.
    const Case cases[] = {
        {nullptr, 80, true, false},
        {"", 80, true, true},
        {"NO", 80, true, false},
        {"YES", 80, true, true},
        {"no", 80, true, true},  // only "NO" itself switches an option off
        {"0", 0, false, true},
        {"1", 1, true, true},
        {"8080", 8080, true, true},
        {" 3128 ", 3128, true, true},
        {"-5", -5, true, true},
        {"80a", 80, true, true},
        {"99999999999999999999", 80, true, true},
    };
    for (const Case& c : cases) {
        if (c.stored == nullptr) {
            section.Remove("V");
        } else {
            section.SetText("V", c.stored);
        }
        const std::string shown = c.stored ? c.stored : "(missing)";
        EXPECT_EQ(section.Number("V", 80), c.number) << shown;
        EXPECT_EQ(section.Flag("V", true), c.flag) << shown;
        EXPECT_EQ(section.Option("V"), c.option) << shown;
    }
}

TEST(SettingsSection, WritesTheConventionalTexts) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    SettingsSection section(store, kKey, "SETTING");
    section.SetOption("SEIREKI", true);
    section.SetOption("PROXY", false);
    section.SetFlag("On", true);
    section.SetFlag("Off", false);
    section.SetNumber("PROXY_PORT", 8080);
    EXPECT_EQ(store.Read(kKey, "SETTING", "SEIREKI"), "YES");
    EXPECT_EQ(store.Read(kKey, "SETTING", "PROXY"), "NO");
    EXPECT_EQ(store.Read(kKey, "SETTING", "On"), "1");
    EXPECT_EQ(store.Read(kKey, "SETTING", "Off"), "0");
    EXPECT_EQ(store.Read(kKey, "SETTING", "PROXY_PORT"), "8080");
}

TEST(InstallationNumber, IsDrawnOnceAndKeptInTheSettings) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    int draws = 0;
    auto draw = [&draws] {
        ++draws;
        return 123456789;
    };
    EXPECT_EQ(InstallationNumber(store, kKey, draw), 123456789);
    EXPECT_EQ(InstallationNumber(store, kKey, draw), 123456789);
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(store.Read(kKey, "CONST", "InstallationNumber"), "123456789");
}

TEST(InstallationNumber, AnUnusableStoredValueIsReplaced) {
    TempFolder root;
    IniSettingsStore store(root.path().string());
    for (const char* stored : {"", "0", "-7", "abc", "2147483648"}) {
        store.Write(kKey, "CONST", "InstallationNumber", stored);
        EXPECT_EQ(InstallationNumber(store, kKey, [] { return 42; }), 42) << stored;
        EXPECT_EQ(store.Read(kKey, "CONST", "InstallationNumber"), "42") << stored;
    }
    store.Write(kKey, "CONST", "InstallationNumber", "2147483647");
    EXPECT_EQ(InstallationNumber(store, kKey, [] { return 42; }), 2147483647);
}

TEST(InstallationNumber, DrawsArePositive31BitNumbersThatDiffer) {
    std::set<std::int32_t> seen;
    for (int i = 0; i < 20; ++i) {
        const std::int32_t number = DrawInstallationNumber();
        EXPECT_GE(number, 1);
        seen.insert(number);
    }
    EXPECT_GT(seen.size(), 1u);
}

}  // namespace
}  // namespace korvalen::platform
