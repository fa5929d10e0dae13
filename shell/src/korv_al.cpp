#include "korvalen/shell/korv_al.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "dialog_parts.h"
#include "korvalen/backup/backup_restore.h"
#include "korvalen/platform/end_program.h"
#include "korvalen/platform/paths.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/shell/modal_result.h"
#include "korvalen/storage/data_module.h"
#include "korvalen/wizard/fixed_size_window.h"

namespace korvalen::shell {

namespace {

using parts::Named;
using platform::Buttons;
using platform::MessageType;

constexpr const char* kChooserCaption = "フォルダの指定";
const std::string kSep(1, platform::kPathSeparator);

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TKorvALF::TKorvALF(const ShellServices& services, std::string& lastChosenFolder, FileChooser* chooser, QWidget* parent)
    : QDialog(parent),
      services_(services),
      programKey_(services.dataModule->Settings(), services.dataModule->ProgramKey(), "CONST"),
      lastChosenFolder_(&lastChosenFolder),
      ownChooser_(chooser == nullptr ? std::make_unique<PlatformFileChooser>() : nullptr),
      chooser_(chooser == nullptr ? ownChooser_.get() : chooser) {
    setObjectName(QStringLiteral("KorvALF"));
    setWindowTitle(QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定"));
    setAccessibleName(windowTitle());
    setFont(parts::FormFont());
    parts::PaintBackground(this, QColor(228, 228, 228));
    wizard::FixWindowSize(*this, 533, 262);
    BuildControls();
    FormCreate();

    connect(items_, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked) RadioGroup1Click(index);
    });
    connect(SpeedButton3, &QToolButton::clicked, this, &TKorvALF::SpeedButton3Click);
    connect(SB03, &QToolButton::clicked, this, &TKorvALF::SB03Click);
    connect(SB01, &QToolButton::clicked, this, &TKorvALF::SB01Click);
    connect(SBHint, &QToolButton::clicked, this, &TKorvALF::SBHintClick);
}

TKorvALF::~TKorvALF() = default;

void TKorvALF::BuildControls() {
    // Speed buttons: they never take the keyboard focus.
    const auto speedButton = [this](QWidget* parent, const char* name, const QString& caption,
                                    const QString& accessible, const QRect& where) {
        auto* button = Named(new QToolButton(parent), name, accessible);
        button->setText(caption);
        button->setGeometry(where);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    SB01 = speedButton(this, "SB01", QStringLiteral("閉じる(&C)"), QStringLiteral("閉じる"), QRect(8, 8, 92, 28));
    SB01->setToolTip(QStringLiteral("画面を閉じる"));
    SB03 = speedButton(this, "SB03", QStringLiteral("登録(&S)"), QStringLiteral("登録"), QRect(104, 8, 92, 28));
    SBHint = speedButton(this, "SBHint", QStringLiteral("ヘルプ"), QStringLiteral("ヘルプ"), QRect(433, 8, 92, 28));

    RadioGroup1 = Named(new QGroupBox(QStringLiteral("ﾃﾞｰﾀの場所"), this), "RadioGroup1", QStringLiteral("ﾃﾞｰﾀの場所"));
    RadioGroup1->setGeometry(8, 46, 408, 74);
    const QString thisComputer = QStringLiteral("このｺﾝﾋﾟｭｰﾀ(単体使用orサーバー用PCの場合)");
    const QString otherComputer = QStringLiteral("他のｺﾝﾋﾟｭｰﾀ(C/S使用のクライアント用PCの場合)");
    ThisComputerItem = Named(new QRadioButton(thisComputer, RadioGroup1), "RadioGroup1Item0", thisComputer);
    ThisComputerItem->setGeometry(14, 22, 386, 20);
    OtherComputerItem = Named(new QRadioButton(otherComputer, RadioGroup1), "RadioGroup1Item1", otherComputer);
    OtherComputerItem->setGeometry(14, 46, 386, 20);
    items_ = new QButtonGroup(this);
    items_->addButton(ThisComputerItem, kThisComputer);
    items_->addButton(OtherComputerItem, kOtherComputer);

    SpeedButton3 = speedButton(this, "SpeedButton3", QStringLiteral("参照(&B)..."), QStringLiteral("参照"),
                               QRect(424, 88, 101, 28));

    const QString note = QStringLiteral(
        "ＬＡＮ共有する場合は、サーバーの[vex]フォルダを共有設定にし、データベースフォルダに[KorvalenDB]を指定してくだ"
        "さい。");
    Label1 = Named(new QLabel(note, this), "Label1", note);
    Label1->setGeometry(8, 130, 517, 36);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label2 = Named(new QLabel(QStringLiteral("現在のﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰ"), this), "Label2",
                   QStringLiteral("現在のﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰ"));
    Label2->setGeometry(8, 180, 300, 18);
    Edit1 = Named(new QLineEdit(this), "Edit1", QStringLiteral("現在のﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰ"));
    Edit1->setGeometry(8, 200, 517, 24);
    Edit1->setReadOnly(true);
    QPalette yellow = Edit1->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        yellow.setColor(group, QPalette::Base, QColor(255, 255, 0));
    }
    Edit1->setPalette(yellow);
    Label2->setBuddy(Edit1);
}

std::string TKorvALF::RememberedLocalFolder() const { return programKey_.Text("DBPath"); }

void TKorvALF::FormCreate() {
    openingFolder_ = services_.dataModule->DatabaseFolder();
    const int index = platform::SameFolder(RememberedLocalFolder(), openingFolder_) ? kThisComputer : kOtherComputer;
    items_->button(index)->setChecked(true);
    // As after the user's own choice of the item: 参照 serves only another
    // computer.
    SpeedButton3->setEnabled(index == kOtherComputer);
    Edit1->setText(Q(openingFolder_));
    RepairDefaultDir();
    changed_ = false;
    SB03->setEnabled(false);
}

void TKorvALF::RepairDefaultDir() {
    // The drive of a Windows path is the file system of a path elsewhere:
    // the mount that holds the nearest existing folder of each, as the data
    // module judges whether the program moved to another disk.
    const std::string& programFolder = services_.dataModule->ProgramFolder();
    const std::string defaultDir = programKey_.Text("DefaultDir");
    const std::string programDrive = storage::FileSystemOf(programFolder);
    if (!defaultDir.empty() && !programDrive.empty() && storage::FileSystemOf(defaultDir) == programDrive) return;
    const auto at = programFolder.find(kSep + "Korvalen");
    programKey_.SetText("DefaultDir", at == std::string::npos ? std::string() : programFolder.substr(0, at));
}

int TKorvALF::ItemIndex() const { return items_->checkedId(); }

void TKorvALF::RadioGroup1Click(int index) {
    // Whatever 参照 accepted belongs to the other item.
    acceptedFolder_.clear();
    if (index == kThisComputer) {
        const std::string local = RememberedLocalFolder();
        Edit1->setText(Q(local));
        SpeedButton3->setEnabled(false);
        if (!platform::SameFolder(services_.dataModule->DatabaseFolder(), local)) {
            SB03->setEnabled(true);
            changed_ = true;
        }
        return;
    }
    Edit1->setText(Q(services_.dataModule->DatabaseFolder()));
    SpeedButton3->setEnabled(true);
    // Another computer's folder is registered only once 参照 has found its
    // tables there.
    SB03->setEnabled(false);
    changed_ = false;
}

void TKorvALF::SpeedButton3Click() {
    if (!SelectFolder(*chooser_, this, QString::fromUtf8(kChooserCaption), kNetworkPlaces, *lastChosenFolder_)) {
        return;
    }
    const std::string chosen = *lastChosenFolder_;
    const bool acceptable = ItemIndex() != kOtherComputer || backup::HoldsDatabase(chosen);
    SB03->setEnabled(acceptable);
    if (!acceptable) {
        acceptedFolder_.clear();
        services_.messages->Show(MessageType::Information, Buttons::Ok, kNotADatabaseFolder);
        return;
    }
    changed_ = true;
    acceptedFolder_ = chosen;
    Edit1->setText(Q(chosen));
}

void TKorvALF::Register() {
    const bool client = ItemIndex() == kOtherComputer;
    const std::string folder = client ? platform::WithTrailingSeparator(acceptedFolder_)
                                      : platform::WithTrailingSeparator(RememberedLocalFolder());
    // Never an empty folder: it would send this PC back to a database of
    // its own at the next start.
    if (folder.empty()) return;
    // The file first: when it cannot be written the program goes on as it
    // was, with the error reported.
    platform::WriteProfileString(services_.dataModule->DbPathIni(), "TableDB", "TableDatabase1", folder);
    services_.dataModule->SetDatabaseFolder(folder);
    services_.dataModule->SetClientMode(client);
    SB03->setEnabled(false);
    if (changed_) {
        services_.messages->Show(MessageType::Information, Buttons::Ok, kRestartRequest);
        throw platform::EndProgram("database folder changed");
    }
}

void TKorvALF::SB03Click() {
    if (!SB03->isEnabled()) return;
    Register();
    QDialog::done(kMrCancel);
}

void TKorvALF::SB01Click() { reject(); }

void TKorvALF::reject() {
    if (const int result = FormCloseQuery()) QDialog::done(result);
}

int TKorvALF::FormCloseQuery() {
    if (!SB03->isEnabled()) return kMrCancel;
    return parts::AskBeforeClosing(*services_.messages, [this] {
        Register();
        return true;
    });
}

void TKorvALF::keyPressEvent(QKeyEvent* event) { FormKeyDown(event); }

void TKorvALF::FormKeyDown(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
        case Qt::Key_P:
            if (modifiers == Qt::ControlModifier) PrintWindow();
            break;
        case Qt::Key_F1: SB01->click(); break;
        case Qt::Key_F3:
            if (SB03->isEnabled()) SB03->click();
            break;
        default: break;
    }
    event->accept();
}

void TKorvALF::PrintWindow() { parts::PrintWindow(services_.screenPrint, *services_.messages, this); }

void TKorvALF::SBHintClick() { services_.help->ShowContext(help_context::kDatabaseFolder); }

}  // namespace korvalen::shell
