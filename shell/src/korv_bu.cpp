#include "korvalen/shell/korv_bu.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialog_parts.h"
#include "korvalen/backup/backup_messages.h"
#include "korvalen/backup/file_utils.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/shell/application.h"
#include "korvalen/shell/desktop_links.h"
#include "korvalen/shell/help.h"
#include "korvalen/shell/link_failure.h"
#include "korvalen/storage/app_error_handler.h"
#include "korvalen/storage/data_module.h"
#include "korvalen/wizard/dialog_keys.h"

namespace korvalen::shell {

namespace {

using backup::BusyState;
using backup::Outcome;
using parts::Named;

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string S(const QString& text) { return text.toStdString(); }

constexpr const char* kLzhNeeds = "※圧縮ファイルを作るには【UNLHA32.DLL】が必要です";
constexpr const char* kCabNeeds = "※圧縮ファイルを作るには【CAB32.DLL】が必要です";
constexpr const char* kLzhAttach =
    "※エラー解析及びデータ修復をヴェクスに依頼する場合には、上記のﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ内の「BAK****.LZH」ファイルのみをメー"
    "ルに添付して下さい。";
constexpr const char* kCabAttach =
    "※エラー解析及びデータ修復をヴェクスに依頼する場合には、上記のﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ内の「BAK****.CAB」ファイルのみをメー"
    "ルに添付して下さい。";
constexpr const char* kChooseFolderCaption = "フォルダの指定";

QLabel* DoneLabel(QWidget* parent, const char* objectName, std::string_view text) {
    auto* label = Named(new QLabel(Q(text), parent), objectName, Q(text));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setStyleSheet(QStringLiteral("color: blue;"));
    label->hide();
    return label;
}

}  // namespace

TKorvBUF::TKorvBUF(storage::KorvalenDB& dataModule, platform::SettingsStore& settings,
                   platform::MessageService& messages, const platform::Clock& clock,
                   std::function<void()> refreshCaseList, QWidget* parent, FileChooser* chooser)
    : QDialog(parent),
      dataModule_(&dataModule),
      settings_(&settings),
      messages_(&messages),
      clock_(&clock),
      refreshCaseList_(std::move(refreshCaseList)),
      ownChooser_(chooser == nullptr ? std::make_unique<PlatformFileChooser>() : nullptr),
      chooser_(chooser == nullptr ? ownChooser_.get() : chooser),
      currentFolder_(QDir::currentPath()) {
    setObjectName(QStringLiteral("KorvBUF"));
    setWindowTitle(QStringLiteral("ﾃﾞｰﾀのﾊﾞｯｸｱｯﾌﾟと復元"));
    setAccessibleName(windowTitle());
    setFont(QFont(QString::fromUtf8(printing::kMsPGothic), 10));
    BuildControls();
    backup::BackupHooks hooks;
    hooks.busy = [this](BusyState state) { SetBusy(state); };
    hooks.step = [this](const backup::WorkStep& step) { StepDone(step); };
    procedure_ = std::make_unique<backup::BackupRestore>(MakeSetup(), hooks);
    FormCreate();
}

TKorvBUF::~TKorvBUF() = default;

void TKorvBUF::done(int result) {
    QDir::setCurrent(currentFolder_);
    QDialog::done(result);
}

void TKorvBUF::BuildControls() {
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setAccessibleName(QStringLiteral("閉じる・ヘルプ・前回のﾊﾞｯｸｱｯﾌﾟ日付"));
    top->setAutoFillBackground(true);
    QPalette grey = top->palette();
    grey.setColor(QPalette::Window, QColor(212, 208, 200));
    top->setPalette(grey);
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(6, 4, 6, 4);
    CloseBtn = Named(new QPushButton(QStringLiteral("閉じる(&C)"), top), "CloseBtn", QStringLiteral("閉じる"));
    CloseBtn->setToolTip(QStringLiteral("画面を閉じる"));
    CloseBtn->setAutoDefault(false);
    SBHint = Named(new QToolButton(top), "SBHint", QStringLiteral("ヘルプ"));
    SBHint->setText(QStringLiteral("ヘルプ"));
    Label1 =
        Named(new QLabel(QStringLiteral("前回のﾊﾞｯｸｱｯﾌﾟ日付"), top), "Label1", QStringLiteral("前回のﾊﾞｯｸｱｯﾌﾟ日付"));
    // Read by the date it shows, after Label1 that names it.
    BackDateLabel = new QLabel(top);
    BackDateLabel->setObjectName(QStringLiteral("BackDateLabel"));
    Label1->setBuddy(BackDateLabel);
    BackDateLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    BackDateLabel->setAlignment(Qt::AlignCenter);
    BackDateLabel->setMinimumWidth(110);
    BackDateLabel->setAutoFillBackground(true);
    QPalette white = BackDateLabel->palette();
    white.setColor(QPalette::Window, Qt::white);
    BackDateLabel->setPalette(white);
    // The file-copy animation: a moving bar with the file at hand.
    Animate1 = Named(new QProgressBar(top), "Animate1", QStringLiteral("コピー中"));
    Animate1->setRange(0, 0);
    Animate1->setTextVisible(true);
    Animate1->setFixedWidth(170);
    // Its place is kept while hidden, so the window does not widen when the
    // work starts.
    QSizePolicy keepPlace = Animate1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Animate1->setSizePolicy(keepPlace);
    Animate1->hide();
    topRow->addWidget(CloseBtn);
    topRow->addWidget(SBHint);
    topRow->addStretch(1);
    topRow->addWidget(Animate1);
    topRow->addSpacing(8);
    topRow->addWidget(Label1);
    topRow->addWidget(BackDateLabel);

    PageControl1 = Named(new QTabWidget(this), "PageControl1", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟと復元"));

    // The backup tab.
    BackUpTab = Named(new QWidget, "BackUpTab", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ"));
    auto* backupLayout = new QGridLayout(BackUpTab);
    StaticText1 = Named(new QLabel(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ先のﾃﾞｨﾚｸﾄﾘ(&D)"), BackUpTab), "StaticText1",
                        QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ先のﾃﾞｨﾚｸﾄﾘ"));
    DirName1Edit = Named(new QLineEdit(BackUpTab), "DirName1Edit", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ先のﾃﾞｨﾚｸﾄﾘ"));
    DirName1Edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    StaticText1->setBuddy(DirName1Edit);
    Browse1Btn = Named(new QPushButton(QStringLiteral("参照(&B)..."), BackUpTab), "Browse1Btn",
                       QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ先のﾃﾞｨﾚｸﾄﾘを参照"));
    StaticText2 = Named(new QLabel(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ名(&F)"), BackUpTab), "StaticText2",
                        QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ名"));
    FolderNameEdit = Named(new QLineEdit(BackUpTab), "FolderNameEdit", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ名"));
    StaticText2->setBuddy(FolderNameEdit);
    SaveBtn = Named(new QPushButton(QStringLiteral("保存(&S)"), BackUpTab), "SaveBtn", QStringLiteral("保存"));
    Message1Label = DoneLabel(BackUpTab, "Message1Label", backup::texts::kBackupDoneLabel);
    CheckBox1 = Named(new QCheckBox(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ内に圧縮ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを作る"), BackUpTab), "CheckBox1",
                      QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ内に圧縮ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを作る"));
    CheckBox1->setToolTip(QStringLiteral("すべてのデータベースを保存した圧縮ﾌｧｲﾙを作ります"));
    RadioGroup1 =
        Named(new QGroupBox(QStringLiteral("圧縮種別"), BackUpTab), "RadioGroup1", QStringLiteral("圧縮種別"));
    auto* radios = new QHBoxLayout(RadioGroup1);
    LzhRadio =
        Named(new QRadioButton(QStringLiteral("LZH圧縮"), RadioGroup1), "RadioGroup1Lzh", QStringLiteral("LZH圧縮"));
    CabRadio =
        Named(new QRadioButton(QStringLiteral("CAB圧縮"), RadioGroup1), "RadioGroup1Cab", QStringLiteral("CAB圧縮"));
    radios->addWidget(LzhRadio, 1);
    radios->addWidget(CabRadio, 1);
    // The two notes change with the compression chosen; a screen reader
    // reads what they say, so they carry no name of their own.
    Label2 = new QLabel(BackUpTab);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label4 = new QLabel(BackUpTab);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    Label5 = Named(new QLabel(QStringLiteral("サポートアドレス："), BackUpTab), "Label5",
                   QStringLiteral("サポートアドレス"));
    Edit1 =
        Named(new QLineEdit(QString::fromLatin1(kSupportMail), BackUpTab), "Edit1", QStringLiteral("サポートアドレス"));
    Edit1->setReadOnly(true);
    Edit1->setFrame(false);
    Edit1->setCursor(Qt::PointingHandCursor);
    Edit1->setFocusPolicy(Qt::NoFocus);
    QFont underlined = Edit1->font();
    underlined.setUnderline(true);
    Edit1->setFont(underlined);
    Edit1->setStyleSheet(QStringLiteral("color: blue; background: transparent;"));
    Edit1->installEventFilter(this);
    Label5->setBuddy(Edit1);

    backupLayout->addWidget(StaticText1, 0, 0, 1, 3);
    backupLayout->addWidget(DirName1Edit, 1, 0, 1, 2);
    backupLayout->addWidget(Browse1Btn, 1, 2);
    backupLayout->addWidget(StaticText2, 2, 0, 1, 3);
    backupLayout->addWidget(FolderNameEdit, 3, 0);
    backupLayout->addWidget(SaveBtn, 3, 2);
    backupLayout->addWidget(Message1Label, 4, 0, 1, 3);
    backupLayout->addWidget(CheckBox1, 5, 0, 1, 3);
    backupLayout->addWidget(RadioGroup1, 6, 0, 1, 2);
    backupLayout->addWidget(Label2, 7, 0, 1, 3);
    backupLayout->addWidget(Label4, 8, 0, 1, 3);
    auto* support = new QHBoxLayout;
    support->addWidget(Label5);
    support->addWidget(Edit1, 1);
    backupLayout->addLayout(support, 9, 0, 1, 3);
    backupLayout->setColumnStretch(0, 3);
    backupLayout->setColumnStretch(1, 1);
    backupLayout->setRowStretch(10, 1);
    PageControl1->addTab(BackUpTab, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ"));

    // The restore tab.
    OpenTab = Named(new QWidget, "OpenTab", QStringLiteral("復元"));
    auto* openLayout = new QGridLayout(OpenTab);
    CheckBox2 = Named(new QCheckBox(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ内の圧縮ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを解凍する(LZH)"), OpenTab),
                      "CheckBox2", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ内の圧縮ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを解凍する(LZH)"));
    CheckBox2->setToolTip(QStringLiteral("選択されたLZH圧縮ﾌｧｲﾙを解凍します"));
    StaticText3 = Named(new QLabel(QStringLiteral("復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ(&F)"), OpenTab), "StaticText3",
                        QStringLiteral("復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ"));
    DirName2Edit = Named(new QLineEdit(OpenTab), "DirName2Edit", QStringLiteral("復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ"));
    DirName2Edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    StaticText3->setBuddy(DirName2Edit);
    Browse2Btn = Named(new QPushButton(QStringLiteral("参照(&B)..."), OpenTab), "Browse2Btn",
                       QStringLiteral("復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞを参照"));
    StaticText4 = Named(new QLabel(QStringLiteral("（※以前ﾊﾞｯｸｱｯﾌﾟしたﾌｫﾙﾀﾞを指定する）"), OpenTab), "StaticText4",
                        QStringLiteral("（※以前ﾊﾞｯｸｱｯﾌﾟしたﾌｫﾙﾀﾞを指定する）"));
    OpenBtn = Named(new QPushButton(QStringLiteral("復元(&O)"), OpenTab), "OpenBtn", QStringLiteral("復元"));
    Message2Label = DoneLabel(OpenTab, "Message2Label", backup::texts::kRestoreDoneLabel);
    openLayout->addWidget(CheckBox2, 0, 0, 1, 3);
    openLayout->addWidget(StaticText3, 1, 0, 1, 3);
    openLayout->addWidget(DirName2Edit, 2, 0, 1, 2);
    openLayout->addWidget(Browse2Btn, 2, 2);
    openLayout->addWidget(StaticText4, 3, 0, 1, 3);
    openLayout->addWidget(OpenBtn, 4, 2);
    openLayout->addWidget(Message2Label, 5, 0, 1, 3);
    openLayout->setColumnStretch(0, 3);
    openLayout->setColumnStretch(1, 1);
    openLayout->setRowStretch(6, 1);
    PageControl1->addTab(OpenTab, QStringLiteral("復元"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(top);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 4, 8, 0);
    body->addWidget(PageControl1);
    layout->addLayout(body, 1);
    resize(QSize(560, 400).expandedTo(minimumSizeHint()));

    keys_ = new wizard::DialogKeys(this);
    keys_->SetArrowsMoveFocus(true);
    keys_->SetCloseButton(CloseBtn);
    keys_->SetSaveButton(SaveBtn);
    keys_->SetPrintWindow([this] {
        if (printWindow_) printWindow_(this);
    });

    connect(CloseBtn, &QPushButton::clicked, this, &TKorvBUF::CloseBtnClick);
    connect(SBHint, &QToolButton::clicked, this, &TKorvBUF::SBHintClick);
    connect(Browse1Btn, &QPushButton::clicked, this, &TKorvBUF::Browse1BtnClick);
    connect(Browse2Btn, &QPushButton::clicked, this, &TKorvBUF::Browse2BtnClick);
    connect(CheckBox1, &QCheckBox::clicked, this, &TKorvBUF::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TKorvBUF::CheckBox2Click);
    connect(LzhRadio, &QRadioButton::clicked, this, &TKorvBUF::RadioGroup1Click);
    connect(CabRadio, &QRadioButton::clicked, this, &TKorvBUF::RadioGroup1Click);
    connect(DirName2Edit, &QLineEdit::textChanged, this, &TKorvBUF::DirName2EditChange);
    connect(SaveBtn, &QPushButton::clicked, this, &TKorvBUF::SaveBtnClick);
    connect(OpenBtn, &QPushButton::clicked, this, &TKorvBUF::OpenBtnClick);
}

backup::BackupSetup TKorvBUF::MakeSetup() {
    backup::BackupSetup setup;
    setup.databaseFolder = dataModule_->DatabaseFolder();
    setup.messages = messages_;
    setup.clock = clock_;
    setup.settings = settings_;
    setup.programKey = dataModule_->ProgramKey();
    setup.rebuildAfterRestore = [this] { dataModule_->RebuildAfterRestore(); };
    setup.refreshCaseList = [this] {
        if (refreshCaseList_) refreshCaseList_();
    };
    setup.disconnectDatabase = [this] { dataModule_->TableDatabase1().disconnect(); };
    // The libraries only tell windows apart by this value.
    setup.window = reinterpret_cast<ArcWindow>(this);
    setup.lockTimeout = dataModule_->TableDatabase1().lockTimeout();
    return setup;
}

void TKorvBUF::FormCreate() {
    const backup::OpeningValues values = procedure_->Open();
    BackDateLabel->setText(Q(values.backDate));
    DirName1Edit->setText(Q(values.dirName1));
    DirName2Edit->setText(Q(values.dirName2));
    DirName2Edit->setToolTip(DirName2Edit->text());
    FolderNameEdit->setText(Q(values.folderName));
    LzhRadio->setChecked(true);
    RadioGroup1->setEnabled(false);
    RadioGroup1Click();
    Animate1->hide();
    PageControl1->setCurrentWidget(BackUpTab);
    DirName1Edit->setFocus();
}

std::string TKorvBUF::DatabaseParent() const {
    try {
        return procedure_->ParentOfDatabase();
    } catch (const std::exception&) {
        return {};
    }
}

void TKorvBUF::CloseBtnClick() { close(); }

void TKorvBUF::SBHintClick() {
    emit HelpRequested(PageControl1->currentWidget() == BackUpTab ? help_context::kBackup : help_context::kRestore);
}

void TKorvBUF::Browse1BtnClick() {
    std::string folder;
    if (SelectFolder(*chooser_, this, QString::fromUtf8(kChooseFolderCaption), {}, folder)) {
        DirName1Edit->setText(Q(backup::AddBackslash(folder)));
    }
}

void TKorvBUF::Browse2BtnClick() {
    OpenBtn->setEnabled(false);
    const std::string text = S(DirName2Edit->text());
    if (CheckBox2->isChecked()) {
        // The text may already name an archive: open in its folder.
        std::string folder = text.empty() ? DatabaseParent() : text;
        if (QFileInfo(Q(folder)).isFile()) folder = S(QFileInfo(Q(folder)).absolutePath());
        const FileRequest request{QString(), folder, QStringLiteral("圧縮ファイル (*.LZH *.lzh)"),
                                  QStringLiteral("LZH"), QStringLiteral("OpenDialog1")};
        if (const auto chosen = chooser_->ChooseFile(this, request)) {
            DirName2Edit->setText(Q(*chosen));
            OpenBtn->setEnabled(backup::ChosenArchiveEnablesOpen(*chosen));
        }
        return;
    }
    std::string folder = text.empty() ? DatabaseParent() : text;
    if (SelectFolder(*chooser_, this, QString::fromUtf8(kChooseFolderCaption), {}, folder)) {
        DirName2Edit->setText(Q(backup::AddBackslash(folder)));
    }
    OpenBtn->setEnabled(backup::HoldsDatabase(S(DirName2Edit->text())));
}

void TKorvBUF::CheckBox1Click() { RadioGroup1->setEnabled(CheckBox1->isChecked()); }

void TKorvBUF::CheckBox2Click() {
    const std::string text = S(DirName2Edit->text());
    if (CheckBox2->isChecked()) {
        const backup::ArchiveSource source = backup::ArchiveSourceFor(text);
        if (source.text != text) DirName2Edit->setText(Q(source.text));
        OpenBtn->setEnabled(source.openEnabled);
    } else {
        OpenBtn->setEnabled(backup::HoldsDatabase(text));
    }
}

void TKorvBUF::RadioGroup1Click() {
    const bool cab = CabRadio->isChecked();
    Label2->setText(QString::fromUtf8(cab ? kCabNeeds : kLzhNeeds));
    Label4->setText(QString::fromUtf8(cab ? kCabAttach : kLzhAttach));
}

void TKorvBUF::DirName2EditChange(const QString& text) { DirName2Edit->setToolTip(text); }

void TKorvBUF::SaveBtnClick() {
    if (procedure_->Running() || !SaveBtn->isEnabled()) return;
    Message1Label->hide();
    backup::BackupRequest request;
    request.directory = S(DirName1Edit->text());
    request.folderName = S(FolderNameEdit->text());
    request.compress = CheckBox1->isChecked();
    request.type = CabRadio->isChecked() ? backup::CompressionType::Cab : backup::CompressionType::Lzh;
    backup::BackupResult result;
    try {
        result = procedure_->Backup(request);
    } catch (const std::exception&) {
        // Only the work after the checks raises.
        SaveBtn->setEnabled(false);
        HandleError();
        return;
    }
    if (result.outcome == Outcome::Busy) return;
    if (result.checksPassed) SaveBtn->setEnabled(false);
    FocusField(result.focus);
    if (result.outcome == Outcome::Done) Message1Label->show();
}

void TKorvBUF::OpenBtnClick() {
    if (procedure_->Running() || !OpenBtn->isEnabled()) return;
    Message2Label->hide();
    const std::string text = S(DirName2Edit->text());
    backup::RestoreResult result;
    try {
        result = CheckBox2->isChecked() ? procedure_->RestoreFromArchive(text) : procedure_->RestoreFromFolder(text);
    } catch (const std::exception&) {
        HandleError();
        return;
    }
    FocusField(result.focus);
    if (result.outcome == Outcome::Done) {
        Message2Label->show();
        accept();
    }
}

void TKorvBUF::Edit1Click() { OpenOrReport(*links_, *messages_, MailToSupport(QString::fromUtf8(kSupportSubject))); }

void TKorvBUF::SetBusy(BusyState state) {
    const bool wasBusy = busy_ != BusyState::Idle;
    busy_ = state;
    const bool busy = state != BusyState::Idle;
    if (busy && !wasBusy) busyCursor_.emplace();
    if (!busy && wasBusy) busyCursor_.reset();
    // The work ends before its completion notice: the date it stored is on
    // the screen by the time the notice says the backup is done.
    if (!busy && wasBusy) BackDateLabel->setText(Q(procedure_->BackDate()));
    // Nothing can start another backup or restore, nor close the window,
    // while one runs.
    PageControl1->setEnabled(!busy);
    CloseBtn->setEnabled(!busy);
    SBHint->setEnabled(!busy);
    Animate1->setVisible(state == BusyState::Animated);
    if (state != BusyState::Animated) Animate1->setFormat(QString());
    QCoreApplication::processEvents();
}

void TKorvBUF::StepDone(const backup::WorkStep& step) {
    if (Animate1->isVisible()) Animate1->setFormat(Q(step.name));
    QCoreApplication::processEvents();
}

void TKorvBUF::FocusField(backup::BackupField field) {
    QLineEdit* target = nullptr;
    switch (field) {
        case backup::BackupField::DirName1Edit: target = DirName1Edit; break;
        case backup::BackupField::FolderNameEdit: target = FolderNameEdit; break;
        case backup::BackupField::DirName2Edit: target = DirName2Edit; break;
        case backup::BackupField::Unchanged: return;
    }
    target->setFocus();
    target->selectAll();
}

void TKorvBUF::HandleError() {
    if (auto* app = KorvalenApplication::Instance()) {
        // The program's one handler, with what the main window adds to it.
        app->HandleEscapedError(std::current_exception());
        return;
    }
    // Outside the program (another host of the dialog): storage's handler
    // alone, and the dialog closes where it would end the program.
    if (storage::HandleAppError(*dataModule_, std::current_exception()) == platform::AfterError::EndProgram) {
        done(QDialog::Rejected);
    }
}

void TKorvBUF::closeEvent(QCloseEvent* event) {
    if (busy_ != BusyState::Idle) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TKorvBUF::reject() {
    if (busy_ != BusyState::Idle) return;
    QDialog::reject();
}

bool TKorvBUF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && busy_ == BusyState::Idle) {
        Edit1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace korvalen::shell
