#include "korvalen/shell/korv_op.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "dialog_parts.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/shell/modal_result.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/shared_options.h"
#include "korvalen/storage/text_limits.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/wizard/dialog_keys.h"
#include "korvalen/wizard/fixed_size_window.h"

namespace korvalen::shell {

namespace {

using parts::Named;
using platform::Buttons;
using platform::MessageType;

constexpr const char* kNoAddress = "【アドレス】を入力して下さい。";
// A port is a number from 1 to 65535; the settings and the shared row
// cannot keep any other.
constexpr const char* kBadPort = "【ポート】には1から65535までの番号を入力して下さい。";
constexpr int kHighestPort = 65535;
constexpr int kPortDigits = 5;

}  // namespace

TKorvOPF::TKorvOPF(const ShellServices& services, QWidget* parent)
    : QDialog(parent), services_(services), beep_([] { QApplication::beep(); }) {
    setObjectName(QStringLiteral("KorvOPF"));
    setWindowTitle(QStringLiteral("環境設定"));
    setAccessibleName(windowTitle());
    setFont(parts::FormFont());
    parts::PaintBackground(this, parts::kFormBackground);
    wizard::FixWindowSize(*this, 483, 299);
    BuildControls();
    FormCreate();

    for (QCheckBox* box : {CheckBox5, CheckBox20, CheckBox21}) {
        connect(box, &QCheckBox::clicked, this, &TKorvOPF::CheckBox5Click);
    }
    for (QLineEdit* edit : {Edit3, Edit4}) connect(edit, &QLineEdit::textChanged, this, &TKorvOPF::CheckBox5Click);
    connect(BackBtn, &QPushButton::clicked, this, &TKorvOPF::BackBtnClick);
    connect(SetBtn, &QPushButton::clicked, this, &TKorvOPF::SetBtnClick);
    connect(SBHint, &QToolButton::clicked, this, &TKorvOPF::SBHintClick);

    auto* keys = new wizard::DialogKeys(this);
    keys->SetCloseButton(BackBtn);
    keys->SetSaveButton(SetBtn);
}

void TKorvOPF::BuildControls() {
    Panel1 = Named(new QFrame(this), "Panel1", QStringLiteral("閉じる・保存・ヘルプ"));
    Panel1->setGeometry(0, 0, 483, 42);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    parts::PaintBackground(Panel1, QColor(212, 208, 200));
    BackBtn = Named(new QPushButton(QStringLiteral("閉じる(&C)"), Panel1), "BackBtn", QStringLiteral("閉じる"));
    BackBtn->setToolTip(QStringLiteral("画面を閉じる"));
    BackBtn->setGeometry(8, 8, 90, 26);
    SetBtn = Named(new QPushButton(QStringLiteral("保存(&S)"), Panel1), "SetBtn", QStringLiteral("保存"));
    SetBtn->setToolTip(QStringLiteral("ﾃﾞｰﾀを保存"));
    SetBtn->setGeometry(102, 8, 90, 26);
    for (QPushButton* button : {BackBtn, SetBtn}) button->setAutoDefault(false);
    SBHint = Named(new QToolButton(Panel1), "SBHint", QStringLiteral("ヘルプ"));
    SBHint->setText(QStringLiteral("ヘルプ"));
    SBHint->setGeometry(393, 8, 82, 26);
    SBHint->setFocusPolicy(Qt::NoFocus);

    const auto checkBox = [this](const char* name, const QString& caption, int top) {
        auto* box = Named(new QCheckBox(caption, this), name, caption);
        // As wide as its caption: the box toggles where it is drawn.
        box->move(32, top);
        box->adjustSize();
        return box;
    };
    CheckBox5 = checkBox("CheckBox5", QStringLiteral("日付は「西暦」で印字する"), 62);
    CheckBox20 = checkBox("CheckBox20", QStringLiteral("プログラムアップデート確認ダイアログを表示しない"), 94);
    CheckBox21 = checkBox("CheckBox21", QStringLiteral("プロキシサーバーの設定"), 126);

    Panel3 = Named(new QFrame(this), "Panel3", QStringLiteral("プロキシサーバー"));
    Panel3->setGeometry(52, 156, 400, 92);
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1 = Named(new QLabel(QStringLiteral("アドレス(&E)"), Panel3), "Label1", QStringLiteral("アドレス"));
    Label1->setGeometry(16, 18, 80, 20);
    Edit3 = Named(new QLineEdit(Panel3), "Edit3", QStringLiteral("アドレス"));
    Edit3->setGeometry(100, 16, 280, 22);
    Label1->setBuddy(Edit3);
    Label2 = Named(new QLabel(QStringLiteral("ポート(&T)"), Panel3), "Label2", QStringLiteral("ポート"));
    Label2->setGeometry(16, 56, 80, 20);
    Edit4 =
        Named(new QLineEdit(QString::number(storage::kDefaultProxyPort), Panel3), "Edit4", QStringLiteral("ポート"));
    Edit4->setGeometry(100, 54, 80, 22);
    Edit4->setMaxLength(kPortDigits);
    // Only typed digits get in: no input method, no pasting, no dropping.
    Edit4->setAttribute(Qt::WA_InputMethodEnabled, false);
    Edit4->setContextMenuPolicy(Qt::NoContextMenu);
    Edit4->setAcceptDrops(false);
    Edit4->installEventFilter(this);
    Label2->setBuddy(Edit4);
}

void TKorvOPF::FormCreate() {
    SetPanel3Enabled(false);
    const storage::SharedOptions options =
        storage::ReadSettingsOptions(services_.dataModule->Settings(), services_.dataModule->ProgramKey());
    CheckBox5->setChecked(options.westernCalendar);
    CheckBox20->setChecked(options.hideUpdateDialog);
    CheckBox21->setChecked(options.useProxy);
    openingWestern_ = options.westernCalendar;
    openingHideUpdate_ = options.hideUpdateDialog;
    openingProxy_ = options.useProxy;
    if (options.useProxy) {
        Edit3->setText(QString::fromStdString(options.proxyAddress));
        Edit4->setText(QString::number(options.proxyPort));
    }
    // Setting the boxes counts as their click: a proxy that is on opens
    // with its address and port ready to edit.
    CheckBox5Click();
    SetBtn->setEnabled(false);
    // The window opens on its first option, not on 閉じる, where a stray
    // Space would close it.
    CheckBox5->setFocus(Qt::OtherFocusReason);
}

void TKorvOPF::SetPanel3Enabled(bool on) {
    Label1->setEnabled(on);
    Label2->setEnabled(on);
    parts::EnableEdit(Edit3, on);
    parts::EnableEdit(Edit4, on);
}

void TKorvOPF::CheckBox5Click() {
    SetPanel3Enabled(CheckBox21->isChecked());
    SetBtn->setEnabled(true);
}

bool TKorvOPF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit4 && Edit4KeyPress(event)) return true;
    return QDialog::eventFilter(watched, event);
}

