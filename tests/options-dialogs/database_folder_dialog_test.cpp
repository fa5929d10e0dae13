// The database folder dialog ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定 driven through its
// controls, with a scripted folder chooser: which folder it opens on, the
// folders 参照 refuses and accepts, what 登録 writes and the restart it
// asks for, the next start as a client, the close question and the keys.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "korvalen/platform/paths.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/shell/korv_al.h"
#include "korvalen/shell/modal_result.h"
#include "korvalen/shell/select_folder.h"
#include "shell_fixture.h"

namespace korvalen::shell {
namespace {

using namespace fixtures;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;

constexpr const char* kQuestion =
    "データは変更されていますが\r\n保存されていません。\r\n保存してから「終了」しますか？";

// A share of another PC as this one sees it: a network file system.
class ShareDrives final : public platform::DriveClassifier {
public:
    explicit ShareDrives(std::string share) : share_(std::move(share)) {}
    platform::DriveKind KindOf(const std::string& folder) const override {
        return platform::SameFolder(platform::WithTrailingSeparator(folder), share_) ? platform::DriveKind::Network
                                                                                     : platform::DriveKind::Local;
    }

private:
    std::string share_;
};

// A PC with its database folder dialog, and a server PC whose database
// folder stands for the share of the LAN.
class DatabaseFolderDialogTest : public ::testing::Test {
protected:
    DatabaseFolderDialogTest() {
        server.db.RegisterThisPc();
        serverFolder = server.db.DatabaseFolder();
        // As the chooser gives a folder back: without a trailing separator.
        chosenServer = serverFolder.substr(0, serverFolder.size() - 1);
        emptyFolder = pc.root / "share/empty";
        fs::create_directories(emptyFolder);
    }
    ~DatabaseFolderDialogTest() override { dialog.reset(); }

    std::string LocalFolder() const { return pc.db.LocalDatabaseFolder(); }
    std::string DbPathIni() const {
        return platform::ReadProfileString(pc.db.DbPathIni(), "TableDB", "TableDatabase1", "(none)");
    }
    // This PC as a client of the server: what its start made of DBPath.ini.
    void MakeClient() {
        platform::WriteProfileString(pc.db.DbPathIni(), "TableDB", "TableDatabase1", serverFolder);
        pc.db.SetDatabaseFolder(serverFolder);
        pc.db.SetClientMode(true);
    }

    TKorvALF& Open() {
        dialog = std::make_unique<TKorvALF>(pc.Services(), lastChosenFolder, &chooser);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    QToolButton* Button(const char* name) const { return dialog->findChild<QToolButton*>(name); }
    QRadioButton* Item(int index) const {
        return dialog->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(index));
    }
    QLineEdit* Edit1() const { return dialog->findChild<QLineEdit*>("Edit1"); }
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void Browse(std::optional<std::string> answer) {
        chooser.QueueFolder(std::move(answer));
        Click(Button("SpeedButton3"));
    }
    // The program's end, asked for through the one end-of-program path
    // (the click's error reached the application's dispatch).
    std::optional<int> EndRequest() { return KorvalenApplication::Instance()->TakeEndRequest(); }
    std::vector<std::string> Texts() const { return pc.Texts(); }

    ShellPc server;
    ShellPc pc;
    std::string serverFolder;
    std::string chosenServer;
    std::string emptyFolder;
    std::string lastChosenFolder;
    ScriptedFileChooser chooser;
    std::unique_ptr<TKorvALF> dialog;
};

TEST_F(DatabaseFolderDialogTest, OpensOnTheItemOfTheFolderInUse) {
    TKorvALF& alone = Open();
    EXPECT_EQ(alone.windowTitle(), "ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定");
    EXPECT_EQ(alone.size(), QSize(533, 262));
    EXPECT_EQ(alone.palette().color(QPalette::Window), QColor(228, 228, 228));
    EXPECT_EQ(dialog->findChild<QGroupBox*>("RadioGroup1")->title(), "ﾃﾞｰﾀの場所");
    EXPECT_EQ(Item(0)->text(), "このｺﾝﾋﾟｭｰﾀ(単体使用orサーバー用PCの場合)");
    EXPECT_EQ(Item(1)->text(), "他のｺﾝﾋﾟｭｰﾀ(C/S使用のクライアント用PCの場合)");
    EXPECT_EQ(Button("SB01")->text(), "閉じる(&C)");
    EXPECT_EQ(Button("SB01")->toolTip(), "画面を閉じる");
    EXPECT_EQ(Button("SB03")->text(), "登録(&S)");
    EXPECT_EQ(Button("SpeedButton3")->text(), "参照(&B)...");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(),
              "ＬＡＮ共有する場合は、サーバーの[vex]フォルダを共有設定にし、データベースフォルダに[KorvalenDB]を指定"
              "してください。");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label2")->text(), "現在のﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰ");
    EXPECT_TRUE(Edit1()->isReadOnly());
    EXPECT_EQ(Edit1()->palette().color(QPalette::Base), QColor(255, 255, 0));
    ExpectEveryNamedControlHasAnAccessibleName(alone);

