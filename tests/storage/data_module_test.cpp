// The data module opening a database folder: first start, clients,
// the build lock, the upgrade of an old case table and the shared options.
#include <gtest/gtest.h>

#include "korvalen/platform/end_program.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/storage/pc_list.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/shared_options.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "storage_fixture.h"

namespace korvalen::storage {
namespace {

using namespace fixtures;
using platform::Answer;
using platform::Buttons;
using platform::DriveKind;
using platform::MessageType;

const std::string kLockTimeoutText =
    "他のパソコンがセルビナのデータベース環境設定構築を実行中です。\r\nしばらくしてからプログラムの再起動を行って下さい"
    "。"
    "\r\n\r\n他のパソコンが起動していない場合には、\r\nセルビナ共有フォルダ内の【DBCreate.ini】を削除して下さい。";

std::vector<std::string> TableFiles(const std::string& folder) {
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.ends_with(".dat")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The PC's own database folder, made before its first start.
std::string MadeLocalFolder(const TestPc& pc) {
    const std::string folder = pc.programFolder + "KorvalenDB/";
    fs::create_directories(folder);
    return folder;
}

const std::vector<std::string> kAllTables = {"CSConM.dat", "Opcfg.dat", "SinseiT13.dat", "SinseiT32.dat"};

class DataModuleTest : public ::testing::Test {
protected:
    TempFolder root{"kvtest-dm"};
};

TEST_F(DataModuleTest, FirstStartBuildsTheLocalFolderAndRemembersIt) {
    TestPc pc(root.path());
    pc.SetSetting("SETTING", "SEIREKI", "YES");
    KorvalenDB& db = pc.db();
    db.DataModuleCreate();

    const std::string local = pc.programFolder + "KorvalenDB/";
    EXPECT_EQ(db.DatabaseFolder(), local);
    EXPECT_FALSE(db.ClientMode());
    EXPECT_EQ(pc.Setting("CONST", "DBPath"), local);
    EXPECT_EQ(pc.Setting("CONST", "DefaultDir"), (root.path() / "PC-A" / "vex").string() + "/");
    EXPECT_EQ(pc.Setting("CONST", "CSKubun", std::string(platform::kVersionKey)), "1");
    EXPECT_EQ(TableFiles(local), kAllTables);
    EXPECT_EQ(platform::ReadProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1"), local);
    EXPECT_FALSE(fs::exists(local + "DBCreate.ini"));
    EXPECT_TRUE(pc.messages.Shown().empty());
    EXPECT_TRUE(pc.waits.empty());

    const auto row = ReadOptionsRow(db.TableDatabase1());
    ASSERT_TRUE(row);
    EXPECT_EQ(OptionBits(*row), 0x80);
    EXPECT_EQ(row->proxyPort, 80);
    // The process-wide flag starts off; the wizard sets it from the settings.
    EXPECT_FALSE(db.WesternCalendar());
}

TEST_F(DataModuleTest, ProgramOutsideAVexFolderEndsTheProgram) {
    TestPc pc(root.path(), "PC-A", "apps/Korvalen");
    EXPECT_THROW(pc.db().DataModuleCreate(), platform::EndProgram);
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Error);
    EXPECT_EQ(pc.messages.Shown()[0].text, "プログラムが【vex】フォルダ内にないため処理できません。");
    EXPECT_FALSE(fs::exists(pc.programFolder + "KorvalenDB"));
}

TEST_F(DataModuleTest, RememberedFoldersAreRepairedAndFollowAMovedProgram) {
    TestPc pc(root.path());
    pc.SetSetting("CONST", "DBPath", "//server/share/KorvalenDB/");  // a share is never this PC's own folder
    pc.SetSetting("CONST", "DefaultDir", "/somewhere/");
    pc.db().DataModuleCreate();
    EXPECT_EQ(pc.Setting("CONST", "DBPath"), pc.programFolder + "KorvalenDB/");
    EXPECT_EQ(pc.Setting("CONST", "DefaultDir"), "/somewhere/");

    // The remembered folder lies on another disk than the program now.
    TestPc moved(root.path(), "PC-B");
    moved.SetSetting("CONST", "DBPath", "/mnt/olddisk/vex/Korvalen/KorvalenDB/");
    moved.fileSystemOf = [](const std::string& path) {
        return path.rfind("/mnt/olddisk", 0) == 0 ? "/mnt/olddisk" : "/";
    };
    moved.db().DataModuleCreate();
    EXPECT_EQ(moved.Setting("CONST", "DBPath"), moved.programFolder + "KorvalenDB/");
    EXPECT_EQ(moved.Setting("CONST", "DefaultDir"), (root.path() / "PC-B" / "vex").string());
}

TEST_F(DataModuleTest, AShareInDbPathIniMakesAClientThatCreatesNothing) {
    // "//" + an absolute path is a UNC path that this system can still reach.
    const std::string shared = "/" + root.folder("server/KorvalenDB");
    TestPc client(root.path(), "PC-C");
    platform::WriteProfileString(client.DbPathIni(), "TableDB", "TableDatabase1", shared);

    // No server has built the folder yet: the client only fails to read it.
    try {
        client.db().DataModuleCreate();
        FAIL() << "a client reached a folder that does not exist";
    } catch (const tablestore::EngineError& e) {
        EXPECT_EQ(e.code(), tablestore::codes::NotFound);
    }
    EXPECT_TRUE(client.db().ClientMode());
    EXPECT_FALSE(fs::exists(root.folder("server")));

    fs::create_directories(root.folder("server"));
    TestPc server(root.path(), "PC-S");
    platform::WriteProfileString(server.DbPathIni(), "TableDB", "TableDatabase1", root.folder("server/KorvalenDB"));
    server.db().DataModuleCreate();
    server.db().RegisterThisPc();
    const auto before = fs::last_write_time(root.folder("server/KorvalenDB") + "SinseiT13.dat");

    client.db().DataModuleCreate();
    EXPECT_TRUE(client.db().ClientMode());
    EXPECT_EQ(client.Setting("CONST", "CSKubun", std::string(platform::kVersionKey)), "0");
    EXPECT_EQ(platform::ReadProfileString(client.DbPathIni(), "TableDB", "TableDatabase1"), shared);
    EXPECT_EQ(fs::last_write_time(root.folder("server/KorvalenDB") + "SinseiT13.dat"), before);
    EXPECT_TRUE(client.messages.Faults().empty());
    client.db().RegisterThisPc();
    tablestore::Table pcs(client.db().TableDatabase1(), "CSConM");
    pcs.open();
    ASSERT_TRUE(pcs.findKey({0, client.db().InstallationNumber()}));
    EXPECT_TRUE(pcs.fieldByName("CS_KUBUN").asBoolean());

    // The PC list shows both in key order (by installation number) and
    // passes over rows another data version wrote.
    pcs.append();
    pcs.fieldByName("VER").setInteger(1);
    pcs.fieldByName("CODE").setInteger(1);
    pcs.fieldByName("PCNAME").setString("PC-OLD");
    pcs.post();
    const std::vector<PcListRow> rows = ListPcs(client.db().TableDatabase1());
    ASSERT_EQ(rows.size(), 2u);
    const bool serverFirst = server.db().InstallationNumber() < client.db().InstallationNumber();
    const PcListRow& s = rows[serverFirst ? 0 : 1];
    const PcListRow& c = rows[serverFirst ? 1 : 0];
    EXPECT_EQ(s.pcName, "PC-S");
    EXPECT_FALSE(s.client);
    EXPECT_EQ(s.version, "1.0.0.0");
    EXPECT_EQ(c.pcName, "PC-C");
    EXPECT_TRUE(c.client);
}

TEST_F(DataModuleTest, AClientWithoutServerIsAskedAndMayBecomeTheServer) {
    const std::string shared = root.folder("nas/KorvalenDB");
    fs::create_directories(root.folder("nas"));
    TestPc first(root.path(), "PC-S");
    platform::WriteProfileString(first.DbPathIni(), "TableDB", "TableDatabase1", shared);
    first.db().DataModuleCreate();  // builds the tables but never registers

    TestPc pc(root.path(), "PC-C");
    pc.drives.kinds[shared] = DriveKind::Network;
    platform::WriteProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1", shared);

    pc.messages.QueueAnswer(Answer::Yes);  // the recommended answer ends the program
    EXPECT_THROW(pc.db().DataModuleCreate(), platform::EndProgram);
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Information);
    EXPECT_EQ(pc.messages.Shown()[0].buttons, Buttons::YesNo);
    EXPECT_EQ(pc.messages.Shown()[0].text.rfind("同一バージョンのサーバー機が見つかりません。\r\n", 0), 0u);

    pc.messages.QueueAnswer(Answer::No);
    pc.db().DataModuleCreate();
    EXPECT_FALSE(pc.db().ClientMode());
    EXPECT_EQ(pc.Setting("CONST", "CSKubun", std::string(platform::kVersionKey)), "1");
    pc.db().RegisterThisPc();

    // Later starts find its row and run it as the server without asking.
    pc.module.reset();
    pc.db().DataModuleCreate();
    EXPECT_FALSE(pc.db().ClientMode());
    EXPECT_EQ(pc.messages.Shown().size(), 2u);
    EXPECT_TRUE(pc.messages.Faults().empty());
}

TEST_F(DataModuleTest, AFolderOnADriveThatCannotBeConfirmedOffersTheLocalOne) {
    const std::string away = root.folder("unmounted/share/KorvalenDB");
    for (Answer answer : {Answer::Cancel, Answer::Yes}) {
        TestPc pc(root.path(), answer == Answer::Yes ? "PC-Y" : "PC-N");
        platform::WriteProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1", away);
        pc.messages.QueueAnswer(answer);
        if (answer == Answer::Cancel) {
            EXPECT_THROW(pc.db().DataModuleCreate(), platform::EndProgram);
        } else {
            pc.db().DataModuleCreate();
            EXPECT_EQ(pc.db().DatabaseFolder(), pc.programFolder + "KorvalenDB/");
            EXPECT_EQ(TableFiles(pc.db().DatabaseFolder()), kAllTables);
        }
        ASSERT_EQ(pc.messages.Shown().size(), 1u);
        EXPECT_EQ(pc.messages.Shown()[0].buttons, Buttons::YesCancel);
        EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Error);
        // This run only: the chosen folder stays chosen.
        EXPECT_EQ(platform::ReadProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1"), away);
        EXPECT_FALSE(fs::exists(root.folder("unmounted")));
    }
}

TEST_F(DataModuleTest, BuildLockOfThisPcIsStaleAndRemovedAtOnce) {
    TestPc pc(root.path());
    const std::string folder = MadeLocalFolder(pc);
    platform::WriteProfileString(folder + "DBCreate.ini", "CONST", "DBCreate", "PC-A");
    pc.db().DataModuleCreate();
    EXPECT_TRUE(pc.waits.empty());
    EXPECT_EQ(TableFiles(folder), kAllTables);
    EXPECT_FALSE(fs::exists(folder + "DBCreate.ini"));
}

TEST_F(DataModuleTest, BuildLockOfAnotherPcIsWaitedForThenGivenUp) {
    TestPc pc(root.path());
    const std::string folder = MadeLocalFolder(pc);
    // A lock file naming nobody may be one another PC has only just made.
    for (const std::string holder : {"PC-B", ""}) {
        SCOPED_TRACE(holder);
        WriteWholeFile(folder + "DBCreate.ini", holder.empty() ? "" : "[CONST]\nDBCreate=" + holder + "\n");
        pc.waits.clear();
        platform::ScriptedMessages fresh;
        std::swap(pc.messages, fresh);

        EXPECT_THROW(pc.db().DataModuleCreate(), platform::EndProgram);
        EXPECT_EQ(pc.waits, std::vector<std::chrono::milliseconds>(21, std::chrono::milliseconds(3000)));
        ASSERT_EQ(pc.messages.Shown().size(), 1u);
        EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Warning);
        EXPECT_EQ(pc.messages.Shown()[0].text, kLockTimeoutText);
        EXPECT_TRUE(TableFiles(folder).empty());
        EXPECT_EQ(platform::ReadProfileString(folder + "DBCreate.ini", "CONST", "DBCreate"), holder);
    }
    WriteWholeFile(folder + "DBCreate.ini", "[CONST]\nDBCreate=PC-B\n");

