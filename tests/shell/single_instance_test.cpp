#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLocalSocket>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "korvalen/platform/scripted_messages.h"
#include "korvalen/shell/single_instance.h"
#include "korvalen/storage/pc_list.h"
#include "korvalen/testsupport/child_process.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::shell {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::ChildProcess;
using testsupport::TempFolder;

constexpr const char* kAlreadyRunning = "warning\tok\t「カドレア」は、既に起動されています。";
constexpr const char* kStale =
    "warning\tok\t前回正常終了されなかったため起動できませんでした。再度このプログラムを起動して下さい。";

TEST(SingleInstance, TheRunningCopyComesToTheFrontWhenAsked) {
    TempFolder run("korvalen-run");
    platform::ScriptedMessages messages;
    SingleInstance instance(run.path().string(), "Korvalen", "カドレア");
    ASSERT_TRUE(instance.Start(messages));
    EXPECT_TRUE(fs::exists(instance.MarkerPath()));
    EXPECT_EQ(fs::path(instance.MarkerPath()).filename(), "Korvalen.marker");

    QWidget window;
    window.setWindowTitle("カドレア");
    instance.SetShowRequest([&] {
        if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    window.showMinimized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window) || window.isMinimized());

    // What a second copy sends after its warning.
    QLocalSocket second;
    second.connectToServer(instance.ServerPath());
    ASSERT_TRUE(second.waitForConnected(1000));
    second.write("show\n");
    QTRY_VERIFY(second.canReadLine() || second.bytesAvailable() > 0);
    EXPECT_EQ(second.readLine(), "shown\n");
    EXPECT_FALSE(window.isMinimized());
    QTRY_VERIFY(window.isActiveWindow());
    EXPECT_TRUE(messages.Shown().empty());
}

TEST(SingleInstance, NoMarkerNoStart) {
    TempFolder root("korvalen-run");
    for (const std::string& folder : {std::string(), root / "missing"}) {
        platform::ScriptedMessages messages;
        SingleInstance instance(folder, "Korvalen", "カドレア");
        EXPECT_FALSE(instance.Start(messages)) << folder;
        ASSERT_EQ(messages.Shown().size(), 1u) << folder;
        EXPECT_EQ(messages.Shown()[0].text, "「カドレア」を起動できません。");
        EXPECT_EQ(messages.Shown()[0].type, platform::MessageType::Warning);
    }
}

// Real copies of the program, each in its own process, on the offscreen
// platform, with a runtime folder, settings and a program folder of the test.
class TwoProcesses : public ::testing::Test {
protected:
    TwoProcesses() {
        fs::create_directories(root / "run");
        chmod((root / "run").c_str(), 0700);
        fs::create_directories(root / "vex/Korvalen");
        fs::copy_file(KORVALEN_PROGRAM, program);
        setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    }
    ~TwoProcesses() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("KORVALEN_MESSAGE_JOURNAL");
    }

    // Starts a copy whose messages go to journal `n`.
    std::unique_ptr<ChildProcess> Start(int n) {
        setenv("KORVALEN_MESSAGE_JOURNAL", Journal(n).c_str(), 1);
        return std::make_unique<ChildProcess>(program, std::vector<std::string>{});
    }
    std::string Journal(int n) const { return root / ("journal-" + std::to_string(n) + ".txt"); }
    std::string JournalText(int n) const { return testsupport::ReadWholeFile(Journal(n)); }

    // The copy is up once it listens on its socket and its main window has
    // been shown: it has then registered this PC in CSConM.
    bool Running(ChildProcess& copy) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < end) {
            if (copy.Wait(50ms) != -1) return false;  // it ended
            if (!fs::exists(Marker()) || !fs::exists(root / "run/カドレア")) continue;
            try {
                tablestore::Database database;
                database.setDirectory(root / "vex/Korvalen/KorvalenDB");
                if (!storage::ListPcs(database).empty()) return true;
            } catch (const std::exception&) {
                // The tables are still being made.
            }
        }
        return false;
    }
    std::string Marker() const { return root / "run/Korvalen.marker"; }

    TempFolder root{"korvalen-start"};
    std::string program = root / "vex/Korvalen/Korvalen";
};

TEST_F(TwoProcesses, ASecondStartWarnsAndLeavesTheFirstRunning) {
    auto first = Start(1);
    ASSERT_TRUE(Running(*first)) << first->Err();

    auto second = Start(2);
    EXPECT_EQ(second->Wait(20s), 0) << second->Err();
    EXPECT_EQ(JournalText(2), std::string(kAlreadyRunning) + "\n");
    // The first copy goes on, marker and all, and said nothing.
    EXPECT_EQ(first->Wait(300ms), -1);
    EXPECT_TRUE(fs::exists(Marker()));
    EXPECT_EQ(JournalText(1), "");

    // Ended by the desktop, it removes its marker: the next start is a normal one.
    first->Terminate();
    EXPECT_EQ(first->Wait(20s), 0) << first->Err();
    EXPECT_FALSE(fs::exists(Marker()));
    auto third = Start(3);
    EXPECT_TRUE(Running(*third)) << third->Err();
    EXPECT_EQ(JournalText(3), "");
}

TEST_F(TwoProcesses, AMarkerLeftByACrashIsReportedAndRemovedAndTheNextStartRuns) {
    auto first = Start(1);
    ASSERT_TRUE(Running(*first)) << first->Err();
    first->Kill();
    first->Wait();
    ASSERT_TRUE(fs::exists(Marker()));

    auto second = Start(2);
    EXPECT_EQ(second->Wait(20s), 0) << second->Err();
    EXPECT_EQ(JournalText(2), std::string(kStale) + "\n");
    EXPECT_FALSE(fs::exists(Marker()));

    auto third = Start(3);
    EXPECT_TRUE(Running(*third)) << third->Err();
    EXPECT_EQ(JournalText(3), "");
    // And it answers a fourth start as the running copy.
    auto fourth = Start(4);
    EXPECT_EQ(fourth->Wait(20s), 0) << fourth->Err();
    EXPECT_EQ(JournalText(4), std::string(kAlreadyRunning) + "\n");
}

}  // namespace
}  // namespace korvalen::shell
