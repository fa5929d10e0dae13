#include "korvalen/wizard/tavo50aa_form.h"

#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "bulk_tool_fields.h"
#include "korvalen/engine/bulk_edit.h"
#include "korvalen/wizard/history_page.h"

namespace korvalen::wizard {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 120;

}  // namespace

TTavo50AAF::TTavo50AAF(platform::MessageService& messages, HistoryPage& page, QWidget* wizard)
    : BulkToolDialog(messages, page, wizard, "Tavo50AAF", QStringLiteral("利率の一括変換"),
                     QStringLiteral("変更(&S)")) {
    Edit1 = new QLineEdit(QStringLiteral("変更後利率（％）"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(Edit1->text());
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->setGeometry(12, 48, 124, 24);
    NumEdit1 = MakeNumEdit(this, "NumEdit1", QStringLiteral("変更後利率（％）"), {140, 48, 80, 24}, SetUpRateEdit);
    NumEdit3 = MakeNumEdit(this, "NumEdit3", QStringLiteral("行目以降のすべて"), {12, 82, 50, 24}, SetUpRowNumberEdit);
    MakeLabel(this, "Label1", QStringLiteral("行目以降のすべて"), {68, 82, 200, 24})->setBuddy(NumEdit3);
    setTabOrder(NumEdit1, NumEdit3);

    connect(NumEdit1, &TNumEdit::Changed, this, &TTavo50AAF::NumberChange);
    connect(NumEdit3, &TNumEdit::Changed, this, &TTavo50AAF::NumberChange);
    FinishLayout(kWidth, kHeight);
    NumEdit1->setFocus();
}

TTavo50AAF::~TTavo50AAF() = default;

void TTavo50AAF::NumberChange() { SBSave->setEnabled(true); }

bool TTavo50AAF::HasUnappliedInput() const {
    return SBSave->isEnabled() && NumEdit1->Value() != 0 && NumEdit3->Value() != 0;
}

std::string TTavo50AAF::UnappliedQuestion() const {
    return "データは入力されていますが\r\n変更が反映されていません。\r\n変更が反映してから「終了」しますか？";
}

bool TTavo50AAF::Apply() {
    const auto percent = static_cast<double>(NumEdit1->Value());
    const int firstRow = RowOf(NumEdit3);
    if (const auto refusal = engine::CheckRateChange(percent, firstRow)) {
        Warn(refusal->message, refusal->fault == engine::RateChangeFault::NoRate ? NumEdit1 : NumEdit3);
        // After the focus has moved: leaving the rate field writes its
        // final form, which counts as a change.
        SBSave->setEnabled(false);
        return false;
    }
    engine::HistoryList* list = page_.History();
    if (list != nullptr) {
        const std::size_t changed = engine::ChangeRatesFrom(*list, firstRow, engine::RateToFixed(percent));
        // Only the rate column is written: what the user typed into the
        // other cells of a row is still to be taken over.
        const int lastShown = std::min(firstRow - 1 + static_cast<int>(changed), kHistoryGridRows);
        for (int row = firstRow; row <= lastShown; ++row) page_.Grid().WriteCell({kRateCol, row});
    }
    SBSave->setEnabled(false);
    accept();
    return true;
}

}  // namespace korvalen::wizard