    // Stand-alone: this computer, its own folder, nothing to browse or register.
    EXPECT_EQ(alone.ItemIndex(), TKorvALF::kThisComputer);
    EXPECT_EQ(Edit1()->text().toStdString(), LocalFolder());
    EXPECT_FALSE(Button("SpeedButton3")->isEnabled());
    EXPECT_FALSE(Button("SB03")->isEnabled());

    // ヘルプ opens the page of help context 42.
    Click(Button("SBHint"));
    ASSERT_FALSE(pc.links.opened.empty());
    EXPECT_TRUE(pc.links.opened.back().toString().endsWith("help/context-42.html"));

    // A client: the other computer, the share in use, 参照 ready.
    dialog.reset();
    MakeClient();
    TKorvALF& client = Open();
    EXPECT_EQ(client.ItemIndex(), TKorvALF::kOtherComputer);
    EXPECT_EQ(Edit1()->text().toStdString(), serverFolder);
    EXPECT_TRUE(Button("SpeedButton3")->isEnabled());
    EXPECT_FALSE(Button("SB03")->isEnabled());
    EXPECT_TRUE(pc.messages.Shown().empty());
}

TEST_F(DatabaseFolderDialogTest, BrowseRefusesAFolderWithoutCasesAndRegistersTheShareWithThem) {
    Open();
    Click(Item(1));
    EXPECT_TRUE(Button("SpeedButton3")->isEnabled());
    EXPECT_FALSE(Button("SB03")->isEnabled());
    EXPECT_EQ(Edit1()->text().toStdString(), LocalFolder());

    // Cancelling the chooser changes nothing.
    Browse(std::nullopt);
    ASSERT_EQ(chooser.FolderRequests().size(), 1u);
    EXPECT_EQ(chooser.FolderRequests()[0].caption, "フォルダの指定");
    EXPECT_EQ(chooser.FolderRequests()[0].root, kNetworkPlaces);
    EXPECT_EQ(chooser.FolderRequests()[0].start, "");
    EXPECT_FALSE(Button("SB03")->isEnabled());
    EXPECT_TRUE(pc.messages.Shown().empty());

    Browse(emptyFolder);
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].text, "[KorvalenDB]フォルダを選択して下さい。");
    EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Information);
    EXPECT_EQ(pc.messages.Shown()[0].buttons, Buttons::Ok);
    EXPECT_FALSE(Button("SB03")->isEnabled());
    EXPECT_EQ(Edit1()->text().toStdString(), LocalFolder());

    // The chooser starts at the folder chosen last.
    Browse(chosenServer);
    EXPECT_EQ(chooser.FolderRequests().back().start, emptyFolder);
    EXPECT_TRUE(Button("SB03")->isEnabled());
    EXPECT_EQ(Edit1()->text().toStdString(), chosenServer);
    EXPECT_EQ(pc.messages.Shown().size(), 1u);

    Click(Button("SB03"));
    EXPECT_EQ(Texts().back(), "アプリケーションを再起動して下さい。");
    EXPECT_EQ(pc.messages.Shown().back().type, MessageType::Information);
    EXPECT_EQ(EndRequest(), 0);
    EXPECT_EQ(DbPathIni(), serverFolder);
    EXPECT_EQ(pc.db.DatabaseFolder(), serverFolder);
    EXPECT_TRUE(pc.db.ClientMode());
    // "DBPath" keeps this computer's own folder.
    EXPECT_EQ(pc.settings.Read(pc.db.ProgramKey(), "CONST", "DBPath"), LocalFolder());

    // The next start runs as the server's client, without a question.
    ShareDrives drives(serverFolder);
    platform::ScriptedMessages messages;
    storage::KorvalenDB next(pc.settings, messages, drives, pc.clock,
                             storage::MachineFacts{pc.programFolder, "PC-A", "山田　太郎", "1.0.0.0", {}});
    next.DataModuleCreate();
    EXPECT_TRUE(next.ClientMode());
    EXPECT_EQ(next.DatabaseFolder(), serverFolder);
    EXPECT_TRUE(messages.Shown().empty());

    // A later dialog of the same run starts browsing there.
    dialog.reset();
    Open();
    Browse(std::nullopt);
    EXPECT_EQ(chooser.FolderRequests().back().start, chosenServer);
}

