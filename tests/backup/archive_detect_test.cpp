// Which format a file name (or its content) selects, and what the component
// does with it.
#include <gtest/gtest.h>

#include <cstring>

#include "bridge_test_support.h"
#include "korvalen/backup/archive_detect.h"
#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/archive_file.h"
#include "korvalen/backup/cab32.h"
#include "korvalen/backup/lha32.h"

namespace korvalen::backup {
namespace {

TEST(ArchiveDetect, ByName) {
    const struct {
        const char* path;
        TArchiverType type;
    } cases[] = {
        {"/bk/B/B.LZH", atLha},
        {"b.lzh", atLha},
        {"x.Cab", atCab},
        {"x.CAB", atCab},
        {"a.zip", atZip},
        {"a.JAR", atZip},
        {"a.ear", atZip},
        {"a.war", atZip},
        {"setup.exe", atAutoDetect},
        {"SETUP.EXE", atAutoDetect},
        {"SinseiT13.dat", atNone},
        {"noext", atNone},
        {"a.tar.lzh", atLha},
        {"old.lzh/file", atNone},
        {"", atNone},
        {"a.lzh.bak", atNone},
    };
    for (const auto& c : cases) EXPECT_EQ(ArchiverTypeByName(c.path), c.type) << c.path;
}

class ArchiveFileFormat : public fixtures::BridgeTest {};

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const EArchiver& e) {
        return e.what();
    }
    return "(no error)";
}

TEST_F(ArchiveFileFormat, FileNameSelectsTheFormatObject) {
    TArchiveFile file;
    EXPECT_EQ(file.ArchiverType(), atAutoDetect);
    EXPECT_EQ(file.Archiver(), nullptr);

    file.SetFileName("/bk/B.LZH");
    EXPECT_EQ(file.ArchiverType(), atLha);
    EXPECT_NE(dynamic_cast<TLha32*>(file.Archiver()), nullptr);

    file.SetFileName("/bk/B.Cab");
    EXPECT_EQ(file.ArchiverType(), atCab);
    EXPECT_NE(dynamic_cast<TCab32*>(file.Archiver()), nullptr);
    EXPECT_EQ(file.FileName(), "/bk/B.Cab");

    // A known format without a format object is refused and changes nothing.
    TArchiver* before = file.Archiver();
    EXPECT_EQ(Message([&] { file.SetFileName("/bk/B.zip"); }), "書庫の形式を特定できませんでした。");
    EXPECT_EQ(file.FileName(), "/bk/B.Cab");
    EXPECT_EQ(file.Archiver(), before);
    EXPECT_EQ(file.ArchiverType(), atCab);

    // An unknown extension keeps the format there is.
    file.SetFileName("/db/SinseiT13.dat");
    EXPECT_EQ(file.FileName(), "/db/SinseiT13.dat");
    EXPECT_EQ(file.ArchiverType(), atCab);
    EXPECT_EQ(file.Archiver(), before);
}

TEST_F(ArchiveFileFormat, ArchiverTypeSetter) {
    TArchiveFile file;
    file.SetArchiverType(atLha);
    TArchiver* lha = file.Archiver();
    ASSERT_NE(dynamic_cast<TLha32*>(lha), nullptr);
    file.SetArchiverType(atLha);
    EXPECT_NE(file.Archiver(), lha) << "a fresh format object replaces the old one";

    lha = file.Archiver();
    file.SetArchiverType(atNone);
    EXPECT_EQ(file.ArchiverType(), atLha);
    EXPECT_EQ(file.Archiver(), lha);

    file.SetArchiverType(atAutoDetect);
    EXPECT_EQ(file.ArchiverType(), atAutoDetect);
    EXPECT_EQ(file.Archiver(), lha);

    for (const auto type : {atZip, atArj, atTar, atTgz, atBZ2, atRar, atBga, atYz1, atGCA, atBel, at7z}) {
        EXPECT_EQ(Message([&] { file.SetArchiverType(type); }), "書庫の形式を特定できませんでした。") << int{type};
        EXPECT_EQ(file.ArchiverType(), atAutoDetect);
    }
}

TEST_F(ArchiveFileFormat, ByContentAsksCabThenLha) {
    std::strcpy(Cab().magic, "MSCF");
    std::strcpy(Lha().magic, "LHAF");
    const std::string cab = WriteFile("cab.exe", "MSCF rest");
    const std::string lha = WriteFile("sub/../lha.exe", "LHAF rest");
    const std::string other = WriteFile("other.exe", "MZ rest");

    EXPECT_EQ(ArchiverTypeByContent(cab), atCab);
    EXPECT_EQ(std::string(Lha().calls).find("OpenArchive"), std::string::npos)
        << "the LHA test opens only what CheckArchive passed";
    EXPECT_EQ(Cab().lastOpenMode, 0x800002u);
    EXPECT_STREQ(Cab().calls, "OpenArchive CloseArchive ");

    EXPECT_EQ(ArchiverTypeByContent(lha), atLha);
    EXPECT_EQ(Lha().lastCheckMode, 16);
    EXPECT_EQ(Lha().lastOpenMode, 0x800002u);
    EXPECT_EQ(std::string(Lha().lastOpenPath), Temp("lha.exe")) << "the path is made absolute and clean";

    EXPECT_EQ(ArchiverTypeByContent(other), atNone);

    TArchiveFile file;
    file.SetFileName(lha);
    EXPECT_EQ(file.ArchiverType(), atLha) << "an .exe name asks the content";

    std::strcpy(Lha().magic, "MSCF");  // both libraries take it: LHA wins
    EXPECT_EQ(ArchiverTypeByContent(cab), atLha);
}

TEST_F(ArchiveFileFormat, ByContentWithoutLibrariesFindsNothing) {
    ArchiverLibraries::SetSearchFolder(Temp(""));
    const std::string lha = WriteFile("lha.exe", "LHAF rest");
    EXPECT_EQ(ArchiverTypeByContent(lha), atNone);
}

TEST_F(ArchiveFileFormat, PackDetectsByContentButUnpackDoesNot) {
    std::strcpy(Lha().magic, "LHAF");
    const std::string archive = WriteFile("backup.dat", "LHAF rest");
    WriteFile("db/a.dat");

    TArchiveFile unpacker;
    unpacker.SetFileName(archive);
    EXPECT_EQ(Message([&] { unpacker.UnpackFiles(0, nullptr, Temp("out"), {}); }), "書庫の形式を判別できません。");

    TArchiveFile packer;
    packer.SetFileName(archive);
    packer.Options().jso = 1;
    EXPECT_EQ(packer.PackFiles(0, nullptr, "", {Temp("db/*.dat")}), 0);
    EXPECT_EQ(packer.ArchiverType(), atLha);
    EXPECT_EQ(Lha().commandCalls, 1);

    // A name that tells nothing, of a file that does not exist: no format.
    TArchiveFile fresh;
    fresh.SetFileName(Temp("missing.dat"));
    EXPECT_EQ(Message([&] { fresh.PackFiles(0, nullptr, "", {Temp("db/*.dat")}); }), "書庫の形式を判別できません。");
}

}  // namespace
}  // namespace korvalen::backup
