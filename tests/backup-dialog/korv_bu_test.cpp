// The backup and restore dialog through its real controls: the opening
// values, the compression choice, the checks behind SaveBtn and OpenBtn,
// the source rules of the restore tab, the browse buttons, the keys, the
// mail link, and buttons that stay dead while a backup or restore runs.
#include "korvalen/shell/korv_bu.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrlQuery>
#include <functional>
#include <map>

#include "backup_fixture.h"
#include "korvalen/backup/backup_messages.h"
#include "korvalen/shell/desktop_links.h"
#include "korvalen/shell/help.h"

namespace korvalen::shell {
namespace {

using backup::fixtures::CaseHeader;
using backup::fixtures::CaseHistory;
using backup::fixtures::NamesIn;
using backup::fixtures::PcRows;
using platform::Answer;
using storage::fixtures::TempFolder;
using storage::fixtures::TestPc;
namespace fs = std::filesystem;
namespace texts = backup::texts;

// Records the links the dialog asks the desktop to open.
class RecordedLinks final : public DesktopLinks {
public:
    bool Open(const QUrl& url) override {
        urls.push_back(url);
        return works;
    }
    std::vector<QUrl> urls;
    bool works = true;
};

// Runs an action when a widget gets an event of one kind.
class EventProbe : public QObject {
public:
    EventProbe(QObject* watched, QEvent::Type type, std::function<void()> action)
        : watched_(watched), type_(type), action_(std::move(action)) {
        watched_->installEventFilter(this);
    }
    ~EventProbe() override { watched_->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == watched_ && event->type() == type_ && action_) {
            auto action = std::move(action_);
            action_ = nullptr;
            action();
        }
        return false;
    }

private:
    QObject* watched_;
    QEvent::Type type_;
    std::function<void()> action_;
};

class BackupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        backup::ArchiverLibraries::Reset();
        backup::ArchiverLibraries::SetSearchFolder(std::string(KORVALEN_BIN_DIR));
        pc.clock.Set(platform::DayNumberOf(2024, 1, 5));
        pc.db().DataModuleCreate();
        pc.db().RegisterThisPc();
        storage::SaveNewCase(pc.db().TableDatabase1(), CaseHeader(0, "アコム", "山田　太郎"), CaseHistory(20, 500000));
        pc.db().TableDatabase1().disconnect();
        fs::create_directories(backups);
    }
    void TearDown() override {
        dialog.reset();
        backup::ArchiverLibraries::Reset();
        EXPECT_TRUE(pc.messages.Faults().empty());
    }

    TKorvBUF& Dialog() {
        if (!dialog) {
            dialog = std::make_unique<TKorvBUF>(
                pc.db(), pc.settings, pc.messages, pc.clock, [this] { ++refreshes; }, nullptr, &chooser);
        }
        return *dialog;
    }
    template <typename W>
    W* Find(const char* name) {
        W* widget = Dialog().findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QCheckBox* Check(const char* name) { return Find<QCheckBox>(name); }
    void ShowActive() {
        Dialog().show();
        Dialog().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog()));
    }
    std::string LastText() const { return pc.messages.Shown().empty() ? "" : pc.messages.Shown().back().text; }
    static QString Q(const std::string& text) { return QString::fromStdString(text); }

    TempFolder root{"kvtest-bu-dialog"};
    TestPc pc{root.path()};
    ScriptedFileChooser chooser;
    std::string backups = root.folder("backups");
    int refreshes = 0;
    std::unique_ptr<TKorvBUF> dialog;
};

