#include "korvalen/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialog_parts.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/shell/about_box.h"
#include "korvalen/shell/application.h"
#include "korvalen/shell/busy_cursor.h"
#include "korvalen/shell/link_failure.h"
#include "korvalen/storage/app_error_handler.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/schema.h"

namespace korvalen::shell {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageType;
using wizard::WizardOpening;

constexpr int kClientWidth = 409;
constexpr int kClientHeight = 513;
constexpr int kMinimumHeight = 200;
constexpr int kTopPanelHeight = 44;

constexpr int kListLeft = 8;
constexpr int kListTop = 36;
constexpr int kListWidth = kClientWidth - 2 * kListLeft;
constexpr int kRowHeight = 17;

constexpr const char* kDeleteQuestion = "このﾃﾞｰﾀを削除してもよろしいですか？";
constexpr const char* kNoOnlineUpdate =
    "このビルドには、プログラムのオンラインアップデート機能がありません。\r\n"
    "新しい版は、配布元から入手して入れ替えて下さい。";

// The panel under the top one: the list keeps its left, top and bottom
// distances when the window's height changes.
class ClientPanel final : public QFrame {
public:
    using QFrame::QFrame;
    QWidget* list = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        if (list != nullptr) list->setGeometry(kListLeft, kListTop, kListWidth, std::max(0, height() - kListTop - 8));
    }
};

// Frees the window's Tag when a wizard run ends, however it ends.
class ModeScope {
public:
    ModeScope(QWidget* window, int mode) : window_(window) { window_->setProperty("Tag", mode); }
    ~ModeScope() { window_->setProperty("Tag", 0); }
    ModeScope(const ModeScope&) = delete;
    ModeScope& operator=(const ModeScope&) = delete;

private:
    QWidget* window_;
};

// The list does not draw while rows go, and draws again afterwards.
class FrozenView {
public:
    explicit FrozenView(QWidget* view) : view_(view) { view_->setUpdatesEnabled(false); }
    ~FrozenView() { view_->setUpdatesEnabled(true); }
    FrozenView(const FrozenView&) = delete;
    FrozenView& operator=(const FrozenView&) = delete;

private:
    QWidget* view_;
};

}  // namespace

