#include "korvalen/shell/about_box.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "dialog_parts.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/shell/full_width.h"
#include "korvalen/shell/link_failure.h"
#include "korvalen/shell/program_icon.h"
#include "korvalen/storage/pc_list.h"
#include "korvalen/wizard/dialog_keys.h"
#include "korvalen/wizard/fixed_size_window.h"

namespace korvalen::shell {

namespace {

// The label of a program without a version, as the form was designed.
constexpr const char* kDesignedVersion = "Ｖｅｒ　１．０";
// What the label can hold (the system's mapping writes at most 256 bytes,
// two for each full-width character).
constexpr int kLabelCharacters = 128;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& where) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    label->setGeometry(where);
    return label;
}

}  // namespace

QString VersionLabelText(const std::string& version) {
    if (version.empty()) return QString::fromUtf8(kDesignedVersion);
    return QString::fromStdString(FullWidth("Ver " + version)).left(kLabelCharacters);
}

TKorvABF::TKorvABF(const ShellServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("KorvABF"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAccessibleName(QStringLiteral("バージョン情報"));
    setFont(parts::FormFont(12));
    parts::PaintBackground(this, parts::kFormBackground);
    wizard::FixWindowSize(*this, 440, 296);

    Image1 = MakeLabel(this, "Image1", {}, QRect(16, 16, 32, 32));
    Image1->setAccessibleName(QStringLiteral("カドレアのアイコン"));
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));

    ProductName = MakeLabel(this, "ProductName", QStringLiteral("カドレア"), QRect(60, 12, 250, 26));
    ProductName->setFont(parts::FormFont(20, true));
    MakeLabel(this, "Label2", QStringLiteral("利息制限法に基づく引直計算ソフト"), QRect(60, 58, 250, 16));
    LabelVer = MakeLabel(this, "LabelVer", VersionLabelText(platform::ProgramFileVersion()), QRect(60, 40, 250, 16));
    LabelVer->setAccessibleName(LabelVer->text());

    MakeLabel(this, "Label3", QStringLiteral("接続状況"), QRect(16, 84, 120, 16));
    ListView2 = new QTreeWidget(this);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setAccessibleName(QStringLiteral("接続状況"));
    ListView2->setGeometry(16, 102, 212, 104);
    ListView2->setRootIsDecorated(false);
    ListView2->setItemsExpandable(false);
    ListView2->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView2->setHeaderLabels({QStringLiteral("PC NAME"), QStringLiteral("C/S"), QStringLiteral("Version")});
    ListView2->header()->setStretchLastSection(false);
    ListView2->header()->setSectionResizeMode(QHeaderView::Fixed);
    ListView2->header()->resizeSection(0, 85);
    ListView2->header()->resizeSection(1, 36);
    ListView2->header()->resizeSection(2, 70);
    ListView2->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    ListView2->headerItem()->setTextAlignment(2, Qt::AlignCenter);
    QPalette listPalette = ListView2->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    ListView2->setPalette(listPalette);

    QLabel* legend = MakeLabel(this, "Label4", QStringLiteral("C/S区分　　Ｓ=単独or　　　Server　Ｃ=Client"),
                               QRect(238, 102, 136, 64));
    legend->setWordWrap(true);
    legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    MakeLabel(this, "Label5",
              QStringLiteral("ヴェクス㈱\nメールアドレス　") + QString::fromLatin1(kSupportMail) +
                  QStringLiteral("\nＦＡＸ　03-0000-0000"),
              QRect(16, 216, 300, 48));
    const QString site = QString::fromLatin1(kMakerSite);
    UrlLabel = MakeLabel(this, "UrlLabel", site, QRect(16, 266, 0, 16));
    UrlLabel->setFixedWidth(UrlLabel->sizeHint().width());
    QPalette linkPalette = UrlLabel->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    UrlLabel->setPalette(linkPalette);
    QFont linkFont = UrlLabel->font();
    linkFont.setUnderline(true);
    UrlLabel->setFont(linkFont);
    UrlLabel->setCursor(Qt::PointingHandCursor);
    UrlLabel->setToolTip(site);
    UrlLabel->installEventFilter(this);

    HelpBtn = new QPushButton(QStringLiteral("ヘルプ"), this);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    HelpBtn->setAccessibleName(QStringLiteral("ヘルプ"));
    HelpBtn->setGeometry(336, 14, 88, 26);
    HelpBtn->setAutoDefault(false);
    connect(HelpBtn, &QPushButton::clicked, this, &TKorvABF::HelpBtnClick);

    CloseBtn = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setAccessibleName(QStringLiteral("閉じる"));
    CloseBtn->setGeometry(336, 46, 88, 26);
    CloseBtn->setAutoDefault(false);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto* keys = new wizard::DialogKeys(this);
    keys->SetCloseButton(CloseBtn);
    keys->SetPrintWindow([this] { PrintWindow(); });

    FillPcList();
    CloseBtn->setFocus();
}

void TKorvABF::FillPcList() {
    for (const storage::PcListRow& pc : storage::ListPcs(services_.dataModule->TableDatabase1())) {
        auto* item = new QTreeWidgetItem(ListView2);
        item->setText(0, QString::fromStdString(pc.pcName));
        item->setText(1, pc.client ? QStringLiteral("C") : QStringLiteral("S"));
        item->setText(2, QString::fromStdString(pc.version));
        item->setTextAlignment(1, Qt::AlignCenter);
        item->setTextAlignment(2, Qt::AlignCenter);
    }
}

bool TKorvABF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == UrlLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        UrlLabelClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TKorvABF::UrlLabelClick() {
    OpenOrReport(*services_.links, *services_.messages, QUrl(QString::fromLatin1(kMakerSite)));
}

void TKorvABF::HelpBtnClick() { services_.help->ShowContext(help_context::kAbout); }

void TKorvABF::PrintWindow() { parts::PrintWindow(services_.screenPrint, *services_.messages, this); }

}  // namespace korvalen::shell