TEST_F(DatabaseFolderDialogTest, AClientSwitchedBackToThisComputerRegistersItsOwnFolder) {
    MakeClient();
    TKorvALF& client = Open();
    Click(Item(0));
    EXPECT_EQ(Edit1()->text().toStdString(), LocalFolder());
    EXPECT_FALSE(Button("SpeedButton3")->isEnabled());
    EXPECT_TRUE(Button("SB03")->isEnabled());

    QTest::keyClick(&client, Qt::Key_F3);
    EXPECT_EQ(Texts(), std::vector<std::string>{"アプリケーションを再起動して下さい。"});
    EXPECT_EQ(EndRequest(), 0);
    EXPECT_EQ(DbPathIni(), LocalFolder());
    EXPECT_EQ(pc.db.DatabaseFolder(), LocalFolder());
    EXPECT_FALSE(pc.db.ClientMode());
}

TEST_F(DatabaseFolderDialogTest, BackOnTheOtherComputerNothingIsRegisteredUntilBrowseFindsCases) {
    // A client that looked at this computer and came back: no empty folder
    // gets registered, the share stays.
    MakeClient();
    TKorvALF& client = Open();
    Click(Item(0));
    Click(Item(1));
    EXPECT_EQ(Edit1()->text().toStdString(), serverFolder);
    EXPECT_FALSE(Button("SB03")->isEnabled());
    QTest::keyClick(&client, Qt::Key_F3);
    EXPECT_EQ(DbPathIni(), serverFolder);
    EXPECT_EQ(EndRequest(), std::nullopt);

    // A folder 参照 refused after one it accepted is not registered either.
    Browse(chosenServer);
    EXPECT_TRUE(Button("SB03")->isEnabled());
    Browse(emptyFolder);
    EXPECT_FALSE(Button("SB03")->isEnabled());
    Click(Item(0));
    Click(Item(1));
    QTest::keyClick(&client, Qt::Key_F3);
    EXPECT_EQ(DbPathIni(), serverFolder);
    EXPECT_EQ(EndRequest(), std::nullopt);

    client.close();
    EXPECT_FALSE(client.isVisible());
    EXPECT_EQ(Texts(), std::vector<std::string>{"[KorvalenDB]フォルダを選択して下さい。"});
}

TEST_F(DatabaseFolderDialogTest, ClosingWithAChoiceNotRegisteredAsksAndDoesWhatTheAnswerSays) {
    enum class Close { SB01, F1, CloseBox };
    struct Case {
        const char* name;
        bool change;
        Close how;
        std::optional<Answer> answer;
        bool closed;
        int result;
        bool registered;
    };
    const std::vector<Case> cases = {
        {"yes registers and restarts", true, Close::SB01, Answer::Yes, false, 0, true},
        {"no leaves everything", true, Close::F1, Answer::No, true, kMrCancel, false},
        {"cancel stays", true, Close::CloseBox, Answer::Cancel, false, 0, false},
        {"nothing to register", false, Close::SB01, std::nullopt, true, kMrCancel, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pc.messages = platform::ScriptedMessages();
        MakeClient();
        TKorvALF& client = Open();
        if (c.change) Click(Item(0));
        if (c.answer) pc.messages.QueueAnswer(*c.answer);
        switch (c.how) {
            case Close::SB01: Click(Button("SB01")); break;
            case Close::F1: QTest::keyClick(&client, Qt::Key_F1); break;
            case Close::CloseBox: client.close(); break;
        }
        if (c.answer) {
            ASSERT_FALSE(pc.messages.Shown().empty());
            EXPECT_EQ(pc.messages.Shown()[0].text, kQuestion);
            EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Information);
            EXPECT_EQ(pc.messages.Shown()[0].buttons, Buttons::YesNoCancel);
        } else {
            EXPECT_TRUE(pc.messages.Shown().empty());
        }
        if (c.registered) {
            EXPECT_EQ(Texts().back(), "アプリケーションを再起動して下さい。");
            EXPECT_EQ(EndRequest(), 0);
            EXPECT_EQ(DbPathIni(), LocalFolder());
        } else {
            EXPECT_EQ(EndRequest(), std::nullopt);
            EXPECT_EQ(DbPathIni(), serverFolder);
            EXPECT_EQ(client.isVisible(), !c.closed);
            if (c.closed) {
                EXPECT_EQ(client.result(), c.result);
            }
        }
        EXPECT_TRUE(pc.messages.Faults().empty());
        dialog.reset();
    }
}