TKorvalen01F::TKorvalen01F(ShellServices services, wizard::CaseWizardLauncher& wizard, ShellDialogs dialogs,
                           QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), wizard_(&wizard), dialogs_(std::move(dialogs)) {
    setObjectName(QStringLiteral("Korvalen01F"));
    setWindowTitle(QStringLiteral("カドレア"));
    setAccessibleName(QStringLiteral("カドレア"));
    setFont(parts::FormFont(12));
    parts::PaintBackground(this, parts::kFormBackground);
    setProperty("Tag", 0);

    BuildMenus();
    BuildPanels();

    // The width is fixed; only the height may change.
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedWidth(kClientWidth);
    setMinimumHeight(kMinimumHeight);
    setMaximumHeight(QWIDGETSIZE_MAX);
    resize(kClientWidth, menuHeight + kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TKorvalen01F::~TKorvalen01F() {
    // The handler must not outlive the window it acts on.
    if (KorvalenApplication* app = KorvalenApplication::Instance(); app != nullptr && handlerInstalled_) {
        app->SetErrorHandler({});
    }
}

void TKorvalen01F::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setAccessibleName(QStringLiteral("メニュー"));

    auto item = [this](QMenu* menu, const char* name, const QString& caption, void (TKorvalen01F::*slot)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto menu = [bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
        m->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        return m;
    };

    File1 = menu("File1", QStringLiteral("ファイル(&F)"));
    item(File1, "B1", QStringLiteral("データのバックアップ＆復元(&B)..."), &TKorvalen01F::B1Click);
    File1->addSeparator();
    item(File1, "X1", QStringLiteral("終了(&X)"), &TKorvalen01F::EndMenuExecute);

    M1 = menu("M1", QStringLiteral("保守(&E)"));
    item(M1, "B2", QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定(&B)..."), &TKorvalen01F::B2Click);
    item(M1, "K1", QStringLiteral("環境設定(&K)..."), &TKorvalen01F::K1Click);
    item(M1, "H1", QStringLiteral("日付入力方式の設定(&H)..."), &TKorvalen01F::H1Click);
    M1->addSeparator();
    item(M1, "C1", QStringLiteral("データの複製を作る(&C)"), &TKorvalen01F::C1Click);

    Help1 = menu("Help1", QStringLiteral("ヘルプ(&H)"));
    item(Help1, "C2", QStringLiteral("目次(&C)"), &TKorvalen01F::C2Click);
    Help1->addSeparator();
    item(Help1, "U1", QStringLiteral("プログラムのアップデート(&U)..."), &TKorvalen01F::U1Click);
    item(Help1, "N8", QStringLiteral("プログラムのアップデート要否の確認を行う(&N)"), &TKorvalen01F::N8Click);
    Help1->addSeparator();
    item(Help1, "K2", QStringLiteral("機能説明書のダウンロード(&K)"), &TKorvalen01F::K2Click);
    Help1->addSeparator();
    item(Help1, "objectVEXMailMenuTMenuItem1", QStringLiteral("VEX へのメール(&M)"),
         &TKorvalen01F::objectVEXMailMenuTMenuItem1Click);
    item(Help1, "H3", QStringLiteral("カドレアソフトのホームページ(&H)"), &TKorvalen01F::H3Click);
    Help1->addSeparator();
    item(Help1, "A1", QStringLiteral("バージョン情報(&A)..."), &TKorvalen01F::A1Click);
}

void TKorvalen01F::BuildPanels() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setAccessibleName(QStringLiteral("カドレア"));
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(client);

    Panel1 = new QFrame(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAccessibleName(QStringLiteral("上のパネル"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(kTopPanelHeight);
    layout->addWidget(Panel1);

    BitBtn5 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("終了(&X)"), Panel1);
    BitBtn5->setObjectName(QStringLiteral("BitBtn5"));
    BitBtn5->setAccessibleName(QStringLiteral("終了"));
    BitBtn5->setFont(parts::FormFont(15, true));
    BitBtn5->setGeometry(8, 7, 100, 30);
    connect(BitBtn5, &QPushButton::clicked, this, &TKorvalen01F::EndMenuExecute);

    auto* panel = new ClientPanel(client);
    Panel2 = panel;
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setAccessibleName(QStringLiteral("事件のパネル"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    layout->addWidget(Panel2, 1);

    struct Button {
        QToolButton** member;
        const char* name;
        const char* caption;
        int tag;
    };
    const Button buttons[] = {
        {&AddBtn1, "AddBtn1", "新規", 0},
        {&RefBtn1, "RefBtn1", "参照", 2},
        {&UpBtn1, "UpBtn1", "変更", 1},
        {&DelBtn1, "DelBtn1", "削除", -1},
    };
    int left = 8;
    for (const Button& b : buttons) {
        auto* button = new QToolButton(Panel2);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromUtf8(b.caption));
        button->setAccessibleName(QString::fromUtf8(b.caption));
        button->setAutoRaise(true);  // flat
        button->setFont(parts::FormFont(13, true));
        button->setGeometry(left, 7, 49, 22);
        button->setFocusPolicy(Qt::StrongFocus);
        if (b.tag >= 0) {
            button->setProperty("Tag", b.tag);
            connect(button, &QToolButton::clicked, this, [this, button] { AddBtn1Click(button); });
        } else {
            connect(button, &QToolButton::clicked, this, &TKorvalen01F::DelBtn1Click);
        }
        *b.member = button;
        left += 49 + 2;
    }
    for (QToolButton* button : {RefBtn1, UpBtn1, DelBtn1}) button->setEnabled(false);

    model_ = new CaseListModel(this);
    ListView1 = new QTableView(Panel2);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("事件の一覧"));
    ListView1->setModel(model_);
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setWordWrap(false);
    ListView1->setCornerButtonEnabled(false);
    ListView1->verticalHeader()->hide();
    // Fixed row heights keep scrolling through 10,000 rows cheap.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setFixedHeight(kRowHeight + 2);
    header->resizeSection(CaseListModel::CreditorColumn, 130);
    header->resizeSection(CaseListModel::DebtorColumn, 130);
    header->resizeSection(CaseListModel::CountColumn, 70);
    QPalette listPalette = ListView1->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    ListView1->setPalette(listPalette);
    panel->list = ListView1;
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TKorvalen01F::ListView1Change);
    connect(model_, &QAbstractItemModel::modelReset, this, &TKorvalen01F::ListView1Change);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TKorvalen01F::ListView1Change);
}

void TKorvalen01F::FormCreate() {
    if (KorvalenApplication* app = KorvalenApplication::Instance()) {
        app->SetErrorHandler([this](std::exception_ptr error) { return HandleAppError(error); });
        handlerInstalled_ = true;
    }
    RefreshCaseList();
}

platform::AfterError TKorvalen01F::HandleAppError(std::exception_ptr error) {
    const platform::AfterError after = storage::HandleAppError(*services_.dataModule, error);
    if (after == platform::AfterError::DisableFileMenu) File1->menuAction()->setEnabled(false);
    return after;
}

void TKorvalen01F::RefreshCaseList() {
    BusyCursor busy;
    model_->Reset(storage::ListCases(services_.dataModule->TableDatabase1()));
}

void TKorvalen01F::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_ || event->spontaneous()) return;
    shownOnce_ = true;
    // FormShow: this PC's row in CSConM. The update check is not part of
    // this program, so its state is "not up to date".
    services_.dataModule->RegisterThisPc(false);
}

