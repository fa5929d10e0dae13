// The options dialog 環境設定 driven through its controls: what its save
// writes into the settings and the shared row, what the next PC of the
// database receives, the checks that keep a bad proxy out, the close
// question and the port field that takes digits only.
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "korvalen/platform/profile_file.h"
#include "korvalen/shell/korv_op.h"
#include "korvalen/shell/modal_result.h"
#include "korvalen/storage/shared_options.h"
#include "korvalen/tablestore/table.h"
#include "shell_fixture.h"

namespace korvalen::shell {
namespace {

using namespace fixtures;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;

constexpr const char* kMissing = "(none)";
constexpr const char* kQuestion =
    "データは変更されていますが\r\n保存されていません。\r\n保存してから「終了」しますか？";

struct OptionsRow {
    std::int32_t bits;
    std::string address;
    std::int32_t port;
};

OptionsRow ReadRow(storage::KorvalenDB& db) {
    tablestore::Table row(db.TableDatabase1(), "Opcfg");
    row.open();
    row.first();
    EXPECT_EQ(row.recordCount(), 1);
    return {row.fieldByName("HENSAIHOUHOU_TAB").asInteger(), row.fieldByName("PROXY_ADDRESS").asString(),
            row.fieldByName("PROXY_PORT").asInteger()};
}

// One PC and its options dialog.
struct OptionsPc {
    std::string Setting(const char* name) const {
        return pc.settings.Read(pc.db.ProgramKey(), "SETTING", name, kMissing);
    }
    void SetSetting(const char* name, const std::string& value) {
        pc.settings.Write(pc.db.ProgramKey(), "SETTING", name, value);
    }
    // The settings as they stand become the shared row, as at the first
    // opening of a database.
    void SeedRow() { pc.db.StoreOptionsToTable(); }

    TKorvOPF& Open() {
        dialog = std::make_unique<TKorvOPF>(pc.Services());
        dialog->SetBeep([this] { ++beeps; });
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    template <typename W>
    W* Find(const char* name) const {
        W* widget = dialog->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    QPushButton* SetBtn() const { return Find<QPushButton>("SetBtn"); }
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Replaces an edit's text as a user does: select it all, then type.
    void Retype(const char* edit, const QString& text) {
        QLineEdit* field = Edit(edit);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_Home, Qt::ShiftModifier);
        if (text.isEmpty()) {
            QTest::keyClick(field, Qt::Key_Delete);
        } else {
            QTest::keyClicks(field, text);
        }
    }
    bool Panel3Enabled() const {
        const bool edits = Edit("Edit3")->isEnabled();
        EXPECT_EQ(edits, Edit("Edit4")->isEnabled());
        // The disabled edits are painted light grey, the enabled ones in the window colour.
        const QColor expected = edits ? QApplication::palette().color(QPalette::Base) : QColor(235, 235, 235);
        for (const char* name : {"Edit3", "Edit4"}) {
            EXPECT_EQ(Edit(name)->palette().color(Edit(name)->palette().currentColorGroup(), QPalette::Base), expected)
                << name;
        }
        return edits;
    }

    ShellPc pc;
    std::unique_ptr<TKorvOPF> dialog;
    int beeps = 0;
};

TEST(OptionsDialogTest, OpensWithTheFormAndTheSettingsOfThisPc) {
    OptionsPc first;
    TKorvOPF& dialog = first.Open();
    EXPECT_EQ(dialog.windowTitle(), "環境設定");
    EXPECT_EQ(dialog.size(), QSize(483, 299));
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(212, 212, 200));
    for (const auto& [name, caption, hint] : std::vector<std::tuple<const char*, const char*, const char*>>{
             {"BackBtn", "閉じる(&C)", "画面を閉じる"}, {"SetBtn", "保存(&S)", "ﾃﾞｰﾀを保存"}}) {
        EXPECT_EQ(first.Find<QPushButton>(name)->text(), caption);
        EXPECT_EQ(first.Find<QPushButton>(name)->toolTip(), hint);
    }
    EXPECT_EQ(first.Box("CheckBox5")->text(), "日付は「西暦」で印字する");
    EXPECT_EQ(first.Box("CheckBox20")->text(), "プログラムアップデート確認ダイアログを表示しない");
    EXPECT_EQ(first.Box("CheckBox21")->text(), "プロキシサーバーの設定");
    // Nothing set: every box clear, the proxy fields disabled with port 80, nothing to save.
    for (const char* name : {"CheckBox5", "CheckBox20", "CheckBox21"}) EXPECT_FALSE(first.Box(name)->isChecked());
    EXPECT_FALSE(first.Panel3Enabled());
    EXPECT_EQ(first.Edit("Edit3")->text(), "");
    EXPECT_EQ(first.Edit("Edit4")->text(), "80");
    EXPECT_FALSE(first.SetBtn()->isEnabled());
    EXPECT_EQ(dialog.focusWidget(), first.Box("CheckBox5"));
    ExpectEveryNamedControlHasAnAccessibleName(dialog);