TEST_F(DatabaseFolderDialogTest, TheDialogTakesEveryKeyItsControlsLeaveAlone) {
    std::vector<QWidget*> printed;
    pc.screenPrint = [&printed](QWidget* window) { printed.push_back(window); };
    MakeClient();
    TKorvALF& client = Open();
    Click(Item(0));

    // Ctrl+P prints the dialog, from the dialog itself and from the item
    // that has the focus; keys that would close a dialog elsewhere are
    // swallowed here.
    QTest::keyClick(&client, Qt::Key_P, Qt::ControlModifier);
    Item(0)->setFocus();
    QTest::keyClick(Item(0), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, (std::vector<QWidget*>{&client, &client}));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_A, Qt::Key_F5}) {
        QTest::keyClick(&client, key);
        QTest::keyClick(Item(0), key);
    }
    QTest::keyClick(&client, Qt::Key_P);  // without Ctrl: nothing
    EXPECT_EQ(printed.size(), 2u);
    EXPECT_TRUE(client.isVisible());
    EXPECT_TRUE(Button("SB03")->isEnabled());
    EXPECT_TRUE(pc.messages.Shown().empty());

    // Without a screen print the user is told so.
    dialog.reset();
    pc.screenPrint = nullptr;
    TKorvALF& plain = Open();
    QTest::keyClick(&plain, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Texts(), std::vector<std::string>{"画面の印刷は、このビルドにはまだ含まれていません。"});
    // F1 closes a dialog with nothing to register at once.
    QTest::keyClick(&plain, Qt::Key_F1);
    EXPECT_FALSE(plain.isVisible());
}

TEST_F(DatabaseFolderDialogTest, DefaultDirIsRepairedWhenItLiesOnAnotherDisk) {
    const std::string vex = pc.root / "vex";
    struct Case {
        const char* name;
        std::optional<std::string> before;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt, vex},
        {"empty", "", vex},
        // /proc is always a file system of its own.
        {"another file system", "/proc/vex", vex},
        {"the same disk", pc.root.folder("elsewhere"), pc.root.folder("elsewhere")},
        {"the program's parent", vex + "/", vex + "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) {
            pc.settings.Write(pc.db.ProgramKey(), "CONST", "DefaultDir", *c.before);
        } else {
            pc.settings.Remove(pc.db.ProgramKey(), "CONST", "DefaultDir");
        }
        Open();
        EXPECT_EQ(pc.settings.Read(pc.db.ProgramKey(), "CONST", "DefaultDir"), c.after);
        dialog.reset();
    }
}

TEST_F(DatabaseFolderDialogTest, ADbPathIniThatCannotBeWrittenChangesNothing) {
    MakeClient();
    // A folder in the way of the file.
    fs::remove(pc.db.DbPathIni());
    fs::create_directory(pc.db.DbPathIni());
    Open();
    Click(Item(0));
    Click(Button("SB03"));
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Error);
    EXPECT_EQ(EndRequest(), std::nullopt);
    EXPECT_EQ(pc.db.DatabaseFolder(), serverFolder);
    EXPECT_TRUE(pc.db.ClientMode());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Button("SB03")->isEnabled());
}

}  // namespace
}  // namespace korvalen::shell