TEST_F(BackupDialog, OpensWithTheStoredValuesOnTheBackupTab) {
    pc.SetSetting("BACKUP", "DATE", "20231201");
    pc.SetSetting("BACKUP", "BackDir", backups);
    pc.SetSetting("BACKUP", "BackFld", "BAK_K231201");
    EXPECT_EQ(Dialog().windowTitle(), QStringLiteral("ﾃﾞｰﾀのﾊﾞｯｸｱｯﾌﾟと復元"));
    EXPECT_EQ(Find<QLabel>("BackDateLabel")->text(), QStringLiteral("2023/12/01"));
    EXPECT_EQ(Edit("DirName1Edit")->text(), Q(backups));
    EXPECT_EQ(Edit("DirName2Edit")->text(), Q(backups + "BAK_K231201/"));
    EXPECT_EQ(Edit("DirName2Edit")->toolTip(), Edit("DirName2Edit")->text());
    EXPECT_EQ(Edit("FolderNameEdit")->text(), QStringLiteral("BAK_K240105"));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget(), Find<QWidget>("BackUpTab"));
    EXPECT_FALSE(Find<QProgressBar>("Animate1")->isVisibleTo(&Dialog()));
    EXPECT_FALSE(Find<QLabel>("Message1Label")->isVisibleTo(&Dialog()));
    EXPECT_FALSE(Find<QLabel>("Message2Label")->isVisibleTo(&Dialog()));
    EXPECT_FALSE(Check("CheckBox1")->isChecked());
    EXPECT_FALSE(Check("CheckBox2")->isChecked());
    EXPECT_FALSE(Find<QGroupBox>("RadioGroup1")->isEnabled());
    EXPECT_TRUE(Find<QRadioButton>("RadioGroup1Lzh")->isChecked());
    EXPECT_TRUE(Button("OpenBtn")->isEnabled());
    EXPECT_EQ(Button("CloseBtn")->toolTip(), QStringLiteral("画面を閉じる"));
    EXPECT_EQ(Edit("Edit1")->text(), QString::fromLatin1(kSupportMail));
    // Every control can be named by a screen reader (a note by what it says).
    for (QWidget* w : Dialog().findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty())
                << w->objectName().toStdString();
        }
    }
}

TEST_F(BackupDialog, TheCompressionChoiceFollowsCheckBox1AndNamesItsLibrary) {
    ShowActive();
    QTest::mouseClick(Check("CheckBox1"), Qt::LeftButton);
    EXPECT_TRUE(Find<QGroupBox>("RadioGroup1")->isEnabled());
    struct Case {
        const char* radio;
        const char* library;
        const char* archive;
    };
    for (const Case& c : {Case{"RadioGroup1Cab", "【CAB32.DLL】", "「BAK****.CAB」"},
                          Case{"RadioGroup1Lzh", "【UNLHA32.DLL】", "「BAK****.LZH」"}}) {
        QRadioButton* radio = Find<QRadioButton>(c.radio);
        // On its mark, where a user clicks.
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
        EXPECT_TRUE(radio->isChecked());
        EXPECT_EQ(Find<QLabel>("Label2")->text(), QString::fromUtf8("※圧縮ファイルを作るには") +
                                                      QString::fromUtf8(c.library) + QString::fromUtf8("が必要です"));
        EXPECT_TRUE(Find<QLabel>("Label4")->text().contains(QString::fromUtf8(c.archive)));
    }
    QTest::mouseClick(Check("CheckBox1"), Qt::LeftButton);
    EXPECT_FALSE(Find<QGroupBox>("RadioGroup1")->isEnabled());
}

TEST_F(BackupDialog, SaveBtnRunsTheChecksAndPutsTheFocusWhereTheyPoint) {
    ShowActive();
    struct Case {
        std::string directory, name;
        std::string_view message;
        const char* focus;
    };
    const Case cases[] = {
        {"", "BAK_K240105", texts::kEnterBackupDirectory, "DirName1Edit"},
        {backups, "", texts::kEnterBackupFolderName, "FolderNameEdit"},
        {backups, "tav_temp", texts::kBackupIntoTempFolder, "DirName1Edit"},
    };
    for (const Case& c : cases) {
        Edit("DirName1Edit")->setText(Q(c.directory));
        Edit("FolderNameEdit")->setText(Q(c.name));
        Button("CloseBtn")->setFocus();
        QTest::mouseClick(Button("SaveBtn"), Qt::LeftButton);
        EXPECT_EQ(LastText(), c.message);
        EXPECT_TRUE(Edit(c.focus)->hasFocus()) << c.focus;
        EXPECT_TRUE(Button("SaveBtn")->isEnabled());
    }
}