    // ヘルプ opens the page of help context 68.
    QTest::mouseClick(first.Find<QToolButton>("SBHint"), Qt::LeftButton);
    ASSERT_FALSE(first.pc.links.opened.empty());
    EXPECT_TRUE(first.pc.links.opened.back().toString().endsWith("help/context-68.html"));

    // Any text other than NO counts as on; a proxy that is on opens ready to edit.
    OptionsPc second;
    second.SetSetting("SEIREKI", "yes");
    second.SetSetting("UPDATEKANRI", "NO");
    second.SetSetting("PROXY", "1");
    second.SetSetting("PROXY_ADDRESS", "proxy.example.jp");
    second.SetSetting("PROXY_PORT", "3128");
    second.Open();
    EXPECT_TRUE(second.Box("CheckBox5")->isChecked());
    EXPECT_FALSE(second.Box("CheckBox20")->isChecked());
    EXPECT_TRUE(second.Box("CheckBox21")->isChecked());
    EXPECT_TRUE(second.Panel3Enabled());
    EXPECT_EQ(second.Edit("Edit3")->text(), "proxy.example.jp");
    EXPECT_EQ(second.Edit("Edit4")->text(), "3128");
    EXPECT_FALSE(second.SetBtn()->isEnabled());
    EXPECT_TRUE(second.pc.messages.Shown().empty());
}

TEST(OptionsDialogTest, SavedOptionsBecomeTheSharedRowAndReachTheNextPc) {
    OptionsPc first;
    first.Open();
    first.Click(first.Box("CheckBox5"));
    EXPECT_TRUE(first.SetBtn()->isEnabled());
    EXPECT_FALSE(first.Panel3Enabled());
    first.Click(first.Box("CheckBox21"));
    EXPECT_TRUE(first.Panel3Enabled());
    first.Retype("Edit3", "proxy.example.jp");
    first.Retype("Edit4", "8080");
    first.Click(first.SetBtn());

    EXPECT_FALSE(first.dialog->isVisible());
    EXPECT_EQ(first.dialog->result(), kMrCancel);
    EXPECT_TRUE(first.pc.messages.Shown().empty());
    EXPECT_EQ(first.Setting("SEIREKI"), "YES");
    EXPECT_EQ(first.Setting("UPDATEKANRI"), kMissing);  // not changed, not written
    EXPECT_EQ(first.Setting("PROXY"), "YES");
    EXPECT_EQ(first.Setting("PROXY_ADDRESS"), "proxy.example.jp");
    EXPECT_EQ(first.Setting("PROXY_PORT"), "8080");
    EXPECT_TRUE(first.pc.db.WesternCalendar());
    const OptionsRow row = ReadRow(first.pc.db);
    EXPECT_EQ(row.bits, 2176);
    EXPECT_EQ(row.address, "proxy.example.jp");
    EXPECT_EQ(row.port, 8080);

    // A second PC with settings of its own opens the same database folder.
    OptionsPc second;
    second.SetSetting("SEIREKI", "NO");
    second.SetSetting("PROXY", "NO");
    platform::WriteProfileString(second.pc.db.DbPathIni(), "TableDB", "TableDatabase1", first.pc.db.DatabaseFolder());
    second.pc.db.DataModuleCreate();
    EXPECT_EQ(second.Setting("SEIREKI"), "YES");
    EXPECT_EQ(second.Setting("UPDATEKANRI"), "NO");
    EXPECT_EQ(second.Setting("PROXY"), "YES");
    EXPECT_EQ(second.Setting("PROXY_ADDRESS"), "proxy.example.jp");
    EXPECT_EQ(second.Setting("PROXY_PORT"), "8080");
    second.Open();
    EXPECT_TRUE(second.Box("CheckBox5")->isChecked());
    EXPECT_FALSE(second.Box("CheckBox20")->isChecked());
    EXPECT_TRUE(second.Box("CheckBox21")->isChecked());
    EXPECT_EQ(second.Edit("Edit3")->text(), "proxy.example.jp");
    EXPECT_EQ(second.Edit("Edit4")->text(), "8080");
}

TEST(OptionsDialogTest, APortChangedAloneIsStoredAndTheOtherOptionsAreLeftAsWritten) {
    OptionsPc pc;
    pc.SetSetting("SEIREKI", "yes");
    pc.SetSetting("UPDATEKANRI", "on");
    pc.SetSetting("PROXY", "YES");
    pc.SetSetting("PROXY_ADDRESS", "proxy.example.jp");
    pc.SetSetting("PROXY_PORT", "80");
    pc.SeedRow();
    pc.Open();
    pc.Retype("Edit4", "3128");
    pc.Click(pc.SetBtn());

    EXPECT_FALSE(pc.dialog->isVisible());
    EXPECT_EQ(pc.Setting("PROXY_PORT"), "3128");
    // Unchanged options keep the text they had.
    EXPECT_EQ(pc.Setting("SEIREKI"), "yes");
    EXPECT_EQ(pc.Setting("UPDATEKANRI"), "on");
    EXPECT_TRUE(pc.pc.db.WesternCalendar());
    const OptionsRow row = ReadRow(pc.pc.db);
    EXPECT_EQ(row.bits, 0x80 | 0x400 | 0x800);
    EXPECT_EQ(row.address, "proxy.example.jp");
    EXPECT_EQ(row.port, 3128);
}

TEST(OptionsDialogTest, AProxySwitchedOffForgetsAddressAndPort) {
    OptionsPc pc;
    pc.SetSetting("SEIREKI", "YES");
    pc.SetSetting("PROXY", "YES");
    pc.SetSetting("PROXY_ADDRESS", "proxy.example.jp");
    pc.SetSetting("PROXY_PORT", "3128");
    pc.SeedRow();
    pc.pc.db.SetWesternCalendar(false);
    pc.Open();
    pc.Click(pc.Box("CheckBox21"));
    EXPECT_FALSE(pc.Panel3Enabled());
    pc.Click(pc.SetBtn());

    EXPECT_FALSE(pc.dialog->isVisible());
    EXPECT_EQ(pc.Setting("PROXY"), "NO");
    EXPECT_EQ(pc.Setting("PROXY_ADDRESS"), "");
    EXPECT_EQ(pc.Setting("PROXY_PORT"), "80");
    // The calendar flag follows the box at every save, changed or not.
    EXPECT_TRUE(pc.pc.db.WesternCalendar());
    const OptionsRow row = ReadRow(pc.pc.db);
    EXPECT_EQ(row.bits, 0x80);
    EXPECT_EQ(row.address, "");
    EXPECT_EQ(row.port, 80);
}

TEST(OptionsDialogTest, AProxyThatCannotBeKeptIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        QString address;
        QString port;
        const char* message;  // nullptr: saved
        const char* focus;
        const char* storedPort;
    };
    const std::vector<Case> cases = {
        {"no address", "", "8080", "【アドレス】を入力して下さい。", "Edit3", nullptr},
        {"blanks only", "   ", "8080", "【アドレス】を入力して下さい。", "Edit3", nullptr},
        {"too long", QString(61, QLatin1Char('a')), "8080",
         "【アドレス】が長すぎます。\r\n全角30文字（半角60文字）以内にして下さい。", "Edit3", nullptr},
        {"port 0", "proxy.example.jp", "0", "【ポート】には1から65535までの番号を入力して下さい。", "Edit4", nullptr},
        {"port above 65535", "proxy.example.jp", "65536", "【ポート】には1から65535までの番号を入力して下さい。",
         "Edit4", nullptr},
        {"highest port", QString(60, QLatin1Char('a')), "65535", nullptr, nullptr, "65535"},
        {"no port", "proxy.example.jp", "", nullptr, nullptr, "80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OptionsPc pc;
        pc.SeedRow();
        pc.Open();
        pc.Click(pc.Box("CheckBox5"));
        pc.Click(pc.Box("CheckBox21"));
        pc.Retype("Edit3", c.address);
        pc.Retype("Edit4", c.port);
        pc.Click(pc.SetBtn());
        if (c.message == nullptr) {
            EXPECT_FALSE(pc.dialog->isVisible());
            EXPECT_TRUE(pc.pc.messages.Shown().empty());
            EXPECT_EQ(pc.Setting("PROXY_PORT"), c.storedPort);
            // The row keeps ports above 32767 as their 16-bit pattern.
            EXPECT_EQ(storage::ReadOptionsRow(pc.pc.db.TableDatabase1())->proxyPort, std::stoi(c.storedPort));
            continue;
        }
        ASSERT_EQ(pc.pc.messages.Shown().size(), 1u);
        EXPECT_EQ(pc.pc.messages.Shown()[0].type, MessageType::Warning);
        EXPECT_EQ(pc.pc.messages.Shown()[0].buttons, Buttons::Ok);
        EXPECT_EQ(pc.pc.messages.Shown()[0].text, c.message);
        EXPECT_TRUE(pc.dialog->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), pc.Edit(c.focus));
        EXPECT_TRUE(pc.SetBtn()->isEnabled());
        // Not even the calendar option went through.
        EXPECT_EQ(pc.Setting("SEIREKI"), kMissing);
        EXPECT_EQ(pc.Setting("PROXY"), kMissing);
        EXPECT_FALSE(pc.pc.db.WesternCalendar());
        EXPECT_EQ(ReadRow(pc.pc.db).bits, 0);
    }
}

TEST(OptionsDialogTest, ClosingWithUnsavedChangesAsksAndDoesWhatTheAnswerSays) {
    enum class Close { BackBtn, F1, CloseBox, Escape };
    struct Case {
        const char* name;
        bool change;
        bool withAddress;
        Close how;
        std::optional<Answer> answer;  // nothing: no question expected
        bool closed;
        int result;
        bool saved;
    };
    const std::vector<Case> cases = {
        {"yes saves", true, true, Close::BackBtn, Answer::Yes, true, kMrYes, true},
        {"no discards", true, true, Close::F1, Answer::No, true, kMrCancel, false},
        {"cancel stays", true, true, Close::CloseBox, Answer::Cancel, false, 0, false},
        {"escape asks too", true, true, Close::Escape, Answer::Cancel, false, 0, false},
        {"yes without an address stays", true, false, Close::BackBtn, Answer::Yes, false, 0, false},
        {"nothing changed", false, true, Close::BackBtn, std::nullopt, true, kMrCancel, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OptionsPc pc;
        pc.SeedRow();
        TKorvOPF& dialog = pc.Open();
        if (c.change) {
            pc.Click(pc.Box("CheckBox21"));
            if (c.withAddress) pc.Retype("Edit3", "proxy.example.jp");
        }
        if (c.answer) pc.pc.messages.QueueAnswer(*c.answer);
        switch (c.how) {
            case Close::BackBtn: pc.Click(pc.Find<QPushButton>("BackBtn")); break;
            case Close::F1: QTest::keyClick(&dialog, Qt::Key_F1); break;
            case Close::CloseBox: dialog.close(); break;
            case Close::Escape: QTest::keyClick(pc.Edit("Edit3"), Qt::Key_Escape); break;
        }
        const auto& shown = pc.pc.messages.Shown();
        if (c.answer) {
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown[0].text, kQuestion);
            EXPECT_EQ(shown[0].type, MessageType::Information);
            EXPECT_EQ(shown[0].buttons, Buttons::YesNoCancel);
            if (!c.withAddress) {
                ASSERT_EQ(shown.size(), 2u);
                EXPECT_EQ(shown[1].text, "【アドレス】を入力して下さい。");
            }
        } else {
            EXPECT_TRUE(shown.empty());
        }
        EXPECT_EQ(dialog.isVisible(), !c.closed);
        if (c.closed) {
            EXPECT_EQ(dialog.result(), c.result);
        }
        EXPECT_EQ(pc.Setting("PROXY"), c.saved ? "YES" : kMissing);
        EXPECT_EQ(ReadRow(pc.pc.db).bits, c.saved ? 0x800 : 0);
        EXPECT_TRUE(pc.pc.messages.Faults().empty());
    }
}

TEST(OptionsDialogTest, ThePortTakesTypedDigitsOnly) {
    OptionsPc pc;
    pc.Open();
    pc.Click(pc.Box("CheckBox21"));
    pc.SetBtn()->setEnabled(false);
    QLineEdit* port = pc.Edit("Edit4");
    port->setFocus();
    QTest::keyClick(port, Qt::Key_End);
    QTest::keyClicks(port, "1x-");
    EXPECT_EQ(port->text(), "801");
    EXPECT_EQ(pc.beeps, 2);
    EXPECT_TRUE(pc.SetBtn()->isEnabled());  // the digit changed the text

    // Backspace and pasting are typed characters too; Delete and the
    // arrows are not.
    QTest::keyClick(port, Qt::Key_Backspace);
    QGuiApplication::clipboard()->setText("99");
    QTest::keyClick(port, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(port, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(port->text(), "801");
    EXPECT_EQ(pc.beeps, 5);
    QTest::keyClick(port, Qt::Key_Left);
    QTest::keyClick(port, Qt::Key_Delete);
    EXPECT_EQ(port->text(), "80");
    // A full-width digit from an input method never arrives: the field takes none.
    EXPECT_FALSE(port->testAttribute(Qt::WA_InputMethodEnabled));
    QKeyEvent fullWidthNine(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("９"));
    QApplication::sendEvent(port, &fullWidthNine);
    EXPECT_EQ(port->text(), "80");
    EXPECT_EQ(pc.beeps, 6);
    // The address field is not filtered.
    QTest::keyClicks(pc.Edit("Edit3"), "proxy-1.example.jp");
    EXPECT_EQ(pc.Edit("Edit3")->text(), "proxy-1.example.jp");
    EXPECT_EQ(pc.beeps, 6);
}

}  // namespace
}  // namespace korvalen::shell
