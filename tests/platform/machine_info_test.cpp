#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "korvalen/platform/machine_info.h"
#include "korvalen/platform/program_info.h"

namespace korvalen::platform {
namespace {

TEST(RegisteredOwner, FallsBackAsTheSharedTablesExpect) {
    struct Case {
        AccountLookup lookup;
        const char* owner;
    };
    const Case cases[] = {
        {{false, "ignored"}, "UnSuccesuful"},
        {{true, ""}, "UnKnownRegisteredOwner"},
        {{true, "山田 太郎"}, "山田 太郎"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegisteredOwner([&] { return c.lookup; }), c.owner);
    }
}

TEST(RegisteredOwner, TakesTheFullNameFieldOfGecos) {
    const std::pair<const char*, const char*> cases[] = {
        {"山田 太郎,Room 3,03-1234-5678,,", "山田 太郎"},
        {"  Hanako Sato  ", "Hanako Sato"},
        {",Room 3", ""},
        {"   ", ""},
        {"", ""},
    };
    for (const auto& [gecos, name] : cases) {
        EXPECT_EQ(FullNameFromGecos(gecos), name) << gecos;
    }
}

TEST(RegisteredOwner, TheAccountDatabaseOfThisSystemIsReadable) {
    EXPECT_TRUE(ReadCurrentAccount().readable);
    EXPECT_FALSE(RegisteredOwner().empty());
    EXPECT_FALSE(ComputerName().empty());
}

TEST(OperatingSystemName, ReadsThePrettyNameOfOsRelease) {
    const std::pair<const char*, const char*> cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Fedora Linux 39'\r\n", "Fedora Linux 39"},
        {"PRETTY_NAME=Alpine\n", "Alpine"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"", "Say \"hi\" $HOME"},
        {"PRETTY_NAME=\"first\"\nPRETTY_NAME=\"second\"\n", "second"},
        {"NAME=Debian\n# PRETTY_NAME=\"commented out\"\n", ""},
        {"XPRETTY_NAME=\"not this\"\n", ""},
        {"", ""},
    };
    for (const auto& [text, name] : cases) {
        EXPECT_EQ(PrettyNameFromOsRelease(text), name) << text;
    }
    // This system says what it is.
    EXPECT_NE(OperatingSystemName(), "");
}

TEST(ProgramInfo, TheKeyIsNamedAfterTheMajorVersion) {
    const std::pair<const char*, const char*> majors[] = {
        {"1.0.1.2", "1"},
        {"12.3.0.0", "12"},
        {"7", "7"},
        {"", ""},
    };
    for (const auto& [version, major] : majors) {
        EXPECT_EQ(MajorVersionOf(version), major) << version;
    }
    EXPECT_EQ(ProgramKeyFor("1.0.1.2"), "Software\\vex\\Korvalen_1");
    EXPECT_TRUE(std::regex_match(ProgramFileVersion(), std::regex(R"(\d+\.\d+\.\d+\.\d+)"))) << ProgramFileVersion();
    EXPECT_EQ(ProgramKey(), ProgramKeyFor(ProgramFileVersion()));
}

TEST(ProgramInfo, ProgramFolderIsTheRunningProgramsFolderUnlessOverridden) {
    const std::string real = std::filesystem::canonical(KORVALEN_BIN_DIR).string() + "/";
    EXPECT_EQ(ProgramFolder(), real);

    OverrideProgramFolder("/tmp/test/vex/Korvalen");
    EXPECT_EQ(ProgramFolder(), "/tmp/test/vex/Korvalen/");
    OverrideProgramFolder(std::nullopt);
    EXPECT_EQ(ProgramFolder(), real);
}

}  // namespace
}  // namespace korvalen::platform
