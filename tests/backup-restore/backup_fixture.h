// One PC with its database folder of a few cases, a folder for backups, the
// procedure wired to the data module as the dialog wires it, and what the
// procedure told its window.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "korvalen/backup/archiver_libraries.h"
#include "korvalen/backup/backup_restore.h"
#include "korvalen/platform/paths.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/tablestore/table.h"
#include "storage_fixture.h"

namespace korvalen::backup::fixtures {

namespace fs = std::filesystem;
using storage::fixtures::Entry;
using storage::fixtures::TempFolder;
using storage::fixtures::TestPc;
using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

inline constexpr const char* kProgramKey = "Software\\vex\\Korvalen_1";

inline engine::CaseRecord CaseHeader(std::int32_t seq, const std::string& creditor, const std::string& debtor) {
    engine::CaseRecord header;
    header.SEQ = seq;
    header.GYOSYA_NAME = creditor;
    header.NAME = debtor;
    header.RIRITSU = 29.2;
    header.KABARAI_RIRITSU = 5;
    header.START_DAY = engine::DayNumberFromCivil(2006, 3, 10);
    return header;
}

inline engine::HistoryList CaseHistory(int count, std::int32_t base) {
    engine::HistoryList list;
    for (int i = 0; i < count; ++i) {
        list.push_back(Entry(2006 + i / 12, 1 + i % 12, 10, i == 0 ? base : 0, i == 0 ? 0 : base / 20, 29.2, i));
    }
    return list;
}

// Every case with its whole history, as text: two databases hold the same
// cases exactly when their texts are equal.
inline std::string CasesText(const std::string& folder) {
    tablestore::Database database;
    database.setDirectory(folder);
    std::string text;
    for (const storage::CaseListRow& row : storage::ListCases(database)) {
        text += std::to_string(row.seq) + " " + row.creditor + " " + row.debtor + "\n";
        const auto stored = storage::LoadCase(database, row.seq);
        for (const auto& e : stored->history) {
            text += "  " + std::to_string(e->date) + " " + std::to_string(e->borrowing) + " " +
                    std::to_string(e->repayment) + " " + std::to_string(e->rate) + "\n";
        }
    }
    database.disconnect();
    return text;
}

inline std::int64_t PcRows(const std::string& folder) {
    tablestore::Database database;
    database.setDirectory(folder);
    tablestore::Table pcs(database, "CSConM");
    pcs.open();
    const std::int64_t rows = pcs.recordCount();
    pcs.close();
    database.disconnect();
    return rows;
}

// The plain files of a folder with their contents.
inline std::map<std::string, std::string> FilesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadWholeFile(entry.path());
    }
    return files;
}

// The names whose contents differ between two folders' files, for messages
// that stay readable where the contents are whole tables.
inline std::string Differences(const std::map<std::string, std::string>& a,
                               const std::map<std::string, std::string>& b) {
    std::string text;
    for (const auto& [name, content] : a) {
        const auto it = b.find(name);
        if (it == b.end())
            text += " -" + name;
        else if (it->second != content)
            text += " ~" + name;
    }
    for (const auto& [name, content] : b) {
        if (!a.count(name)) text += " +" + name;
    }
    return text;
}

// The libraries looked for in a folder that has none.
inline void HideTheArchivers(const std::string& emptyFolder) {
    ArchiverLibraries::Reset();
    ArchiverLibraries::SetSearchFolder(emptyFolder);
}
inline void ShowTheArchivers() {
    ArchiverLibraries::Reset();
    ArchiverLibraries::SetSearchFolder(std::string(KORVALEN_BIN_DIR));
}

inline std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// A folder in the way of every file of `source` that `destination` does not
// hold yet: the next copy into it fails.
inline void BlockTheRest(const std::string& source, const std::string& destination) {
    for (const auto& entry : fs::directory_iterator(source)) {
        if (!entry.is_regular_file()) continue;
        const fs::path target = fs::path(destination) / entry.path().filename();
        if (!fs::exists(target)) fs::create_directory(target);
    }
}

class BackupDesk : public ::testing::Test {
protected:
    void SetUp() override {
        ShowTheArchivers();
        pc.clock.Set(platform::DayNumberOf(2024, 1, 5));
        pc.db().DataModuleCreate();
        pc.db().RegisterThisPc();
        storage::SaveNewCase(pc.db().TableDatabase1(), CaseHeader(0, "アコム", "山田　太郎"), CaseHistory(30, 500000));
        storage::SaveNewCase(pc.db().TableDatabase1(), CaseHeader(1, "プロミス", "佐藤　花子"),
                             CaseHistory(12, 300000));
        pc.db().TableDatabase1().disconnect();
        database = pc.db().DatabaseFolder();
        parent = pc.programFolder;
        temp = parent + "TAV_TEMP/";
        backups = root.folder("backups");
        fs::create_directories(backups);
    }
    void TearDown() override {
        ArchiverLibraries::Reset();
        EXPECT_TRUE(pc.messages.Faults().empty());
    }

    BackupSetup MakeSetup() {
        BackupSetup setup;
        setup.databaseFolder = database;
        setup.messages = &pc.messages;
        setup.clock = &pc.clock;
        setup.settings = &pc.settings;
        setup.programKey = kProgramKey;
        setup.rebuildAfterRestore = [this] {
            ++rebuilds;
            pc.db().RebuildAfterRestore();
        };
        setup.refreshCaseList = [this] { ++refreshes; };
        setup.disconnectDatabase = [this] { pc.db().TableDatabase1().disconnect(); };
        setup.freeDiskBytes = [this](const std::string& folder) {
            asked.push_back(folder);
            return freeBytes;
        };
        setup.window = 0x4711;
        setup.lockTimeout = std::chrono::milliseconds(300);
        return setup;
    }
    BackupRestore& Procedure() {
        if (!procedure) {
            BackupHooks hooks;
            hooks.busy = [this](BusyState state) { busy.push_back(state); };
            hooks.step = [this](const WorkStep& step) {
                steps.push_back(step);
                if (onStep) onStep(step);
            };
            procedure = std::make_unique<BackupRestore>(MakeSetup(), hooks);
        }
        return *procedure;
    }
    std::vector<std::string> Texts() const { return pc.Texts(); }
    std::string Setting(const std::string& name) const { return pc.Setting("BACKUP", name); }
    std::vector<std::string> StepNames(WorkPhase phase) const {
        std::vector<std::string> names;
        for (const WorkStep& s : steps) {
            if (s.phase == phase) names.push_back(s.name);
        }
        return names;
    }

    TempFolder root{"kvtest-backup"};
    TestPc pc{root.path()};
    std::string database, parent, temp, backups;
    std::uint64_t freeBytes = std::uint64_t{1} << 40;
    std::vector<std::string> asked;
    std::vector<BusyState> busy;
    std::vector<WorkStep> steps;
    std::function<void(const WorkStep&)> onStep;
    int rebuilds = 0;
    int refreshes = 0;
    std::unique_ptr<BackupRestore> procedure;
};

}  // namespace korvalen::backup::fixtures
