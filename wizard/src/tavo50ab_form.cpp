#include "korvalen/wizard/tavo50ab_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QSpinBox>
#include <QToolButton>

#include "bulk_tool_fields.h"
#include "date_window_helpers.h"
#include "korvalen/wizard/history_page.h"

namespace korvalen::wizard {
namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 300;
constexpr int kLabelLeft = 16;
constexpr int kLabelWidth = 110;
constexpr int kFieldLeft = 130;
constexpr int kRowHeight = 24;

// The grid writes two-digit years and reads them back as 1950 to 2049: a
// date outside that range would come back as another century.
const QDate kFirstGridDate(1950, 1, 1);
const QDate kLastGridDate(2049, 12, 31);

QDateEdit* MakeDatePicker(QWidget* parent, const char* name, const QString& label, const QString& hint, int top) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setAccessibleName(label);
    picker->setToolTip(hint);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    picker->setDateRange(kFirstGridDate, kLastGridDate);
    picker->setGeometry(kFieldLeft, top, 120, kRowHeight);
    return picker;
}

QComboBox* MakeChoice(QWidget* parent, const char* name, const QString& label, const QStringList& items, int top) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(label);
    box->addItems(items);
    box->setGeometry(kFieldLeft, top, 150, kRowHeight);
    return box;
}

void AddLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy, int top) {
    MakeLabel(parent, name, text, {kLabelLeft, top, kLabelWidth, kRowHeight})->setBuddy(buddy);
}

}  // namespace