void TKorvalen01F::BringToFront() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // A dialog open over the window (the wizard, a message) is what the
    // user works in: it comes up with it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

std::vector<int> TKorvalen01F::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : ListView1->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::optional<int> TKorvalen01F::FirstSelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

void TKorvalen01F::ListView1Change() {
    const std::size_t selected = ListView1->selectionModel()->selectedRows().size();
    RefBtn1->setEnabled(selected == 1);
    UpBtn1->setEnabled(selected == 1);
    DelBtn1->setEnabled(selected >= 1);
}

void TKorvalen01F::AddBtn1Click(QAbstractButton* sender) {
    const int mode = sender->property("Tag").toInt();
    const ModeScope scope(this, mode);
    const auto opening = static_cast<WizardOpening>(mode);

    std::optional<int> row;
    wizard::T_SAIKEN_DATA_REC_NINI record;
    if (opening == WizardOpening::New) {
        const int rows = model_->rowCount();
        record.SEQ = rows == 0 ? 0 : model_->Item(rows - 1).record.SEQ + 1;
        // Past the last number the tables decide, and refuse with the
        // user's message when every number is taken, before anything is typed.
        if (record.SEQ > storage::kHighestSeq)
            record.SEQ = storage::NextCaseSeq(services_.dataModule->TableDatabase1());
    } else {
        row = FirstSelectedRow();
        if (!row) return;
        record = model_->Item(*row).record;
    }

    const wizard::WizardOutcome outcome = wizard_->Run(opening, record, this);
    if (outcome.deleted) {
        // The case is gone from the tables; its row must not stay.
        RefreshCaseList();
        return;
    }
    if (outcome.modalResult != wizard::kWizardFinished || !outcome.savedMode) return;
    if (outcome.seq >= 0) record.SEQ = outcome.seq;
    CaseListItem item = CaseListItem::Of(record.SEQ, outcome.creditor, outcome.debtor, outcome.entryCount);
    item.record = record;
    if (row) {
        model_->Replace(*row, std::move(item));
    } else {
        model_->Append(std::move(item));
    }
}

