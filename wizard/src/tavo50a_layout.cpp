// The wizard's window and its eight pages, laid out in the pixels of the
// 844 × 648 client area.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <algorithm>

#include "korvalen/engine/day_count.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/storage/schema.h"
#include "korvalen/wizard/fixed_size_window.h"
#include "korvalen/wizard/history_page.h"
#include "korvalen/wizard/labeled_edit.h"
#include "korvalen/wizard/num_edit.h"
#include "korvalen/wizard/result_table_view.h"
#include "korvalen/wizard/tavo50a_form.h"
#include "picture_strip.h"
#include "qt_text.h"

namespace korvalen::wizard {
namespace {

constexpr int kClientWidth = 844;
constexpr int kClientHeight = 648;
constexpr int kBandHeight = 60;
constexpr int kPagesHeight = 562;
constexpr int kButtonTop = 592;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;
constexpr int kFontPixels = 13;
constexpr int kLeft = 60;  // where a page's contents start
constexpr int kEditHeight = 24;

QFont PixelFont(int pixels, bool bold = false) {
    QFont font(QString::fromUtf8(printing::kMsPGothic));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top, int width, int height = 20) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, width, height);
    return label;
}

// A note that may take more than one line.
QLabel* AddNote(QWidget* parent, const QString& text, int left, int top, int width, int height) {
    QLabel* label = AddLabel(parent, text, left, top, width, height);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                       int height = kButtonHeight) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setGeometry(left, top, width, height);
    // Enter moves between the controls; it never presses a default button.
    button->setAutoDefault(false);
    return button;
}

QRadioButton* AddRadio(QWidget* parent, const char* name, const QString& caption, int left, int top, int width) {
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setAccessibleName(caption);
    // As wide as its caption, where a click selects it.
    radio->setGeometry(left, top, std::min(width, radio->sizeHint().width()), 22);
    return radio;
}

TNumEdit* AddNumEdit(QWidget* parent, const char* name, const QString& accessibleName, int left, int top, int width) {
    auto* edit = new TNumEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    edit->setGeometry(left, top, width, kEditHeight);
    return edit;
}

TLabeledEdit* AddLabeledEdit(QWidget* parent, const char* name, const QString& caption,
                             const storage::TextColumn& column, int left, int top, int width) {
    auto* edit = new TLabeledEdit(caption, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->EditLabel()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
    edit->SetByteWidth(column.width);
    edit->PlaceAt(left, top, width, kEditHeight);
    return edit;
}

}  // namespace

void TTavo50AF::BuildWindow() {
    setObjectName(QStringLiteral("Tavo50AF"));
    setWindowTitle(QStringLiteral("引直計算の入力ウイザード"));
    setAccessibleName(windowTitle());
    FixWindowSize(*this, kClientWidth, kClientHeight);
    setFont(PixelFont(kFontPixels));
    QPalette ground = palette();
    ground.setColor(QPalette::Window, QColor(212, 212, 200));
    setPalette(ground);
    setAutoFillBackground(true);

    // A page control whose tabs are never shown: a stack of pages.
    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, kClientWidth, kPagesHeight);
    TabSheets.assign(kWizardPageCount, nullptr);

    BuildStartPage(AddPage(kStartPage, {}, {}));
    BuildNamesPage(AddPage(kNamesPage, QStringLiteral("債権者及び債務者の入力"),
                           QStringLiteral("債権者及び債務者の名称の入力を行います")));
    BuildRatesPage(AddPage(kRatesPage, QStringLiteral("借入基本データの入力"),
                           QStringLiteral("借入れの基本的な属性の入力を行います")));
    BuildHistoryPage(AddPage(kHistoryPage, QStringLiteral("借入・返済履歴の入力"),
                             QStringLiteral("借入・返済の履歴を入力します。")));
    BuildLenderPage(AddPage(kLenderPage, QStringLiteral("業者計算の表示"),
                            QStringLiteral("借入・返済入力をもとに業者計算の履歴を表示します。")));
    BuildRecalculationPage(AddPage(kRecalculationPage, QStringLiteral("引直計算の表示"),
                                   QStringLiteral("引直計算後の借入・返済履歴を表示します")));
    BuildStartDatePage(AddPage(kStartDatePage, QStringLiteral("計算開始日の入力"),
                               QStringLiteral("借入れの基本的な属性の入力を行います")));
    BuildStartBalancePage(AddPage(kStartBalancePage, QStringLiteral("計算開始時点の借入残高の入力"),
                                  QStringLiteral("借入れの基本的な属性の入力を行います")));
    for (QWidget* page : TabSheets) PageControl1->addWidget(page);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, kPagesHeight, kClientWidth, 2);

    const int cancelLeft = kClientWidth - 20 - kButtonWidth;
    BackBtn = AddButton(this, "BackBtn", QStringLiteral("< 戻る(&B)"), cancelLeft - 12 - 2 * kButtonWidth, kButtonTop,
                        kButtonWidth);
    NextBtn = AddButton(this, "NextBtn", QString::fromUtf8(kNextCaption), cancelLeft - 12 - kButtonWidth, kButtonTop,
                        kButtonWidth);
    CancelBtn = AddButton(this, "CancelBtn", QStringLiteral("キャンセル"), cancelLeft, kButtonTop, kButtonWidth);
    BackBtn->setEnabled(false);
    connect(BackBtn, &QPushButton::clicked, this, &TTavo50AF::BackBtnClick);
    connect(NextBtn, &QPushButton::clicked, this, &TTavo50AF::NextBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TTavo50AF::CancelBtnClick);
}

