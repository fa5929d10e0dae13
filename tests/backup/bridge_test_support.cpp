#include "bridge_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include "korvalen/backup/native_path.h"

namespace korvalen::backup::fixtures {

std::string FakeFolder(std::string_view variant) { return std::string(FAKE_ARCHIVER_DIR) + "/" + std::string(variant); }

FakeArcState& FakeState(std::string_view variant, TArchiverLibraryKind kind) {
    const std::string path = JoinPath(FakeFolder(variant), PlatformLibraryFileName(ArchiverLibraryName(kind).fileName));
    QLibrary module(ToQString(path));
    if (!module.load()) throw std::runtime_error("fake archiver not loadable: " + path);
    auto control = reinterpret_cast<FakeArcControlFn>(module.resolve("FakeArcControl"));
    return *control();
}

std::vector<std::string> Tokens(std::string_view command) {
    std::vector<std::string> tokens(1);
    bool quoted = false;
    for (const char ch : command) {
        if (ch == '"') quoted = !quoted;
        if (ch == ' ' && !quoted) {
            tokens.emplace_back();
        } else {
            tokens.back() += ch;
        }
    }
    return tokens;
}

void BridgeTest::SetUp() {
    ASSERT_TRUE(temp_.isValid());
    ArchiverLibraries::Reset();
    ArchiverLibraries::SetSearchFolder(FakeFolder("full"));
    for (const auto variant : {"full", "partial"}) {
        for (const auto kind : {TArchiverLibraryKind::Lha, TArchiverLibraryKind::Cab}) {
            if (std::string_view(variant) == "partial" && kind == TArchiverLibraryKind::Cab) continue;
            const std::string path =
                JoinPath(FakeFolder(variant), PlatformLibraryFileName(ArchiverLibraryName(kind).fileName));
            QLibrary module(ToQString(path));
            ASSERT_TRUE(module.load()) << path;
            reinterpret_cast<FakeArcResetFn>(module.resolve("FakeArcReset"))();
        }
    }
}

void BridgeTest::TearDown() { ArchiverLibraries::Reset(); }

std::string BridgeTest::Temp(std::string_view relative) const { return JoinPath(FromQString(temp_.path()), relative); }

std::string BridgeTest::WriteFile(std::string_view relative, std::string_view content,
                                  std::optional<QDateTime> modified) const {
    const std::string path = Temp(relative);
    const QFileInfo info(ToQString(path));
    QDir().mkpath(info.absolutePath());
    QFile file(info.absoluteFilePath());
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path;
    file.write(content.data(), static_cast<qint64>(content.size()));
    file.flush();  // a later flush would stamp the file with today again
    if (modified) {
        EXPECT_TRUE(file.setFileTime(*modified, QFileDevice::FileModificationTime)) << path;
    }
    file.close();
    return path;
}

}  // namespace korvalen::backup::fixtures
