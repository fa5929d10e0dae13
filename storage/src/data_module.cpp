#include "korvalen/storage/data_module.h"

#include "korvalen/platform/end_program.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/installation.h"
#include "korvalen/platform/paths.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/shared_options.h"
#include "korvalen/storage/table_setup.h"
#include "korvalen/tablestore/table.h"

namespace korvalen::storage {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageType;

const std::string kSep(1, platform::kPathSeparator);

constexpr std::string_view kNotInVexFolder = "プログラムが【vex】フォルダ内にないため処理できません。";

constexpr std::string_view kDriveUnconfirmed =
    "プログラムが【データベースフォルダ】がある「ドライブ」を確認できないため処理できません。\r\n\r\n"
    "《はい》　ローカルのドライブを利用してプログラムを強制的に実行します。\r\n"
    "  起動後、[データベースフォルダの指定]で【データベースフォルダ】の再接続を行って下さい。\r\n\r\n"
    "《キャンセル》　プログラムを終了します。\r\n"
    "　サーバー機が起動しているか、共有フォルダにアクセスできる状態か、確認して下さい。";

constexpr std::string_view kNoServer =
    "同一バージョンのサーバー機が見つかりません。\r\n"
    "先にサーバー機のプログラムをアップデートしてから、このパソコンでプログラムを起動して下さい。\r\n\r\n"
    "【はい】でプログラムは終了します。（推奨）\r\n\r\n"
    "【いいえ】このパソコンにサーバー機能を付与します。ネットワークドライブにデータベースを移動している場合はこちらを選"
    "択して下さい。";

constexpr std::string_view kBuildLockTimeout =
    "他のパソコンがセルビナのデータベース環境設定構築を実行中です。\r\n"
    "しばらくしてからプログラムの再起動を行って下さい。\r\n\r\n"
    "他のパソコンが起動していない場合には、\r\n"
    "セルビナ共有フォルダ内の【DBCreate.ini】を削除して下さい。";

constexpr std::string_view kIniSection = "TableDB";
constexpr std::string_view kIniKey = "TableDatabase1";

// The part of a folder before the first occurrence of `marker` (searched
// in the upper-cased text); empty when it does not occur.
std::string PartBefore(const std::string& folder, const std::string& marker) {
    const auto at = platform::UpperAscii(folder).find(marker);
    return at == std::string::npos ? std::string() : folder.substr(0, at);
}

}  // namespace

KorvalenDB::KorvalenDB(platform::SettingsStore& settings, platform::MessageService& messages,
                       const platform::DriveClassifier& drives, const platform::Clock& clock, MachineFacts facts,
                       BuildLock::Wait wait)
    : settings_(&settings),
      messages_(&messages),
      drives_(&drives),
      clock_(&clock),
      facts_(std::move(facts)),
      wait_(std::move(wait)),
      programFolder_(platform::WithTrailingSeparator(facts_.programFolder)),
      programKey_(platform::ProgramKeyFor(facts_.programFileVersion)) {
    if (!facts_.fileSystemOf) facts_.fileSystemOf = FileSystemOf;
    installationNumber_ = platform::InstallationNumber(*settings_, programKey_);
}

std::string KorvalenDB::LocalDatabaseFolder() const { return programFolder_ + "KorvalenDB" + kSep; }

std::string KorvalenDB::DbPathIni() const { return programFolder_ + "DBPath.ini"; }

void KorvalenDB::SetDatabaseFolder(std::string folder) {
    databaseFolder_ = platform::WithTrailingSeparator(std::move(folder));
    database_.setDirectory(databaseFolder_);
}

void KorvalenDB::RepairRememberedFolders() {
    platform::SettingsSection remembered(*settings_, programKey_, "CONST");
    const std::string local = LocalDatabaseFolder();
    // "DBPath" remembers this PC's own database folder: never a share.
    const std::string dbPath = remembered.Text("DBPath");
    if (platform::IsUncPath(dbPath) || dbPath.empty() || dbPath.find("KorvalenDB" + kSep) == std::string::npos) {
        remembered.SetText("DBPath", local);
    }
    if (remembered.Text("DefaultDir").empty()) {
        remembered.SetText("DefaultDir",
                           platform::WithTrailingSeparator(PartBefore(programFolder_, kSep + "KORVALEN")));
    }
    // A program moved to another disk no longer finds its old local folder
    // there; a program on a network drive is left alone. Paths here all
    // start with "/", so "another disk" is another mounted file system,
    // judged on the nearest folders of the two paths that exist.
    const platform::DriveKind programDrive = drives_->KindOf(programFolder_);
    const bool programOnNetwork =
        programDrive == platform::DriveKind::Network || programDrive == platform::DriveKind::Unc;
    if (!programOnNetwork && facts_.fileSystemOf(programFolder_) != facts_.fileSystemOf(remembered.Text("DBPath"))) {
        remembered.SetText("DBPath", local);
        remembered.SetText("DefaultDir", PartBefore(programFolder_, kSep + "KORVALE"));
    }
}

