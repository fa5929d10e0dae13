// A PC for the storage tests: a program folder inside a temporary "vex"
// folder, its own settings, scripted messages, a fixed clock, recorded
// build-lock waits and drive kinds the test can set per folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/drive_kind.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/storage/data_module.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::storage::fixtures {

namespace fs = std::filesystem;

using korvalen::testsupport::ReadWholeFile;
using korvalen::testsupport::TempFolder;
using korvalen::testsupport::WriteWholeFile;

// The system's classifier, except for the folders a test names.
class TestDrives final : public platform::DriveClassifier {
public:
    platform::DriveKind KindOf(const std::string& folder) const override {
        for (const auto& [prefix, kind] : kinds) {
            if (folder.rfind(prefix, 0) == 0) return kind;
        }
        return system.KindOf(folder);
    }
    std::map<std::string, platform::DriveKind> kinds;
    platform::SystemDriveClassifier system;
};

inline constexpr std::int32_t kToday = 45000;  // 15 March 2023

// One PC with its installed program. Several may share a database folder.
struct TestPc {
    explicit TestPc(const fs::path& root, std::string name = "PC-A", std::string programSub = "vex/Korvalen")
        : programFolder((root / name / programSub).string() + "/"),
          settings((root / name / "settings").string()),
          clock(kToday),
          computerName(std::move(name)) {
        fs::create_directories(programFolder);
    }

    KorvalenDB& db() {
        if (!module) {
            MachineFacts facts{programFolder, computerName, "山田　太郎", "1.0.0.0", fileSystemOf};
            module = std::make_unique<KorvalenDB>(settings, messages, drives, clock, facts,
                                                  [this](std::chrono::milliseconds t) {
                                                      waits.push_back(t);
                                                      if (onWait) onWait(waits.size());
                                                      if (realWait.count() > 0) std::this_thread::sleep_for(realWait);
                                                  });
        }
        return *module;
    }

    std::string Setting(const std::string& section, const std::string& name, const std::string& key = {}) const {
        return settings.Read(key.empty() ? "Software\\vex\\Korvalen_1" : key, section, name, "<missing>");
    }
    void SetSetting(const std::string& section, const std::string& name, const std::string& value) {
        settings.Write("Software\\vex\\Korvalen_1", section, name, value);
    }
    std::string DbPathIni() const { return programFolder + "DBPath.ini"; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages.Shown()) texts.push_back(m.text);
        return texts;
    }

    std::string programFolder;
    platform::IniSettingsStore settings;
    platform::ScriptedMessages messages;
    TestDrives drives;
    platform::FixedClock clock;
    std::string computerName;
    std::function<std::string(const std::string&)> fileSystemOf;
    std::vector<std::chrono::milliseconds> waits;
    std::function<void(std::size_t)> onWait;
    // Another process holds the lock for real: wait this long each time.
    std::chrono::milliseconds realWait{0};
    std::unique_ptr<KorvalenDB> module;
};

inline std::unique_ptr<engine::HistoryEntry> Entry(int year, int month, int day, std::int32_t borrowing,
                                                   std::int32_t repayment, double ratePercent, std::int32_t order = 0) {
    auto e = std::make_unique<engine::HistoryEntry>();
    e->date = engine::DayNumberFromCivil(year, month, day);
    e->borrowing = borrowing;
    e->repayment = repayment;
    e->rate = engine::RateToFixed(ratePercent);
    e->order = order;
    return e;
}

}  // namespace korvalen::storage::fixtures