    // The other PC finishes during the third wait: this one builds.
    TestPc patient(root.path(), "PC-P");
    platform::WriteProfileString(patient.DbPathIni(), "TableDB", "TableDatabase1", folder);
    patient.onWait = [&](std::size_t count) {
        if (count == 3) fs::remove(folder + "DBCreate.ini");
    };
    patient.db().DataModuleCreate();
    EXPECT_EQ(patient.waits.size(), 3u);
    EXPECT_EQ(TableFiles(folder), kAllTables);
    EXPECT_FALSE(fs::exists(folder + "DBCreate.ini"));
}

TEST_F(DataModuleTest, AFailedBuildReleasesTheLock) {
    TestPc pc(root.path());
    const std::string folder = MadeLocalFolder(pc);
    WriteWholeFile(folder + "Opcfg.dat", "not a table at all, only some text that fills a header");
    EXPECT_THROW(pc.db().DataModuleCreate(), tablestore::EngineError);
    EXPECT_FALSE(fs::exists(folder + "DBCreate.ini"));
}

TEST_F(DataModuleTest, AfterARestoreThePcTableStartsEmpty) {
    TestPc pc(root.path());
    KorvalenDB& db = pc.db();
    db.DataModuleCreate();
    db.RegisterThisPc();
    fs::remove(db.DatabaseFolder() + "SinseiT32.dat");  // a backup without it
    db.RebuildAfterRestore();
    EXPECT_EQ(TableFiles(db.DatabaseFolder()), kAllTables);
    tablestore::Table pcs(db.TableDatabase1(), "CSConM");
    pcs.open();
    EXPECT_EQ(pcs.recordCount(), 0);
}

TEST_F(DataModuleTest, AnOldCaseTableIsUpgradedWithEveryRow) {
    TestPc pc(root.path());
    const std::string folder = MadeLocalFolder(pc);
    {
        tablestore::Database old;
        old.setDirectory(folder);
        TableLayout layout = CaseTableLayout();
        layout.fields.pop_back();  // the older layout had no CHECKBOX
        CreateTable(old, layout);
        tablestore::Table cases(old, "SinseiT13");
        cases.open();
        for (int seq : {0, 1, 5}) {
            cases.append();
            cases.fieldByName("CODE").setInteger(9999);
            cases.fieldByName("SEQ").setInteger(seq);
            cases.fieldByName("NAME").setString("債務者" + std::to_string(seq));
            cases.fieldByName("RIRITSU").setFloat(29.2);
            cases.fieldByName("START_DAY").setDate(38000 + seq);
            cases.fieldByName("SYONITI_UMU").setBoolean(seq != 1);
            cases.fieldByName("SEISAN_KIND").setInteger(seq == 5 ? 1 : 0);
            cases.post();
        }
    }
    pc.db().DataModuleCreate();

    tablestore::Table cases(pc.db().TableDatabase1(), "SinseiT13");
    cases.open();
    EXPECT_EQ(cases.fieldDefs(), CaseTableLayout().fields);
    std::vector<std::string> rows;
    for (cases.first(); !cases.eof(); cases.next()) {
        rows.push_back(cases.fieldByName("SEQ").asString() + " " + cases.fieldByName("NAME").asString() + " " +
                       cases.fieldByName("RIRITSU").asString() + " " + cases.fieldByName("START_DAY").asString() + " " +
                       cases.fieldByName("SYONITI_UMU").asString() + " " + cases.fieldByName("SEISAN_KIND").asString() +
                       " " + cases.fieldByName("CHECKBOX").asString() +
                       (cases.fieldByName("CHECKBOX").isNull() ? "~" : ""));
    }
    cases.close();
    EXPECT_EQ(rows, (std::vector<std::string>{"0 債務者0 29.2 38000 1 0 0", "1 債務者1 29.2 38001 0 0 0",
                                              "5 債務者5 29.2 38005 1 1 0"}));
    for (const char* ext : {".dat", ".idx"}) EXPECT_FALSE(fs::exists(folder + "SinseiT13b" + ext));
}

TEST_F(DataModuleTest, AnUpgradeCutOffAfterItsCopyIsFinished) {
    TestPc pc(root.path());
    const std::string folder = MadeLocalFolder(pc);
    {
        tablestore::Database db;
        db.setDirectory(folder);
        CreateTable(db, CaseTableLayout(), kCaseTableUpgrade);
        tablestore::Table copy(db, "SinseiT13b");
        copy.open();
        copy.append();
        copy.fieldByName("CODE").setInteger(9999);
        copy.fieldByName("SEQ").setInteger(7);
        copy.post();
    }
    pc.db().DataModuleCreate();
    tablestore::Table cases(pc.db().TableDatabase1(), "SinseiT13");
    cases.open();
    EXPECT_TRUE(cases.findKey({9999, 7}));
    EXPECT_FALSE(fs::exists(folder + "SinseiT13b.dat"));
}

struct OptionsExample {
    std::map<std::string, std::string> settings;
    std::int32_t bits;
    std::string address;
    std::int32_t port;
};

TEST_F(DataModuleTest, OptionsSeedAnEmptyRowAndTravelToTheNextPc) {
    const std::vector<OptionsExample> examples = {
        {{{"SEIREKI", "YES"}, {"PROXY", "NO"}}, 0x80, "", 80},
        {{{"SEIREKI", "YES"},
          {"UPDATEKANRI", "NO"},
          {"PROXY", "YES"},
          {"PROXY_ADDRESS", "proxy.example.jp"},
          {"PROXY_PORT", "8080"}},
         0x880,
         "proxy.example.jp",
         8080},
        {{{"UPDATEKANRI", "yes"}, {"PROXY", "1"}, {"PROXY_PORT", "65000"}}, 0xC00, "", 65000},
        {{}, 0, "", 80},
    };
    int n = 0;
    for (const auto& example : examples) {
        SCOPED_TRACE(n);
        const std::string shared = root.folder("db" + std::to_string(n++));
        TestPc first(root.path(), "first" + std::to_string(n));
        platform::WriteProfileString(first.DbPathIni(), "TableDB", "TableDatabase1", shared);
        for (const auto& [name, value] : example.settings) first.SetSetting("SETTING", name, value);
        first.db().DataModuleCreate();
        {
            tablestore::Table row(first.db().TableDatabase1(), "Opcfg");
            row.open();
            EXPECT_EQ(row.recordCount(), 1);
            EXPECT_EQ(row.fieldByName("HENSAIHOUHOU_TAB").asInteger(), example.bits);
            EXPECT_EQ(row.fieldByName("PROXY_ADDRESS").asString(), example.address);
        }

        TestPc second(root.path(), "second" + std::to_string(n));
        platform::WriteProfileString(second.DbPathIni(), "TableDB", "TableDatabase1", shared);
        second.SetSetting("SETTING", "SEIREKI", "NO");
        second.db().DataModuleCreate();
        EXPECT_EQ(second.Setting("SETTING", "SEIREKI"), example.bits & 0x80 ? "YES" : "NO");
        EXPECT_EQ(second.Setting("SETTING", "UPDATEKANRI"), example.bits & 0x400 ? "YES" : "NO");
        EXPECT_EQ(second.Setting("SETTING", "PROXY"), example.bits & 0x800 ? "YES" : "NO");
        EXPECT_EQ(second.Setting("SETTING", "PROXY_ADDRESS"), example.address);
        EXPECT_EQ(second.Setting("SETTING", "PROXY_PORT"), std::to_string(example.port));
    }
}

TEST_F(DataModuleTest, ProxyOffInTheRowClearsAddressAndPort) {
    TestPc pc(root.path());
    pc.db().DataModuleCreate();
    StoreOptionsRow(pc.db().TableDatabase1(), SharedOptions{false, false, false, "old.example.jp", 3128});
    pc.SetSetting("SETTING", "PROXY", "YES");
    pc.SetSetting("SETTING", "PROXY_ADDRESS", "mine.example.jp");
    pc.db().LoadOptionsFromTable();
    EXPECT_EQ(pc.Setting("SETTING", "PROXY"), "NO");
    EXPECT_EQ(pc.Setting("SETTING", "PROXY_ADDRESS"), "");
    EXPECT_EQ(pc.Setting("SETTING", "PROXY_PORT"), "80");
}

TEST_F(DataModuleTest, RegisterThisPcAddsRefreshesAndLeavesOthersAlone) {
    TestPc pc(root.path());
    pc.computerName = "とても長いコンピューター名前のパソコン-01";  // 41 bytes in Shift-JIS
    KorvalenDB& db = pc.db();
    db.DataModuleCreate();
    db.RegisterThisPc(true);

    tablestore::Table pcs(db.TableDatabase1(), "CSConM");
    pcs.open();
    ASSERT_TRUE(pcs.findKey({0, db.InstallationNumber()}));
    EXPECT_EQ(pcs.fieldByName("PCNAME").asString(), "とても長いコンピューター名前の");  // cut at 30 bytes
    EXPECT_EQ(pcs.fieldByName("USERNAME").asString(), "山田　太郎");
    EXPECT_FALSE(pcs.fieldByName("CS_KUBUN").asBoolean());
    EXPECT_EQ(pcs.fieldByName("CreateDate").asDate(), kToday);
    EXPECT_TRUE(pcs.fieldByName("LOGON_KUBUN").asBoolean());
    EXPECT_EQ(pcs.fieldByName("VERSION").asString(), "1.0.0.0");
    EXPECT_TRUE(pcs.fieldByName("VERUPFLG").asBoolean());

    pcs.edit();
    pcs.fieldByName("LOGON_KUBUN").setBoolean(false);
    pcs.fieldByName("VERSION").setString("0.9");
    pcs.post();
    pc.clock.Set(kToday + 10);
    db.RegisterThisPc(false);
    ASSERT_TRUE(pcs.findKey({0, db.InstallationNumber()}));
    EXPECT_TRUE(pcs.fieldByName("LOGON_KUBUN").asBoolean());
    EXPECT_EQ(pcs.fieldByName("VERSION").asString(), "1.0.0.0");
    EXPECT_FALSE(pcs.fieldByName("VERUPFLG").asBoolean());
    EXPECT_EQ(pcs.fieldByName("CreateDate").asDate(), kToday);

    // A row of this number under another PC's name is not ours to change.
    pcs.edit();
    pcs.fieldByName("PCNAME").setString("OTHER");
    pcs.fieldByName("VERSION").setString("0.9");
    pcs.post();
    db.RegisterThisPc();
    ASSERT_TRUE(pcs.findKey({0, db.InstallationNumber()}));
    EXPECT_EQ(pcs.fieldByName("VERSION").asString(), "0.9");
    EXPECT_EQ(pcs.recordCount(), 1);
}

}  // namespace
}  // namespace korvalen::storage