bool TKorvOPF::Edit4KeyPress(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        // Moving on, closing and deleting forwards are no typed characters.
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Delete: return false;
        case Qt::Key_Backspace: break;
        default:
            if (key->matches(QKeySequence::Paste)) break;
            if (key->text().isEmpty()) return false;
            if (key->text().size() == 1 && key->text().front() >= QLatin1Char('0') &&
                key->text().front() <= QLatin1Char('9')) {
                return false;
            }
            break;
    }
    beep_();
    return true;
}

bool TKorvOPF::SaveOptions() {
    const bool proxy = CheckBox21->isChecked();
    const std::string address = Edit3->text().trimmed().toStdString();
    int port = storage::kDefaultProxyPort;
    if (proxy) {
        if (address.empty()) {
            services_.messages->Show(MessageType::Warning, Buttons::Ok, kNoAddress);
            Edit3->setFocus();
            return false;
        }
        // Checked before anything is written, so a refused address leaves
        // the settings and the shared row as they were.
        try {
            storage::CheckTextFits("【アドレス】", address, storage::kProxyAddressColumn.width);
        } catch (const tablestore::DataError& e) {
            services_.messages->Show(MessageType::Warning, Buttons::Ok, e.what());
            Edit3->setFocus();
            return false;
        }
        bool isNumber = false;
        const uint typed = Edit4->text().toUInt(&isNumber);
        if (isNumber) {
            if (typed < 1 || typed > kHighestPort) {
                services_.messages->Show(MessageType::Warning, Buttons::Ok, kBadPort);
                Edit4->setFocus();
                Edit4->selectAll();
                return false;
            }
            port = static_cast<int>(typed);
        }
    }

    platform::SettingsSection setting(services_.dataModule->Settings(), services_.dataModule->ProgramKey(), "SETTING");
    if (CheckBox5->isChecked() != openingWestern_) setting.SetOption("SEIREKI", CheckBox5->isChecked());
    services_.dataModule->SetWesternCalendar(CheckBox5->isChecked());
    if (CheckBox20->isChecked() != openingHideUpdate_) setting.SetOption("UPDATEKANRI", CheckBox20->isChecked());
    if (proxy) {
        setting.SetOption("PROXY", true);
        setting.SetText("PROXY_ADDRESS", address);
        setting.SetNumber("PROXY_PORT", port);
    } else if (openingProxy_) {
        setting.SetOption("PROXY", false);
        setting.SetText("PROXY_ADDRESS", "");
        setting.SetNumber("PROXY_PORT", storage::kDefaultProxyPort);
    }
    services_.dataModule->StoreOptionsToTable();
    SetBtn->setEnabled(false);
    return true;
}

void TKorvOPF::SetBtnClick() {
    if (SaveOptions()) QDialog::done(kMrCancel);
}

void TKorvOPF::BackBtnClick() { reject(); }

void TKorvOPF::reject() {
    if (const int result = FormCloseQuery()) QDialog::done(result);
}

int TKorvOPF::FormCloseQuery() {
    if (!SetBtn->isEnabled()) return kMrCancel;
    return parts::AskBeforeClosing(*services_.messages, [this] { return SaveOptions(); });
}

void TKorvOPF::SBHintClick() { services_.help->ShowContext(help_context::kOptions); }

}  // namespace korvalen::shell
