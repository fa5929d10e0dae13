#include "korvalen/wizard/history_page.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "korvalen/printing/fonts.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/num_edit.h"

namespace korvalen::wizard {
namespace {

constexpr int kMargin = 12;
constexpr int kVisibleRows = 23;
constexpr int kTotalHeight = 22;
constexpr int kRightColumnGap = 24;
constexpr int kButtonWidth = 240;
constexpr int kButtonHeight = 26;

const QStringList& NoteLines() {
    static const QStringList lines = {
        QStringLiteral("【備考】"),
        QString(),
        QStringLiteral("１　日付は西暦で入力して下さい。"),
        QStringLiteral("　(例)2006年3月10日は、区切文字[/]の"),
        QStringLiteral("　　　入力を省略して[060310]　と入力します。"),
        QStringLiteral("　　　データは[06/03/10]と表示されます。"),
        QString(),
        QStringLiteral("２　入力したデータは自動的に日付順に並び"),
        QStringLiteral("　　変わります。"),
    };
    return lines;
}

TNumEdit* MakeTotal(const char* name, const QString& accessibleName, QWidget* parent) {
    auto* edit = new TNumEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->SetValue(0);
    return edit;
}

}  // namespace

HistoryPage::HistoryPage(platform::MessageService& messages, QWidget* parent)
    : QWidget(parent), grid_(messages), view_(new HistoryGridView(grid_, this)) {
    setObjectName(QStringLiteral("HistoryPage"));
    setAccessibleName(QStringLiteral("借入・返済履歴の入力"));
    setFixedSize(kWidth, kHeight);

    // The grid: the row-number column and four 80-pixel columns, 23 rows in
    // sight, the vertical scroll bar beside them.
    const int gridWidth = view_->verticalHeader()->width() + 4 * view_->horizontalHeader()->defaultSectionSize() +
                          2 * view_->frameWidth() + view_->verticalScrollBar()->sizeHint().width();
    const int gridHeight = view_->horizontalHeader()->height() * (kVisibleRows + 1) + 2 * view_->frameWidth();
    view_->setGeometry(kMargin, kMargin, gridWidth, gridHeight);

    // 合計 under the date column, the two totals under their columns.
    const int columnLeft = kMargin + view_->frameWidth() + view_->verticalHeader()->width();
    const int columnWidth = view_->horizontalHeader()->defaultSectionSize();
    const int totalsTop = kMargin + gridHeight + 6;
    auto* totalLabel = new QLabel(QStringLiteral("合計"), this);
    totalLabel->setObjectName(QStringLiteral("TotalLabel"));
    totalLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totalLabel->setGeometry(columnLeft, totalsTop, columnWidth - 6, kTotalHeight);
    numEdit4_ = MakeTotal("NumEdit4", QStringLiteral("借入の合計"), this);
    numEdit4_->setGeometry(columnLeft + columnWidth, totalsTop, columnWidth, kTotalHeight);
    numEdit5_ = MakeTotal("NumEdit5", QStringLiteral("返済の合計"), this);
    numEdit5_->setGeometry(columnLeft + 2 * columnWidth, totalsTop, columnWidth, kTotalHeight);
    totalLabel->setBuddy(numEdit4_);

    const int right = kMargin + gridWidth + kRightColumnGap;
    const int rightWidth = kWidth - right - kMargin;

    checkBox3_ = new QCheckBox(QStringLiteral("同一日は入力順に表示する"), this);
    checkBox3_->setObjectName(QStringLiteral("CheckBox3"));
    checkBox3_->setAccessibleName(checkBox3_->text());
    checkBox3_->setToolTip(QStringLiteral("保存をすると入力順は表示されている順番で確定します"));
    checkBox3_->setGeometry(right, kMargin, checkBox3_->sizeHint().width(), 22);
    connect(checkBox3_, &QCheckBox::clicked, this, &HistoryPage::CheckBox3Click);

    note_ = new QPlainTextEdit(this);
    note_->setObjectName(QStringLiteral("Memo1"));
    note_->setAccessibleName(QStringLiteral("備考"));
    note_->setReadOnly(true);
    note_->setFocusPolicy(Qt::NoFocus);
    note_->setLineWrapMode(QPlainTextEdit::NoWrap);
    note_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    note_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont noteFont(QString::fromUtf8(printing::kMsPMincho));
    noteFont.setPixelSize(14);
    noteFont.setBold(true);
    note_->setFont(noteFont);
    note_->setPlainText(NoteLines().join(QLatin1Char('\n')));
    const int noteHeight = QFontMetrics(noteFont).lineSpacing() * static_cast<int>(NoteLines().size()) + 16;
    note_->setGeometry(right, kMargin + 32, rightWidth, noteHeight);

    int top = kMargin + 32 + noteHeight + 24;
    connect(AddToolButton("RateChangeBtn", QStringLiteral("利率一括変更(&E)..."),
                          QStringLiteral("指定行以降の利率をすべて変更します"),
                          QStringLiteral("入力期間の利率を一括で変更します。"), top),
            &QPushButton::clicked, this, &HistoryPage::RateChangeRequested);
    top += 68;
    connect(AddToolButton("GenerateBtn", QStringLiteral("返済データ一括生成(&H)..."),
                          QStringLiteral("推定の返済履歴を一括で生成します。"),
                          QStringLiteral("推定の返済履歴を一括で生成します。"), top),
            &QPushButton::clicked, this, &HistoryPage::RepaymentGenerationRequested);
    top += 68;
    connect(AddToolButton("RangeDeleteBtn", QStringLiteral("範囲選択データ一括削除(&D)..."),
                          QStringLiteral("範囲選択のデータを削除します。"),
                          QStringLiteral("範囲選択のデータを削除します。"), top),
            &QPushButton::clicked, this, &HistoryPage::RangeDeletionRequested);

    connect(view_->GridModel(), &HistoryGridModel::TotalsUpdated, this, &HistoryPage::ShowTotals);
    setTabOrder(view_, checkBox3_);
}

HistoryPage::~HistoryPage() = default;

QPushButton* HistoryPage::AddToolButton(const char* name, const QString& caption, const QString& hint,
                                        const QString& explanation, int top) {
    const int right = view_->geometry().right() + 1 + kRightColumnGap;
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setToolTip(hint);
    // Inside a dialog Enter would press it as the default button; on this
    // page the grid takes Enter, and elsewhere Enter only moves on.
    button->setAutoDefault(false);
    button->setGeometry(right, top, kButtonWidth, kButtonHeight);
    auto* label = new QLabel(explanation, this);
    label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
    label->setGeometry(right + 8, top + kButtonHeight + 4, kWidth - right - kMargin - 8, 20);
    return button;
}

void HistoryPage::SetHistory(engine::HistoryList* list) { grid_.SetHistory(list); }
void HistoryPage::SetStartDate(engine::DayNumber day) { grid_.SetStartDate(day); }
engine::DayNumber HistoryPage::StartDate() const { return grid_.StartDate(); }
void HistoryPage::SetContractRate(double percent) { grid_.SetContractRate(percent); }
double HistoryPage::ContractRate() const { return grid_.ContractRate(); }

void HistoryPage::SetSameDayInputOrder(bool on) {
    checkBox3_->setChecked(on);
    grid_.SetInputOrder(on);
}

bool HistoryPage::SameDayInputOrder() const { return grid_.InputOrder(); }

void HistoryPage::FillFromHistory() {
    grid_.ClearGrid();
    grid_.WriteRowsFromList();
    grid_.UpdateTotals();
}

bool HistoryPage::CommitTypedRow() { return view_->CommitTypedRow(); }

void HistoryPage::CheckBox3Click(bool checked) { grid_.SameDayOptionToggled(checked); }

void HistoryPage::ShowTotals(qint64 borrowings, qint64 repayments) {
    numEdit4_->SetValue(static_cast<long double>(borrowings));
    numEdit5_->SetValue(static_cast<long double>(repayments));
}

}  // namespace korvalen::wizard
