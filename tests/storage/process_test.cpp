// Other processes on the same database folder: PCs starting at the same
// moment, and a client reading while this PC saves.
#include <gtest/gtest.h>

#include <memory>

#include "korvalen/platform/profile_file.h"
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