QWidget* TTavo50AF::AddPage(int index, const QString& heading, const QString& subheading) {
    // Made inside the page control, so its controls measure themselves in
    // the window's font.
    auto* page = new QWidget(PageControl1);
    page->setObjectName(QStringLiteral("TabSheet%1").arg(index + 1));
    page->setAccessibleName(heading.isEmpty() ? windowTitle() : heading);
    TabSheets[static_cast<std::size_t>(index)] = page;
    if (heading.isEmpty()) return page;

    auto* band = new QFrame(page);
    band->setObjectName(QStringLiteral("Band%1").arg(index + 1));
    band->setGeometry(0, 0, kClientWidth, kBandHeight);
    band->setAutoFillBackground(true);
    QPalette white = band->palette();
    white.setColor(QPalette::Window, Qt::white);
    band->setPalette(white);
    QLabel* title = AddLabel(band, heading, 20, 10, 700, 22);
    title->setObjectName(QStringLiteral("Heading%1").arg(index + 1));
    title->setFont(PixelFont(15, true));
    QLabel* sub = AddLabel(band, subheading, 44, 34, 700, 18);
    sub->setObjectName(QStringLiteral("Subheading%1").arg(index + 1));
    auto* line = new QFrame(page);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(0, kBandHeight, kClientWidth, 2);
    return page;
}

void TTavo50AF::BuildStartPage(QWidget* page) {
    // The start page is white beside its picture, with the heading large.
    page->setAutoFillBackground(true);
    QPalette white = page->palette();
    white.setColor(QPalette::Window, Qt::white);
    page->setPalette(white);
    auto* strip = new PictureStrip(page);
    strip->setGeometry(0, 0, 164, kPagesHeight);

    constexpr int left = 196;
    QLabel* title = AddLabel(page, QStringLiteral("引直計算の入力ウイザード"), left, 28, 600, 30);
    title->setObjectName(QStringLiteral("Heading1"));
    title->setFont(PixelFont(22, true));
    QLabel* sub = AddLabel(page, QStringLiteral("引直計算の入力ウイザードの開始"), left, 66, 600, 22);
    sub->setObjectName(QStringLiteral("Subheading1"));
    sub->setFont(PixelFont(15, true));
    AddNote(page, QStringLiteral("このウイザードを使うと、引直計算データの設定を容易に行うことができます。"), left, 124,
            620, 22);
    AddNote(page, QStringLiteral("続行するには区分を選択し「次へ」をクリックして下さい。"), left, 154, 620, 22);

    auto* group = new QGroupBox(QStringLiteral("区分"), page);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    group->setAccessibleName(QStringLiteral("区分"));
    group->setGeometry(left + 20, 200, 360, 150);
    RadioButton6 = AddRadio(group, "RadioButton6", QStringLiteral("新規作成"), 24, 26, 320);
    RadioButton3 = AddRadio(group, "RadioButton3", QStringLiteral("入力済データの参照"), 24, 56, 320);
    RadioButton4 = AddRadio(group, "RadioButton4", QStringLiteral("入力済データの計算条件の変更"), 24, 86, 320);
    RadioButton5 = AddRadio(group, "RadioButton5", QStringLiteral("入力済データの削除"), 24, 116, 320);
    RadioButton6->setChecked(true);
}