void TKorvalen01F::DelBtn1Click() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    if (services_.messages->Show(MessageType::Confirmation, Buttons::OkCancel, kDeleteQuestion) != Answer::Ok) return;
    std::vector<std::int32_t> seqs;
    for (int row : rows) seqs.push_back(model_->Item(row).record.SEQ);

    const FrozenView frozen(ListView1);
    const BusyCursor busy;
    // Each case is its own transaction: a failure later on leaves the
    // cases already deleted out of the list, and the rest in it.
    storage::DeleteCases(services_.dataModule->TableDatabase1(), seqs,
                         [this](std::int32_t seq) { model_->RemoveCase(seq); });
}

void TKorvalen01F::C1Click() {
    // Without a selected row there is nothing to duplicate.
    const std::optional<int> row = FirstSelectedRow();
    if (!row) return;
    const std::int32_t seq = model_->Item(*row).record.SEQ;
    {
        BusyCursor busy;
        try {
            storage::DuplicateCase(services_.dataModule->TableDatabase1(), seq);
        } catch (...) {
            busy.Restore();
            // The list is rebuilt before the error is handled; should that
            // fail as well, the first error is the one to report.
            try {
                RefreshCaseList();
            } catch (const std::exception&) {
            }
            throw;
        }
    }
    services_.messages->ShowPlain("複製完了！");
    RefreshCaseList();
}

void TKorvalen01F::ShowDialog(const ShellDialogs::Factory& factory, const char* caption) {
    if (!factory) {
        services_.messages->Show(MessageType::Information, Buttons::Ok,
                                 std::string("「") + caption + "」は、このビルドにはまだ含まれていません。");
        return;
    }
    std::unique_ptr<QDialog> dialog = factory(*this);
    dialog->exec();
}

void TKorvalen01F::B1Click() {
    if (!dialogs_.backupRestore) {
        ShowDialog({}, "データのバックアップ＆復元");
        return;
    }
    std::unique_ptr<QDialog> dialog = dialogs_.backupRestore(*this);
    // No table of the folder may be open while it is copied or replaced.
    services_.dataModule->TableDatabase1().disconnect();
    dialog->exec();
}

void TKorvalen01F::B2Click() { ShowDialog(dialogs_.databaseFolder, "ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定"); }

void TKorvalen01F::K1Click() { ShowDialog(dialogs_.options, "環境設定"); }

void TKorvalen01F::H1Click() { ShowDialog(dialogs_.dateInput, "日付入力方式の設定"); }

void TKorvalen01F::C2Click() { services_.help->ShowContents(); }

// The online update check is not part of this program; both of its items say so.
void TKorvalen01F::U1Click() { services_.messages->Show(MessageType::Information, Buttons::Ok, kNoOnlineUpdate); }

void TKorvalen01F::N8Click() { U1Click(); }

void TKorvalen01F::OpenWebPage(const char* url) {
    OpenOrReport(*services_.links, *services_.messages, QUrl(QString::fromLatin1(url)));
}

void TKorvalen01F::K2Click() { OpenWebPage(kManualDownloadPage); }

void TKorvalen01F::H3Click() { OpenWebPage(kHomePage); }

QUrl TKorvalen01F::SupportMailUrl() const {
    const QString body = QStringLiteral("Program Version＝") + QString::fromStdString(platform::ProgramFileVersion()) +
                         QStringLiteral("\r\nWindowsの種類＝") + QString::fromStdString(services_.operatingSystem) +
                         QStringLiteral("\r\n*******問い合わせの内容をご記入下さい*******");
    return MailToSupport(QStringLiteral("【引直計算】問い合わせ"), body);
}

void TKorvalen01F::objectVEXMailMenuTMenuItem1Click() {
    OpenOrReport(*services_.links, *services_.messages, SupportMailUrl());
}

void TKorvalen01F::A1Click() {
    TKorvABF about(services_, this);
    about.exec();
}

void TKorvalen01F::EndMenuExecute() { close(); }

}  // namespace korvalen::shell
