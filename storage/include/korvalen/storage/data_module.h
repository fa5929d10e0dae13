// The data module: the one object of the program that knows the database
// folder, opens it at start-up (DataModuleCreate), keeps the process-wide
// values DatabaseFolder, ClientMode, WesternCalendar and InstallationNumber,
// and owns the database object every other part reaches the tables through.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/drive_kind.h"
#include "korvalen/platform/messages.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/storage/build_lock.h"
#include "korvalen/tablestore/database.h"

namespace korvalen::storage {

// What the data module needs to know about this PC and this program.
struct MachineFacts {
    std::string programFolder;  // the folder of the program file
    std::string computerName;
    std::string registeredOwner;
    std::string programFileVersion;
    // The root of the mounted file system that holds a path, judged on its
    // nearest existing ancestor ("C:/" on Windows, a mount point elsewhere):
    // tells whether the remembered local database folder is still on the
    // disk the program now runs from.
    std::function<std::string(const std::string& path)> fileSystemOf;

    // The facts of the running program and PC.
    static MachineFacts OfThisPc();
};

// The mount root of the nearest existing ancestor of a path.
std::string FileSystemOf(const std::string& path);

class KorvalenDB {
public:
    // The collaborators must outlive the data module. `wait`, when given,
    // stands in for the build lock's sleep while another PC builds (tests
    // pass one that returns at once).
    KorvalenDB(platform::SettingsStore& settings, platform::MessageService& messages,
               const platform::DriveClassifier& drives, const platform::Clock& clock, MachineFacts facts,
               BuildLock::Wait wait = {});
    KorvalenDB(const KorvalenDB&) = delete;
    KorvalenDB& operator=(const KorvalenDB&) = delete;

    // Resolves DatabaseFolder, decides ClientMode, waits for or takes the
    // build lock, creates or upgrades the tables (not on a client) and
    // synchronises the shared options. Throws platform::EndProgram after a
    // message that ends the program; engine errors travel on to the
    // application's error handler. May run again after a repair.
    void DataModuleCreate();
    // Creates every missing table, upgrades an old SinseiT13, then brings
    // the options row and the settings into line: an empty Opcfg takes the
    // settings, otherwise the settings take the row.
    void EnsureTables();
    // After a restore: the PC table starts empty (the restored one lists
    // the PCs of the backup's time), then EnsureTables.
    void RebuildAfterRestore();
    void StoreOptionsToTable();
    void LoadOptionsFromTable();
    // Adds or refreshes this PC's row in CSConM. `updateCheckState` is the
    // online update check's state (VERUPFLG), written on a server or
    // stand-alone PC only.
    void RegisterThisPc(bool updateCheckState = false);

    tablestore::Database& TableDatabase1() { return database_; }
    platform::MessageService& Messages() { return *messages_; }
    platform::SettingsStore& Settings() { return *settings_; }

    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& ProgramKey() const { return programKey_; }
    const std::string& DatabaseFolder() const { return databaseFolder_; }
    // The folder dialog changes both before it ends the program.
    void SetDatabaseFolder(std::string folder);
    bool ClientMode() const { return clientMode_; }
    void SetClientMode(bool client) { clientMode_ = client; }
    bool WesternCalendar() const { return westernCalendar_; }
    void SetWesternCalendar(bool western) { westernCalendar_ = western; }
    std::int32_t InstallationNumber() const { return installationNumber_; }
    // ProgramFolder + "KorvalenDB" + separator.
    std::string LocalDatabaseFolder() const;
    // ProgramFolder + "DBPath.ini".
    std::string DbPathIni() const;

private:
    void RepairRememberedFolders();
    void ResolveDatabaseFolder(const std::string& iniValue);
    void ConfirmServer();
    bool ServerPresent();

    platform::SettingsStore* settings_;
    platform::MessageService* messages_;
    const platform::DriveClassifier* drives_;
    const platform::Clock* clock_;
    MachineFacts facts_;
    BuildLock::Wait wait_;

    std::string programFolder_;
    std::string programKey_;
    std::string databaseFolder_;
    bool clientMode_ = false;
    bool westernCalendar_ = false;
    std::int32_t installationNumber_ = 0;
    tablestore::Database database_;
};

}  // namespace korvalen::storage