// While the files are copied, every button is dead and the window stays
// open; afterwards SaveBtn stays disabled and the label says it is done.
TEST_F(BackupDialog, ABackupThroughSaveBtnLeavesNoWayInWhileItRuns) {
    ShowActive();
    Edit("DirName1Edit")->setText(Q(backups));
    bool sawBusy = false;
    bool anyEnabled = false;
    const QSize before = Dialog().size();
    QSize during;
    // The animation appears when the work starts: look then, and try to get in.
    EventProbe probe(Find<QProgressBar>("Animate1"), QEvent::Show, [&] {
        sawBusy = Dialog().Busy();
        QCoreApplication::processEvents();
        during = Dialog().size();
        for (const char* name : {"SaveBtn", "OpenBtn", "CloseBtn", "Browse1Btn", "Browse2Btn"}) {
            anyEnabled = anyEnabled || Button(name)->isEnabled();
        }
        QTest::mouseClick(Button("SaveBtn"), Qt::LeftButton);
        QTest::mouseClick(Button("CloseBtn"), Qt::LeftButton);
        Dialog().close();
        QTest::keyClick(&Dialog(), Qt::Key_Escape);
    });
    QTest::mouseClick(Button("SaveBtn"), Qt::LeftButton);
    EXPECT_TRUE(sawBusy);
    EXPECT_FALSE(anyEnabled);
    EXPECT_EQ(during, before);  // the window keeps its width while it works
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_FALSE(Dialog().Busy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(LastText(), texts::kBackupDone);
    EXPECT_EQ(NamesIn(backups), (std::set<std::string>{"BAK_K240105"}));
    EXPECT_FALSE(Button("SaveBtn")->isEnabled());
    EXPECT_TRUE(Button("OpenBtn")->isEnabled());
    EXPECT_TRUE(Find<QLabel>("Message1Label")->isVisible());
    EXPECT_EQ(Find<QLabel>("BackDateLabel")->text(), QStringLiteral("2024/01/05"));
    EXPECT_FALSE(Find<QProgressBar>("Animate1")->isVisible());
}

TEST_F(BackupDialog, TheNewDateIsOnTheScreenWhenTheCompletionNoticeComes) {
    // What BackDateLabel showed as each message came.
    class Watching final : public platform::MessageService {
    public:
        Watching(platform::MessageService& answers, std::function<QString()> label)
            : answers_(answers), label_(std::move(label)) {}
        void ShowPlain(const std::string& text) override { answers_.ShowPlain(text); }
        Answer Show(platform::MessageType type, platform::Buttons buttons, const std::string& text) override {
            seen[text] = label_().toStdString();
            return answers_.Show(type, buttons, text);
        }
        std::map<std::string, std::string> seen;

    private:
        platform::MessageService& answers_;
        std::function<QString()> label_;
    };
    QLabel* label = nullptr;
    Watching messages(pc.messages, [&label] { return label->text(); });
    TKorvBUF window(
        pc.db(), pc.settings, messages, pc.clock, [] {}, nullptr, &chooser);
    label = window.findChild<QLabel*>(QStringLiteral("BackDateLabel"));
    ASSERT_EQ(label->text(), Q(std::string(texts::kNoBackupYet)));
    window.findChild<QLineEdit*>(QStringLiteral("DirName1Edit"))->setText(Q(backups));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SaveBtn")), Qt::LeftButton);
    EXPECT_EQ(messages.seen[std::string(texts::kBackupDone)], "2024/01/05");
}

TEST_F(BackupDialog, RestoresFromAFolderThroughOpenBtnAndCloses) {
    pc.SetSetting("BACKUP", "BackDir", backups);
    {
        Dialog();
        Edit("DirName1Edit")->setText(Q(backups));
        QTest::mouseClick(Button("SaveBtn"), Qt::LeftButton);
        ASSERT_EQ(LastText(), texts::kBackupDone);
    }
    ASSERT_GT(PcRows(pc.db().DatabaseFolder()), 0);
    dialog.reset();
    Dialog().show();
    // The backup just made is where the restore tab points.
    EXPECT_EQ(Edit("DirName2Edit")->text(), Q(backups + "BAK_K240105/"));
    Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("OpenTab"));
    pc.messages.QueueAnswer(Answer::Ok);
    QTest::mouseClick(Button("OpenBtn"), Qt::LeftButton);
    EXPECT_EQ(pc.messages.Shown()[pc.messages.Shown().size() - 2].text, texts::kRestoreQuestion);
    EXPECT_EQ(LastText(), texts::kRestoreDone);
    EXPECT_EQ(Dialog().result(), QDialog::Accepted);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(PcRows(pc.db().DatabaseFolder()), 0);
}

