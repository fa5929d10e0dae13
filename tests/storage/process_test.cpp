// Other processes on the same database folder: PCs starting at the same
// moment, and a client reading while this PC saves.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <random>
#include <thread>

#include "korvalen/platform/profile_file.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/child_process.h"
#include "storage_fixture.h"

namespace korvalen::storage {
namespace {

using korvalen::testsupport::ChildProcess;
using namespace storage::fixtures;

const std::string kChild = std::string(KORVALEN_BIN_DIR) + "/storage_test_child";

TEST(BuildLockProcesses, OnlyOneHolderAtATime) {
    TempFolder root("kvtest-lock");
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (const char* name : {"PC-1", "PC-2", "PC-3"}) {
        children.push_back(
            std::make_unique<ChildProcess>(kChild, std::vector<std::string>{"lock", root.path().string(), name, "40"}));
    }
    int held = 0;
    for (auto& child : children) {
        EXPECT_EQ(child->Wait(), 0) << child->Err();
        const std::string out = child->Out();
        ASSERT_EQ(out.rfind("held ", 0), 0u) << out;  // no "overlap" before it
        held += std::stoi(out.substr(5));
    }
    EXPECT_GT(held, 40);
}

TEST(BuildLockProcesses, PcsStartingTogetherBuildTheTablesOnce) {
    TempFolder root("kvtest-race");
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const std::string folder = root.folder("db" + std::to_string(round));
        std::vector<std::unique_ptr<ChildProcess>> children;
        for (const char* name : {"PC-1", "PC-2", "PC-3"}) {
            children.push_back(std::make_unique<ChildProcess>(
                kChild, std::vector<std::string>{"start", root.path().string(), name + std::to_string(round), folder}));
        }
        for (auto& child : children) {
            EXPECT_EQ(child->Wait(), 0) << child->Out() << child->Err();
            EXPECT_EQ(child->Out(), "ok\n");
        }
        // Two builders would each have seeded the options row.
        tablestore::Database db;
        db.setDirectory(folder);
        tablestore::Table options(db, "Opcfg");
        options.open();
        EXPECT_EQ(options.recordCount(), 1);
        EXPECT_FALSE(fs::exists(folder + "DBCreate.ini"));
    }
}

TEST(FirstStartProcess, AFirstStartKilledAtAnyMomentLeavesAFolderTheNextStartUses) {
    TempFolder root("kvtest-killed-start");
    // How long a whole first start takes here, to spread the kills over it.
    const auto started = std::chrono::steady_clock::now();
    {
        ChildProcess child(kChild, {"start", root.path().string(), "PC-T", root.folder("timed")});
        ASSERT_EQ(child.Wait(), 0) << child.Out();
    }
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    std::mt19937 random(20240701);
    std::uniform_int_distribution<std::int64_t> moment(0, took.count());
    int cut = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const std::string name = "PC-" + std::to_string(round);
        const std::string folder = root.folder("db" + std::to_string(round));
        {
            ChildProcess child(kChild, {"start", root.path().string(), name, folder});
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            child.Kill();
            child.Wait();
        }
        // Killed while it built the tables: some of them there, or a file
        // still being written.
        int tables = 0;
        bool building = false;
        std::error_code absent;
        for (const auto& e : fs::directory_iterator(folder, absent)) {
            const std::string file = e.path().filename().string();
            tables += file.ends_with(".dat");
            building = building || file.ends_with("~new") || file.ends_with("-journal");
        }
        if (building || (tables > 0 && tables < 4)) ++cut;
        // The same PC starts again: its own build lock is stale, the rest
        // of the folder must simply work.
        TestPc pc(root.path(), name);
        platform::WriteProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1", folder);
        pc.db().DataModuleCreate();
        tablestore::Database& db = pc.db().TableDatabase1();
        for (const std::string table : {"SinseiT13", "SinseiT32", "CSConM", "Opcfg"}) {
            const tablestore::TableCheck check = db.checkTable(table);
            EXPECT_TRUE(check.ok()) << table << ": " << (check.findings.empty() ? "" : check.findings[0]);
            EXPECT_TRUE(fs::exists(folder + table + ".idx")) << table;
        }
        EXPECT_TRUE(ListCases(db).empty());
        engine::HistoryList history;
        history.push_back(Entry(2010, 1, 1, 1000, 0, 18));
        EXPECT_EQ(SaveNewCase(db, engine::CaseRecord{}, history), 0);
        EXPECT_FALSE(fs::exists(folder + "DBCreate.ini"));
    }
    // Not a figure to reach, only a sign the kills fell inside the building.
    std::cout << "starts cut off while building the tables: " << cut << " of 20\n";
}

TEST(ClientProcess, ReadsWholeCasesWhileTheServerSaves) {
    TempFolder root("kvtest-client");
    TestPc server(root.path(), "PC-S");
    server.db().DataModuleCreate();
    server.db().RegisterThisPc();
    tablestore::Database& db = server.db().TableDatabase1();
    const auto save = [&](int k) {
        engine::CaseRecord header;
        header.SEQ = 0;
        header.GYOSYA_NAME = "c" + std::to_string(k);
        header.BIKO = "v" + std::to_string(k);
        engine::HistoryList history;
        for (int i = 0; i <= k % 20; ++i) history.push_back(Entry(2010, 1, 1 + i, k, 0, 18));
        SaveCase(db, header, history);
    };
    save(0);

    std::string folder = server.db().DatabaseFolder();
    folder.pop_back();
    ChildProcess reader(kChild, {"read", root.path().string(), "PC-C", folder, "3"});
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int k = 1;
    for (; std::chrono::steady_clock::now() < end; ++k) save(k);
    EXPECT_EQ(reader.Wait(), 0) << reader.Err();
    const std::string out = reader.Out();
    EXPECT_EQ(out.find("torn"), std::string::npos) << out;
    EXPECT_EQ(out.find("error"), std::string::npos) << out;
    EXPECT_EQ(out.rfind("reads ", 0), 0u) << out;
    EXPECT_GT(std::stoi(out.substr(6)), 0) << out;
    EXPECT_GT(k, 5);

    const auto last = LoadCase(db, 0);
    EXPECT_EQ(last->header.BIKO, "v" + std::to_string(k - 1));
    EXPECT_EQ(last->history.size(), static_cast<std::size_t>((k - 1) % 20 + 1));
}

}  // namespace
}  // namespace korvalen::storage