TTavo50ABF::TTavo50ABF(platform::MessageService& messages, HistoryPage& page, QWidget* wizard)
    : BulkToolDialog(messages, page, wizard, "Tavo50ABF", QStringLiteral("推定返済データ一括生成"),
                     QStringLiteral("作成(&S)")) {
    MakeLabel(this, "Label1", QStringLiteral("毎月返済のみ作成対象です。"), {kLabelLeft, 44, 300, 20});

    CheckBox2 = new QCheckBox(QStringLiteral("既存データは消去しない。"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setAccessibleName(CheckBox2->text());
    CheckBox2->setToolTip(QStringLiteral("入力済みのデータは消去されません。"));
    CheckBox2->setGeometry(kLabelLeft, 68, 300, 20);

    DateTimePicker1 = MakeDatePicker(this, "DateTimePicker1", QStringLiteral("１件目返済日"),
                                     QStringLiteral("【休日の設定】に係わらず返済日は入力日付になります。"), 100);
    AddLabel(this, "Label2", QStringLiteral("１件目返済日"), DateTimePicker1, 100);

    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setAccessibleName(QStringLiteral("約定返済日"));
    SpinEdit1->setRange(1, 30);
    SpinEdit1->setValue(25);
    SpinEdit1->setGeometry(kFieldLeft, 132, 60, kRowHeight);
    AddLabel(this, "Label3", QStringLiteral("約定返済日"), SpinEdit1, 132);
    CheckBox1 = new QCheckBox(QStringLiteral("月末"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setAccessibleName(QStringLiteral("月末"));
    CheckBox1->setGeometry(kFieldLeft + 72, 132, 80, kRowHeight);

    DateTimePicker2 = MakeDatePicker(this, "DateTimePicker2", QStringLiteral("最終約定返済日"),
                                     QStringLiteral("【休日の設定】がある場合は、返済日は調整されます。"), 164);
    AddLabel(this, "Label4", QStringLiteral("最終約定返済日"), DateTimePicker2, 164);

    NumEdit1 = new TNumEdit(this);
    NumEdit1->setObjectName(QStringLiteral("NumEdit1"));
    NumEdit1->setAccessibleName(QStringLiteral("毎月返済額"));
    NumEdit1->SetValue(0);
    NumEdit1->setGeometry(kFieldLeft, 196, 120, kRowHeight);
    AddLabel(this, "Label5", QStringLiteral("毎月返済額"), NumEdit1, 196);

    ComboBox1 = MakeChoice(
        this, "ComboBox1", QStringLiteral("休日の設定"),
        {QStringLiteral("土曜・日曜・祭日"), QStringLiteral("日曜・祭日"), QStringLiteral("休日設定なし")}, 228);
    ComboBox1->setCurrentIndex(static_cast<int>(engine::BusinessDayRule::EveryDay));
    AddLabel(this, "Label6", QStringLiteral("休日の設定"), ComboBox1, 228);
    KyujituH = MakeChoice(this, "KyujituH", QStringLiteral("休日の処理"),
                          {QStringLiteral("翌営業日"), QStringLiteral("前営業日")}, 260);
    KyujituH->setCurrentIndex(static_cast<int>(engine::DayOffShift::NextBusinessDay));
    AddLabel(this, "Label7", QStringLiteral("休日の処理"), KyujituH, 260);
    ComboBox1Change();

    // The dates the history already spans, or a span of six years.
    const engine::HistoryList* list = page_.History();
    const bool empty = list == nullptr || list->empty();
    DateTimePicker1->setDate(empty ? QDate(kDefaultFirstYear, 12, 25) : QDateOfDay(list->front()->date));
    DateTimePicker2->setDate(empty ? QDate(kDefaultFinalYear, 12, 25) : QDateOfDay(list->back()->date));

    setTabOrder(CheckBox2, DateTimePicker1);
    setTabOrder(DateTimePicker1, SpinEdit1);
    setTabOrder(SpinEdit1, CheckBox1);
    setTabOrder(CheckBox1, DateTimePicker2);
    setTabOrder(DateTimePicker2, NumEdit1);
    setTabOrder(NumEdit1, ComboBox1);
    setTabOrder(ComboBox1, KyujituH);

    connect(NumEdit1, &TNumEdit::Changed, this, &TTavo50ABF::InputChange);
    connect(KyujituH, &QComboBox::currentIndexChanged, this, &TTavo50ABF::InputChange);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TTavo50ABF::ComboBox1Change);
    FinishLayout(kWidth, kHeight);
    DateTimePicker1->setFocus();
}

TTavo50ABF::~TTavo50ABF() = default;

void TTavo50ABF::ComboBox1Change() {
    KyujituH->setEnabled(ComboBox1->currentIndex() != static_cast<int>(engine::BusinessDayRule::EveryDay));
}

void TTavo50ABF::InputChange() { SBSave->setEnabled(true); }

engine::RepaymentPlan TTavo50ABF::Plan() const {
    engine::RepaymentPlan plan;
    plan.firstDate = DayOfQDate(DateTimePicker1->date());
    plan.finalDate = DayOfQDate(DateTimePicker2->date());
    plan.monthEnd = CheckBox1->isChecked();
    plan.contractDay = SpinEdit1->value();
    // The field holds whole yen below 10^9; any fraction is cut.
    plan.monthlyAmount = static_cast<std::int32_t>(NumEdit1->Value());
    plan.rule = static_cast<engine::BusinessDayRule>(ComboBox1->currentIndex());
    plan.shift = static_cast<engine::DayOffShift>(KyujituH->currentIndex());
    plan.keepExisting = CheckBox2->isChecked();
    plan.startDay = page_.StartDate();
    plan.contractRate = page_.ContractRate();
    return plan;
}

QWidget* TTavo50ABF::FieldAt(engine::PlanFault fault) const {
    switch (fault) {
        case engine::PlanFault::BeforeStartDate:
        case engine::PlanFault::FirstDateOffDay: return DateTimePicker1;
        case engine::PlanFault::NoAmount: return NumEdit1;
        case engine::PlanFault::DatesContradict:
        case engine::PlanFault::FinalDateOffDay:
        case engine::PlanFault::TooManyEntries: return DateTimePicker2;
    }
    return nullptr;
}

bool TTavo50ABF::Apply() {
    engine::HistoryList* list = page_.History();
    if (list == nullptr) return false;
    if (const auto refusal = engine::GenerateRepayments(Plan(), *list, kHistoryGridRows)) {
        Warn(refusal->message, FieldAt(refusal->fault));
        if (refusal->fault == engine::PlanFault::NoAmount) SBSave->setEnabled(false);
        return false;
    }
    // Rows 1 to n show the list as it now stands, in list order; the totals
    // and the order follow the grid's own rules at its next commit.
    page_.Grid().WriteRowsFromList();
    accept();
    return true;
}

}  // namespace korvalen::wizard