TEST_F(BackupDialog, TheRestoreSourceRulesSetOpenBtnAndTheText) {
    Edit("DirName1Edit")->setText(Q(backups));
    Check("CheckBox1")->click();
    QTest::mouseClick(Button("SaveBtn"), Qt::LeftButton);
    ASSERT_EQ(LastText(), texts::kBackupDone);
    const std::string folder = backups + "BAK_K240105/";
    const std::string archive = folder + "BAK_K240105.LZH";

    Edit("DirName2Edit")->setText(Q(folder));
    Check("CheckBox2")->click();
    EXPECT_EQ(Edit("DirName2Edit")->text(), Q(archive));
    EXPECT_EQ(Edit("DirName2Edit")->toolTip(), Q(archive));
    EXPECT_TRUE(Button("OpenBtn")->isEnabled());
    // Unticked, the archive's path holds no database.
    Check("CheckBox2")->click();
    EXPECT_FALSE(Button("OpenBtn")->isEnabled());
    Edit("DirName2Edit")->setText(Q(pc.db().DatabaseFolder()));
    Check("CheckBox2")->click();
    EXPECT_FALSE(Button("OpenBtn")->isEnabled());
    Check("CheckBox2")->click();
    EXPECT_TRUE(Button("OpenBtn")->isEnabled());

    // Through OpenBtn with CheckBox2 ticked: no question, the archive comes back.
    Edit("DirName2Edit")->setText(Q(archive));
    Check("CheckBox2")->click();
    const std::size_t shown = pc.messages.Shown().size();
    QTest::mouseClick(Button("OpenBtn"), Qt::LeftButton);
    EXPECT_EQ(pc.messages.Shown().size(), shown + 1);
    EXPECT_EQ(LastText(), texts::kRestoreDone);
    EXPECT_EQ(Dialog().result(), QDialog::Accepted);
}

TEST_F(BackupDialog, TheBrowseButtonsAskTheChooserAndApplyTheRules) {
    const std::string parent = pc.programFolder;
    chooser.QueueFolder(backups.substr(0, backups.size() - 1));
    QTest::mouseClick(Button("Browse1Btn"), Qt::LeftButton);
    ASSERT_EQ(chooser.FolderRequests().size(), 1u);
    EXPECT_EQ(chooser.FolderRequests()[0].caption, QStringLiteral("フォルダの指定"));
    EXPECT_EQ(chooser.FolderRequests()[0].start, "");
    EXPECT_EQ(Edit("DirName1Edit")->text(), Q(backups));

    // Unticked: a folder, started at the text; OpenBtn follows the case table.
    Edit("DirName2Edit")->setText(Q(backups));
    chooser.QueueFolder(pc.db().DatabaseFolder());
    QTest::mouseClick(Button("Browse2Btn"), Qt::LeftButton);
    EXPECT_EQ(chooser.FolderRequests()[1].start, backups);
    EXPECT_EQ(Edit("DirName2Edit")->text(), Q(pc.db().DatabaseFolder()));
    EXPECT_TRUE(Button("OpenBtn")->isEnabled());
    Edit("DirName2Edit")->setText(QString());
    chooser.QueueFolder(std::nullopt);
    QTest::mouseClick(Button("Browse2Btn"), Qt::LeftButton);
    EXPECT_EQ(chooser.FolderRequests()[2].start, parent);
    EXPECT_FALSE(Button("OpenBtn")->isEnabled());

    // Ticked: the file dialog, with its filter, in the text's folder.
    Check("CheckBox2")->setChecked(true);
    Edit("DirName2Edit")->setText(Q(backups));
    chooser.QueueFile(backups + "BAK_K240105.LZH");
    QTest::mouseClick(Button("Browse2Btn"), Qt::LeftButton);
    ASSERT_EQ(chooser.FileRequests().size(), 1u);
    EXPECT_EQ(chooser.FileRequests()[0].objectName, QStringLiteral("OpenDialog1"));
    EXPECT_EQ(chooser.FileRequests()[0].folder, backups);
    EXPECT_TRUE(chooser.FileRequests()[0].filter.contains(QStringLiteral("*.LZH")));
    EXPECT_EQ(chooser.FileRequests()[0].defaultSuffix, QStringLiteral("LZH"));
    EXPECT_EQ(Edit("DirName2Edit")->text(), Q(backups + "BAK_K240105.LZH"));
    EXPECT_TRUE(Button("OpenBtn")->isEnabled());
    chooser.QueueFile(backups + "BAK888999.LZH");
    QTest::mouseClick(Button("Browse2Btn"), Qt::LeftButton);
    EXPECT_FALSE(Button("OpenBtn")->isEnabled());
}

