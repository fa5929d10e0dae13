// Loading the libraries, binding their entries, and the entries a library may lack.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <ctime>

#include "bridge_test_support.h"
#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/archiver_libraries.h"
#include "korvalen/backup/lha32.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/program_info.h"

namespace korvalen::backup {
namespace {

class ArchiverDll : public fixtures::BridgeTest {
protected:
    std::string CopyFake(std::string_view variant, std::string_view toFolder) const {
        const std::string file = PlatformLibraryFileName("UNLHA32.DLL");
        QDir().mkpath(ToQString(toFolder));
        const std::string target = JoinPath(toFolder, file);
        EXPECT_TRUE(QFile::copy(ToQString(JoinPath(fixtures::FakeFolder(variant), file)), ToQString(target)));
        return target;
    }
};

TEST(ArchiverLibraryFiles, NamesAndPlaces) {
    EXPECT_EQ(PlatformLibraryFileName("UNLHA32.DLL"), "libunlha32.so");
    EXPECT_EQ(PlatformLibraryFileName("CAB32.DLL"), "libcab32.so");

    ArchiverLibraries::Reset();
    const std::vector<std::string> usual = LibraryCandidates("UNLHA32.DLL");
    ASSERT_FALSE(usual.empty());
    EXPECT_EQ(usual.back(), "libunlha32.so") << "the loader's own path comes last";
    for (std::size_t i = 0; i + 1 < usual.size(); ++i) EXPECT_EQ(FolderPart(usual[i]), platform::ProgramFolder());

    ArchiverLibraries::SetSearchFolder("/opt/x");
    EXPECT_EQ(LibraryCandidates("CAB32.DLL"), std::vector<std::string>{"/opt/x/libcab32.so"});
    ArchiverLibraries::Reset();
}

TEST_F(ArchiverDll, MissingLibraryNamesItInTheUsersWords) {
    ArchiverLibraries::SetSearchFolder(Temp("none"));
    const struct {
        TArchiverLibraryKind kind;
        const char* message;
    } cases[] = {
        {TArchiverLibraryKind::Lha, "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。"},
        {TArchiverLibraryKind::Cab, "CAB 形式書庫 を扱うには CAB32.DLL が 必要です。"},
    };
    for (const auto& c : cases) {
        try {
            ArchiverLibraries::Obtain(c.kind).Command(0, "x", nullptr, 0);
            ADD_FAILURE() << "loaded from an empty folder";
        } catch (const ENoArchiverDLL& e) {
            EXPECT_STREQ(e.what(), c.message);
            // The error handler passes it over without a word.
            EXPECT_EQ(e.Notice(), base::ErrorNotice::PassOverSilently);
        }
        EXPECT_FALSE(ArchiverLibraries::Obtain(c.kind).Loaded());
    }
}

TEST_F(ArchiverDll, FailedLoadIsTriedAgain) {
    const std::string folder = Temp("later");
    ArchiverLibraries::SetSearchFolder(folder);
    TArchiverDll& library = ArchiverLibraries::Obtain(TArchiverLibraryKind::Lha);
    EXPECT_THROW(library.Load(), ENoArchiverDLL);
    EXPECT_THROW(library.Load(), ENoArchiverDLL);

    const std::string copied = CopyFake("full", folder);
    EXPECT_NO_THROW(library.Load());
    EXPECT_TRUE(library.Loaded());
    EXPECT_EQ(library.ModulePath(), copied);
    EXPECT_EQ(library.Command(0, "l \"A\"", nullptr, 0), 0);
}

TEST_F(ArchiverDll, MissingRequiredEntryNamesModuleAndEntry) {
    ArchiverLibraries::SetSearchFolder(fixtures::FakeFolder("partial"));
    TArchiverDll& library = ArchiverLibraries::Obtain(TArchiverLibraryKind::Lha);
    try {
        library.CheckArchive("/bk/a.lzh", 16);
        FAIL() << "no error";
    } catch (const EEntryNotFound& e) {
        const std::string module = JoinPath(fixtures::FakeFolder("partial"), "libunlha32.so");
        EXPECT_EQ(std::string(e.what()), module + " に UnlhaCheckArchive のエントリが見つかりません。");
    }
    // The entries it has still work.
    EXPECT_EQ(library.Command(0, "l \"A\"", nullptr, 0), 0);
}

TEST_F(ArchiverDll, ModulePathInMessagesIsCutAt256Characters) {
    std::string deep = Temp("");
    while (deep.size() < 300) deep = JoinPath(deep, "folder_of_some_length");
    CopyFake("partial", deep);
    ArchiverLibraries::SetSearchFolder(deep);
    try {
        ArchiverLibraries::Obtain(TArchiverLibraryKind::Lha).CheckArchive("a", 16);
        FAIL() << "no error";
    } catch (const EEntryNotFound& e) {
        const std::string full = JoinPath(deep, "libunlha32.so");
        EXPECT_EQ(std::string(e.what()), full.substr(0, 256) + " に UnlhaCheckArchive のエントリが見つかりません。");
    }
}

TEST_F(ArchiverDll, EntryInfoFallsBackToTheRecord) {
    // DOS times are local; the expected file time below is Tokyo's.
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    const struct {
        const char* variant;
        std::uint64_t writeTime;
        std::uint64_t originalSize;
    } cases[] = {
        // 2024-01-05 12:34:56 in Tokyo, from the record's DOS date and time.
        {"partial", 133488992960000000ULL, 1234},
        // The library's own 64-bit answers.
        {"full", 133000000000000000ULL, 5000000000ULL},
    };
    for (const auto& c : cases) {
        ArchiverLibraries::Reset();
        ArchiverLibraries::SetSearchFolder(fixtures::FakeFolder(c.variant));
        FakeArcState& fake = fixtures::FakeState(c.variant, TArchiverLibraryKind::Lha);
        fake.entry.originalSize = 1234;
        fake.entry.compressedSize = 567;
        fake.entry.dosDate = static_cast<std::uint16_t>(((2024 - 1980) << 9) | (1 << 5) | 5);
        fake.entry.dosTime = static_cast<std::uint16_t>((12 << 11) | (34 << 5) | (56 / 2));
        fake.writeTime = 133000000000000000ULL;
        fake.originalSize = 5000000000ULL;

        TLha32 lha;
        ArcEntryInfo info{};
        ASSERT_EQ(lha.FindFirst(1, "*", info), 0) << c.variant;
        // The record is packed: read its fields by value.
        EXPECT_EQ(std::uint32_t{info.record.originalSize}, 1234u);
        EXPECT_EQ(std::uint64_t{info.writeTime}, c.writeTime) << c.variant;
        EXPECT_EQ(std::uint64_t{info.accessTime}, c.writeTime) << c.variant;
        EXPECT_EQ(std::uint64_t{info.createTime}, c.writeTime) << c.variant;
        EXPECT_EQ(std::uint64_t{info.originalSize64}, c.originalSize) << c.variant;
        EXPECT_EQ(lha.FindNext(1, info), -1);
    }
}

// Runs only where the test runner put the partial fake on LD_LIBRARY_PATH.
TEST(LoaderSearchPath, ModuleFoundThereIsNamedByItsFullPath) {
    if (qEnvironmentVariableIsEmpty("KORVALEN_LOADER_PATH_TEST")) GTEST_SKIP() << "needs LD_LIBRARY_PATH set at start";
    ArchiverLibraries::Reset();
    const std::vector<std::string> candidates = LibraryCandidates("UNLHA32.DLL");
    // Beside the program comes first; only without a library there is the
    // loader's path used.
    const std::string expected =
        candidates.size() > 1 ? candidates.front() : JoinPath(fixtures::FakeFolder("partial"), "libunlha32.so");
    TArchiverDll& library = ArchiverLibraries::Obtain(TArchiverLibraryKind::Lha);
    library.Load();
    EXPECT_EQ(QFileInfo(ToQString(library.ModulePath())).canonicalFilePath(),
              QFileInfo(ToQString(expected)).canonicalFilePath());
    ArchiverLibraries::Reset();
}

TEST(DosDateTime, InvalidFieldsGiveNoTime) {
    EXPECT_EQ(DosDateTimeToFileTime(0, 0), 0u);  // month 0
    const auto april31 = static_cast<std::uint16_t>(((2024 - 1980) << 9) | (4 << 5) | 31);
    EXPECT_EQ(DosDateTimeToFileTime(april31, 0), 0u);
}

}  // namespace
}  // namespace korvalen::backup