void TTavo50AF::BuildNamesPage(QWidget* page) {
    constexpr int top = 112;
    LabeledEdit1 =
        AddLabeledEdit(page, "LabeledEdit1", QStringLiteral("債権者名"), storage::kCreditorNameColumn, kLeft, top, 340);
    LabeledEdit2 = AddLabeledEdit(page, "LabeledEdit2", QStringLiteral("債務者名"), storage::kDebtorNameColumn,
                                  kLeft + 380, top, 340);
    AddNote(page, QStringLiteral("ここで入力した内容は、「計算書」に印字されます。"), kLeft, top + 34, 720, 20);
    LabeledEdit3 =
        AddLabeledEdit(page, "LabeledEdit3", QStringLiteral("備考"), storage::kRemarksColumn, kLeft, top + 110, 720);
    AddNote(page, QStringLiteral("ここで入力した内容は、「計算書」に印字されます。"), kLeft, top + 144, 720, 20);
    AddNote(page, QStringLiteral("印字が不要な場合は消去して下さい。"), kLeft, top + 166, 720, 20);
    // Names are Japanese: the input method stays at the user's disposal.
    for (QLineEdit* edit : {static_cast<QLineEdit*>(LabeledEdit1), static_cast<QLineEdit*>(LabeledEdit2),
                            static_cast<QLineEdit*>(LabeledEdit3)}) {
        edit->setAttribute(Qt::WA_InputMethodEnabled, true);
    }
}

void TTavo50AF::BuildStartDatePage(QWidget* page) {
    constexpr int top = 110;
    StartDayBtn = AddButton(page, "StartDayBtn", QStringLiteral("計算開始年月日"), kLeft, top, 130, 26);
    Edit2 = new QLineEdit(page);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setAccessibleName(QStringLiteral("計算開始年月日"));
    Edit2->setReadOnly(true);
    Edit2->setGeometry(kLeft + 140, top + 1, 170, kEditHeight);
    Edit2->installEventFilter(this);
    StartDayClearBtn = new QToolButton(page);
    StartDayClearBtn->setObjectName(QStringLiteral("StartDayClearBtn"));
    StartDayClearBtn->setText(QStringLiteral("×"));
    StartDayClearBtn->setToolTip(QStringLiteral("計算開始年月日を消去します。"));
    StartDayClearBtn->setAccessibleName(QStringLiteral("計算開始年月日を消去します。"));
    StartDayClearBtn->setGeometry(kLeft + 314, top + 1, kEditHeight, kEditHeight);
    StartDayLabel = AddLabel(page, {}, kLeft + 346, top + 1, 300, kEditHeight);
    StartDayLabel->setObjectName(QStringLiteral("StartDayLabel"));
    connect(StartDayBtn, &QPushButton::clicked, this, &TTavo50AF::PickStartDate);
    connect(StartDayClearBtn, &QToolButton::clicked, this, &TTavo50AF::ClearStartDate);

    AddNote(page, QStringLiteral("※　未入力の場合は、借入・返済履歴入力の最初の取引日から計算します。"), kLeft,
            top + 60, 740, 20);
    AddNote(page,
            QStringLiteral(
                "借入当初から入力する場合、最初の借入を「履歴入力」で行いますので、計算開始日の入力は不要です。"),
            kLeft, top + 88, 740, 40);
}

void TTavo50AF::BuildStartBalancePage(QWidget* page) {
    constexpr int top = 110;
    constexpr int editLeft = kLeft + 200;
    AddLabel(page, QStringLiteral("計算開始時点の残高(円)"), kLeft, top + 2, 190);
    NumEdit1 = AddNumEdit(page, "NumEdit1", QStringLiteral("計算開始時点の残高(円)"), editLeft, top, 140);
    AddLabel(page, QStringLiteral("引直利率適用基準借入(円)"), kLeft, top + 42, 190);
    NumEdit3 = AddNumEdit(page, "NumEdit3", QStringLiteral("引直利率適用基準借入(円)"), editLeft, top + 40, 140);
    AddNote(page,
            QStringLiteral("途中の残高より引直計算を行う場合、適用される金利を判断する借入金額の入力を行います。"
                           "10万円未満・・・20%、100万円以上・・・15%、以外18%で計算されます。"),
            kLeft, top + 90, 720, 44);
}