void KorvalenDB::ResolveDatabaseFolder(const std::string& iniValue) {
    if (iniValue.empty() && platform::UpperAscii(programFolder_).find(kSep + "VEX") == std::string::npos) {
        messages_->Show(MessageType::Error, Buttons::Ok, std::string(kNotInVexFolder));
        throw platform::EndProgram("program folder outside a vex folder");
    }
    SetDatabaseFolder(iniValue.empty() ? LocalDatabaseFolder() : iniValue);

    // A share written as a UNC path (two separators first) or a folder on a
    // network file system belongs to another PC: this one is its client. A
    // folder whose parent is missing lies on a share that is not mounted,
    // the nearest this system comes to a drive it cannot confirm.
    switch (drives_->KindOf(databaseFolder_)) {
        case platform::DriveKind::Unc:
        case platform::DriveKind::Network: clientMode_ = true; break;
        case platform::DriveKind::Unconfirmed:
            if (messages_->Show(MessageType::Error, Buttons::YesCancel, std::string(kDriveUnconfirmed)) !=
                Answer::Yes) {
                throw platform::EndProgram("database folder on a drive that cannot be confirmed");
            }
            // For this run only: DBPath.ini keeps the chosen folder.
            SetDatabaseFolder(LocalDatabaseFolder());
            break;
        case platform::DriveKind::Local: break;
    }
}

bool KorvalenDB::ServerPresent() {
    tablestore::Table pcs(database_, std::string(kPcTable));
    pcs.open();
    pcs.setRange({0});
    for (pcs.first(); !pcs.eof(); pcs.next()) {
        if (!pcs.fieldByName("CS_KUBUN").asBoolean()) return true;
    }
    return false;
}

void KorvalenDB::ConfirmServer() {
    // A PC once made the server keeps that role, also when it reaches the
    // folder through a share.
    {
        tablestore::Table pcs(database_, std::string(kPcTable));
        pcs.open();
        if (pcs.findKey({0, installationNumber_}) && !pcs.fieldByName("CS_KUBUN").asBoolean()) clientMode_ = false;
    }
    settings_->Write(platform::kVersionKey, "CONST", "CSKubun", clientMode_ ? "0" : "1");
    if (!clientMode_ || ServerPresent()) return;

    if (messages_->Show(MessageType::Information, Buttons::YesNo, std::string(kNoServer)) != Answer::No) {
        throw platform::EndProgram("no server PC for this database");
    }
    clientMode_ = false;
    {
        tablestore::Table pcs(database_, std::string(kPcTable));
        pcs.open();
        if (pcs.findKey({0, installationNumber_})) {
            pcs.edit();
            pcs.fieldByName("CS_KUBUN").setBoolean(false);
            pcs.post();
        }
    }
    settings_->Write(platform::kVersionKey, "CONST", "CSKubun", "1");
}

void KorvalenDB::DataModuleCreate() {
    // Every run decides afresh, also the one after a repair.
    clientMode_ = false;
    RepairRememberedFolders();

    database_.disconnect();
    const std::string iniValue = platform::ReadProfileString(DbPathIni(), kIniSection, kIniKey);
    ResolveDatabaseFolder(iniValue);

    if (clientMode_) {
        ConfirmServer();
    } else {
        settings_->Write(platform::kVersionKey, "CONST", "CSKubun", "1");
    }

    if (!clientMode_) platform::CreateFolders(databaseFolder_);

    BuildLock lock(databaseFolder_, facts_.computerName);
    if (!lock.Acquire(!clientMode_, wait_)) {
        messages_->Show(MessageType::Warning, Buttons::Ok, std::string(kBuildLockTimeout));
        throw platform::EndProgram("another PC holds the build lock");
    }
    if (clientMode_) return;
    // The lock goes with this scope also when the build fails: a lock left
    // behind would make every other PC wait a minute for nobody.
    EnsureTables();
    if (iniValue.empty() && platform::ReadProfileString(DbPathIni(), kIniSection, kIniKey).empty()) {
        platform::WriteProfileString(DbPathIni(), kIniSection, kIniKey, databaseFolder_);
    }
    lock.Release();
}

void KorvalenDB::EnsureTables() {
    CreateAndUpgradeTables(database_);
    if (const auto row = ReadOptionsRow(database_)) {
        WriteSettingsOptions(*settings_, programKey_, *row);
    } else {
        StoreOptionsToTable();
    }
}

void KorvalenDB::RebuildAfterRestore() {
    if (database_.tableExists(kPcTable)) database_.deleteTable(kPcTable);
    EnsureTables();
}

void KorvalenDB::StoreOptionsToTable() { StoreOptionsRow(database_, ReadSettingsOptions(*settings_, programKey_)); }

void KorvalenDB::LoadOptionsFromTable() {
    // An empty row reads as all options off, as the empty fields would.
    WriteSettingsOptions(*settings_, programKey_, ReadOptionsRow(database_).value_or(SharedOptions{}));
}

}  // namespace korvalen::storage
