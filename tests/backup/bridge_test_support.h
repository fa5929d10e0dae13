// Shared pieces of the bridge tests: a fixture that points the bridge at the
// fake libraries, a temporary folder, and command-text tokens.
#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake_archiver_control.h"
#include "korvalen/backup/archiver_libraries.h"

namespace korvalen::backup::fixtures {

// The folder of one variant of the fakes ("full" or "partial").
std::string FakeFolder(std::string_view variant);

// The recorded state of one fake module (loaded if needed).
FakeArcState& FakeState(std::string_view variant, TArchiverLibraryKind kind);

// The tokens of a command text: split at blanks outside double quotes, so
// that an empty token between two blanks shows as "".
std::vector<std::string> Tokens(std::string_view command);

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    FakeArcState& Lha() { return FakeState("full", TArchiverLibraryKind::Lha); }
    FakeArcState& Cab() { return FakeState("full", TArchiverLibraryKind::Cab); }

    // A path inside this test's temporary folder.
    std::string Temp(std::string_view relative) const;
    // Writes a file (making its folders), optionally with a modification time.
    std::string WriteFile(std::string_view relative, std::string_view content = "x",
                          std::optional<QDateTime> modified = std::nullopt) const;

    QTemporaryDir temp_;
};

}  // namespace korvalen::backup::fixtures