void TTavo50AF::BuildRatesPage(QWidget* page) {
    auto* rates = new QGroupBox(QStringLiteral("利率の入力"), page);
    rates->setObjectName(QStringLiteral("GroupBox1"));
    rates->setGeometry(40, 80, 764, 134);
    AddLabel(rates, QStringLiteral("利率"), 20, 30, 40);
    NumEdit10 = AddNumEdit(rates, "NumEdit10", QStringLiteral("利率"), 70, 28, 70);
    SetUpRateEdit(*NumEdit10);
    AddLabel(rates, QStringLiteral("％"), 146, 30, 20);
    QLabel* methodLabel = AddLabel(rates, QStringLiteral("利息計算方式"), 20, 66, 90);
    KeisanG = new QComboBox(rates);
    KeisanG->setObjectName(QStringLiteral("KeisanG"));
    KeisanG->setAccessibleName(QStringLiteral("利息計算方式"));
    // On Linux the desktop reads a combo box's choice as its name and what
    // it is for only from the label whose buddy it is.
    methodLabel->setBuddy(KeisanG);
    for (const std::string_view label : engine::DayCountMethodLabels()) {
        KeisanG->addItem(QStringOf(label));
    }
    KeisanG->setCurrentIndex(0);
    KeisanG->setGeometry(116, 63, 560, kEditHeight);
    CheckBox2 = new QCheckBox(QStringLiteral("借入当日の利息を計算する"), rates);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setAccessibleName(CheckBox2->text());
    CheckBox2->setGeometry(20, 100, 300, 22);
    CheckBox2->setChecked(true);

    auto* overpayment = new QGroupBox(QStringLiteral("過払金の利率の入力"), page);
    overpayment->setObjectName(QStringLiteral("GroupBox2"));
    overpayment->setGeometry(40, 226, 764, 64);
    AddLabel(overpayment, QStringLiteral("利率"), 20, 30, 40);
    NumEdit2 = AddNumEdit(overpayment, "NumEdit2", QStringLiteral("過払金の利率"), 70, 28, 70);
    SetUpRateEdit(*NumEdit2);
    AddLabel(overpayment, QStringLiteral("％"), 146, 30, 20);

    auto* settlement = new QGroupBox(QStringLiteral("過払いが発生した場合の返還請求金額の計算方法"), page);
    settlement->setObjectName(QStringLiteral("GroupBox3"));
    settlement->setGeometry(40, 302, 764, 132);
    RadioButton1 = AddRadio(settlement, "RadioButton1", QStringLiteral("利息は最後に合算して請求する"), 20, 28, 500);
    AddNote(settlement, QStringLiteral("過払金利息は追加貸付があっても清算しません。"), 44, 50, 680, 20);
    RadioButton2 = AddRadio(settlement, "RadioButton2",
                            QStringLiteral("過払金利息発生後の追加貸付金額にそのつど充当する"), 20, 78, 500);
    AddNote(settlement, QStringLiteral("過払金利息の清算を追加貸付のつど行います。"), 44, 100, 680, 20);
    RadioButton2->setChecked(true);
}

void TTavo50AF::BuildHistoryPage(QWidget* page) {
    historyPage_ = new HistoryPage(services_.messages, page);
    historyPage_->move(0, kBandHeight);
    historyPage_->SetHistory(&history_);
}

void TTavo50AF::BuildLenderPage(QWidget* page) {
    StringGrid1 = new ResultTableView(engine::CalculationKind::LenderCalculation, page);
    StringGrid1->setGeometry(20, kBandHeight + 12, StringGrid1->ContentWidth(), 482);
}

void TTavo50AF::BuildRecalculationPage(QWidget* page) {
    StringGrid3 = new ResultTableView(engine::CalculationKind::Recalculation, page);
    StringGrid3->setGeometry(20, kBandHeight + 12, StringGrid3->ContentWidth(), 410);

    ClaimSummary = AddLabel(page, {}, 24, kBandHeight + 430, 780, 22);
    ClaimSummary->setObjectName(QStringLiteral("ClaimSummary"));
    // No name of its own: a screen reader reads the figures it shows.
    ClaimSummary->setFont(PixelFont(15, true));
    ClaimSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    constexpr int top = kBandHeight + 460;
    PreviewBtn = AddButton(page, "PreviewBtn", QStringLiteral("印刷プレビュー（&V）"), 20, top, 170);
    PreviewBtn->setToolTip(QStringLiteral("印刷イメージを表示します。"));
    PrintBtn = AddButton(page, "PrintBtn", QStringLiteral("印刷（&P）"), 200, top, 130);
    PrintBtn->setToolTip(QStringLiteral("プリンタに直接出力します。"));
    PdfBtn = AddButton(page, "PdfBtn", QStringLiteral("PDF保存（&D）"), 340, top, 130);
    PdfBtn->setToolTip(QStringLiteral("計算書をPDFファイルに保存します。"));
    connect(PreviewBtn, &QPushButton::clicked, this, &TTavo50AF::PreviewBtnClick);
    connect(PrintBtn, &QPushButton::clicked, this, &TTavo50AF::PrintBtnClick);
    connect(PdfBtn, &QPushButton::clicked, this, &TTavo50AF::PdfBtnClick);
}

}  // namespace korvalen::wizard
