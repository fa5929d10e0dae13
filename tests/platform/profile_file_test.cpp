#include <gtest/gtest.h>

#include "korvalen/platform/errors.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::platform {
namespace {

using korvalen::testsupport::ReadWholeFile;
using korvalen::testsupport::TempFolder;
using korvalen::testsupport::WriteWholeFile;

TEST(ProfileFile, AMissingFileOrEntryReadsAsTheFallback) {
    TempFolder dir;
    EXPECT_EQ(ReadProfileString(dir / "DBPath.ini", "TableDB", "TableDatabase1", "none"), "none");
    WriteWholeFile(dir / "DBPath.ini", "[Other]\nTableDatabase1=x\n[TableDB]\nElse=y\n");
    EXPECT_EQ(ReadProfileString(dir / "DBPath.ini", "TableDB", "TableDatabase1", "none"), "none");
}

TEST(ProfileFile, WritingANewFileGivesOneSectionWithTheValue) {
    TempFolder dir;
    WriteProfileString(dir / "DBCreate.ini", "CONST", "DBCreate", "pc-yamada");
    EXPECT_EQ(ReadWholeFile(dir / "DBCreate.ini"), "[CONST]\nDBCreate=pc-yamada\n");
    EXPECT_EQ(ReadProfileString(dir / "DBCreate.ini", "CONST", "DBCreate"), "pc-yamada");
    // A lock file created in one step reads the same.
    EXPECT_EQ(NewProfileText("CONST", "DBCreate", "pc-yamada"), ReadWholeFile(dir / "DBCreate.ini"));
    EXPECT_THROW(NewProfileText("CONST", "DBCreate", "a\r\nb"), std::invalid_argument);
}

TEST(ProfileFile, ReadsWindowsStyleFilesAndUpdatesThemInPlace) {
    TempFolder dir;
    const std::string file = dir / "DBPath.ini";
    WriteWholeFile(file,
                   "; written on the server\r\n"
                   "[tabledb]\r\n"
                   "  TABLEDATABASE1 = \"\\\\server\\share\\KorvalenDB\\\"  \r\n"
                   "\r\n"
                   "[Other]\r\n"
                   "Keep=me\r\n");
    EXPECT_EQ(ReadProfileString(file, "TableDB", "TableDatabase1"), "\\\\server\\share\\KorvalenDB\\");

    WriteProfileString(file, "TableDB", "TableDatabase1", "/srv/KorvalenDB/");
    WriteProfileString(file, "TABLEDB", "Added", "1");
    EXPECT_EQ(ReadWholeFile(file),
              "; written on the server\r\n"
              "[tabledb]\r\n"
              "TABLEDATABASE1=/srv/KorvalenDB/\r\n"
              "Added=1\r\n"
              "\r\n"
              "[Other]\r\n"
              "Keep=me\r\n");
}

TEST(ProfileFile, ValuesThatReadingWouldTrimAreQuotedSoTheyComeBackUnchanged) {
    TempFolder dir;
    const std::string file = dir / "x.ini";
    for (const std::string value : {"", "  padded  ", "\"quoted\"", "a=b;c", "ﾃﾞｰﾀ\\フォルダ\\"}) {
        WriteProfileString(file, "S", "K", value);
        EXPECT_EQ(ReadProfileString(file, "S", "K", "fallback"), value);
    }
}

TEST(ProfileFile, ReadsShiftJisAndByteOrderMarkedFiles) {
    TempFolder dir;
    // "C:\データ\" in CP932.
    WriteWholeFile(dir / "sjis.ini", "[TableDB]\r\nTableDatabase1=C:\\\x83\x66\x81\x5B\x83\x5E\\\r\n");
    EXPECT_EQ(ReadProfileString(dir / "sjis.ini", "TableDB", "TableDatabase1"), "C:\\データ\\");

    WriteWholeFile(dir / "bom.ini", "\xEF\xBB\xBF[TableDB]\nTableDatabase1=/db/\n");
    EXPECT_EQ(ReadProfileString(dir / "bom.ini", "TableDB", "TableDatabase1"), "/db/");
}

// Windows' wave dash and minus (0x8160, 0x817C) read as ～ and －, the
// characters every other layer stores, and stay so when the file is
// written again (as UTF-8).
TEST(ProfileFile, ShiftJisWaveDashAndMinusReadAsTheStoredForms) {
    TempFolder dir;
    const std::string file = dir / "DBPath.ini";
    WriteWholeFile(file,
                   "[TableDB]\r\nTableDatabase1=/db/\x94\x67\x81\x60\x81\x7C"
                   "1/\r\n");
    EXPECT_EQ(ReadProfileString(file, "TableDB", "TableDatabase1"), "/db/波～－1/");
    WriteProfileString(file, "TableDB", "Other", "x");
    EXPECT_EQ(ReadProfileString(file, "TableDB", "TableDatabase1"), "/db/波～－1/");
}

// Bytes that are neither UTF-8 nor Shift-JIS are an error naming the file,
// never read some other way, and the file is left as it was.
TEST(ProfileFile, AFileOfNeitherEncodingIsAnErrorNamingIt) {
    TempFolder dir;
    for (const std::string& bytes :
         {std::string("[CONST]\nDBCreate=\x81\n"), std::string("\xEF\xBB\xBF[CONST]\nDBCreate=\x83\x66\n")}) {
        const std::string file = dir / "DBCreate.ini";
        WriteWholeFile(file, bytes);
        try {
            ReadProfileString(file, "CONST", "DBCreate");
            ADD_FAILURE() << "read as something";
        } catch (const PlatformError& e) {
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        }
        EXPECT_THROW(WriteProfileString(file, "CONST", "DBCreate", "pc"), PlatformError);
        EXPECT_EQ(ReadWholeFile(file), bytes);
    }
}

TEST(ProfileFile, RefusesWhatWouldBreakTheFile) {
    TempFolder dir;
    EXPECT_THROW(WriteProfileString(dir / "no/such/folder/x.ini", "S", "K", "v"), PlatformError);
    EXPECT_THROW(WriteProfileString(dir / "x.ini", "S", "K", "two\nlines"), std::invalid_argument);
    EXPECT_THROW(WriteProfileString(dir / "x.ini", "S", "K=", "v"), std::invalid_argument);
    EXPECT_THROW(WriteProfileString(dir / "x.ini", "S]", "K", "v"), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ini"));
}

}  // namespace
}  // namespace korvalen::platform