TEST_F(BackupDialog, KeysMoveTheFocusAndCtrlPPrintsTheWindow) {
    QWidget* printed = nullptr;
    Dialog().SetPrintWindow([&](QWidget* window) { printed = window; });
    ShowActive();
    Edit("DirName1Edit")->setFocus();
    QTest::keyClick(Edit("DirName1Edit"), Qt::Key_Return);
    EXPECT_FALSE(Edit("DirName1Edit")->hasFocus());
    QWidget* next = QApplication::focusWidget();
    QTest::keyClick(next, Qt::Key_Up);
    EXPECT_TRUE(Edit("DirName1Edit")->hasFocus());
    QTest::keyClick(Edit("DirName1Edit"), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), next);
    EXPECT_TRUE(pc.messages.Shown().empty());
    QTest::keyClick(Edit("DirName1Edit"), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, &Dialog());

    int help = 0;
    QObject::connect(&Dialog(), &TKorvBUF::HelpRequested, [&](int context) { help = context; });
    QTest::mouseClick(Find<QToolButton>("SBHint"), Qt::LeftButton);
    EXPECT_EQ(help, help_context::kBackup);
    Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("OpenTab"));
    QTest::mouseClick(Find<QToolButton>("SBHint"), Qt::LeftButton);
    EXPECT_EQ(help, help_context::kRestore);
}

TEST_F(BackupDialog, TheSupportAddressOpensAMailWithTheRepairSubject) {
    RecordedLinks links;
    Dialog().SetLinks(links);
    ShowActive();
    QTest::mouseClick(Edit("Edit1"), Qt::LeftButton);
    ASSERT_EQ(links.urls.size(), 1u);
    const QUrl& mail = links.urls.front();
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(mail.path(), QString::fromLatin1(kSupportMail));
    EXPECT_EQ(QUrlQuery(mail).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              QString::fromUtf8(kSupportSubject));
    EXPECT_TRUE(pc.messages.Shown().empty());

    // A desktop without a mail program: the user is told.
    links.works = false;
    QTest::mouseClick(Edit("Edit1"), Qt::LeftButton);
    EXPECT_EQ(LastText(), "ﾒｰﾙｿﾌﾄ起動に失敗しました。\r\n\r\nError = 2");
}

// For the screenshots of the manual: with KORVALEN_SHOW_DIALOG_SECONDS set
// (under Xvfb), each tab stays on the screen that long.
TEST_F(BackupDialog, StaysOnTheScreenForScreenshots) {
    const int seconds = qEnvironmentVariableIntValue("KORVALEN_SHOW_DIALOG_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "KORVALEN_SHOW_DIALOG_SECONDS not set";
    pc.SetSetting("BACKUP", "DATE", "20240105");
    pc.SetSetting("BACKUP", "BackDir", "/srv/backup/");
    pc.SetSetting("BACKUP", "BackFld", "BAK_K240105");
    Dialog().move(20, 20);
    ShowActive();
    Check("CheckBox1")->click();
    for (QWidget* tab : {Find<QWidget>("BackUpTab"), Find<QWidget>("OpenTab")}) {
        Find<QTabWidget>("PageControl1")->setCurrentWidget(tab);
        QTest::qWait(seconds * 1000);
    }
}

}  // namespace
}  // namespace korvalen::shell
