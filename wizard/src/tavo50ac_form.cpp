#include "korvalen/wizard/tavo50ac_form.h"

#include <QToolButton>

#include "bulk_tool_fields.h"
#include "korvalen/engine/bulk_edit.h"
#include "korvalen/wizard/history_page.h"

namespace korvalen::wizard {
namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 90;

}  // namespace

TTavo50ACF::TTavo50ACF(platform::MessageService& messages, HistoryPage& page, QWidget* wizard)
    : BulkToolDialog(messages, page, wizard, "Tavo50ACF", QStringLiteral("範囲選択データ一括削除"),
                     QStringLiteral("削除(&D)")) {
    NumEdit3 = MakeNumEdit(this, "NumEdit3", QStringLiteral("行目から"), {12, 50, 50, 24}, SetUpRowNumberEdit);
    MakeLabel(this, "Label1", QStringLiteral("行目から"), {66, 50, 60, 24})->setBuddy(NumEdit3);
    NumEdit1 =
        MakeNumEdit(this, "NumEdit1", QStringLiteral("行目までのすべてを削除"), {130, 50, 50, 24}, SetUpRowNumberEdit);
    MakeLabel(this, "Label2", QStringLiteral("行目までのすべてを削除"), {184, 50, 150, 24})->setBuddy(NumEdit1);
    setTabOrder(NumEdit3, NumEdit1);

    connect(NumEdit3, &TNumEdit::Changed, this, &TTavo50ACF::NumberChange);
    connect(NumEdit1, &TNumEdit::Changed, this, &TTavo50ACF::NumberChange);
    FinishLayout(kWidth, kHeight);
    NumEdit3->setFocus();
}

TTavo50ACF::~TTavo50ACF() = default;

int TTavo50ACF::FirstRow() const { return RowOf(NumEdit3); }
int TTavo50ACF::LastRow() const { return RowOf(NumEdit1); }

void TTavo50ACF::NumberChange() { SBSave->setEnabled(engine::IsDeletableRange(FirstRow(), LastRow())); }

bool TTavo50ACF::HasUnappliedInput() const { return SBSave->isEnabled() && FirstRow() != 0 && LastRow() != 0; }

std::string TTavo50ACF::UnappliedQuestion() const {
    return "データは入力されていますが\r\n削除が反映されていません。\r\n削除が反映してから「終了」しますか？";
}

bool TTavo50ACF::Apply() {
    // F3 presses only an enabled button; the range was checked with every change.
    if (!engine::IsDeletableRange(FirstRow(), LastRow())) return false;
    HistoryGrid& grid = page_.Grid();
    if (engine::HistoryList* list = page_.History()) {
        // The grid lets go of every entry before any is released.
        grid.ClearGrid();
        engine::DeleteRowRange(*list, FirstRow(), LastRow());
        grid.WriteRowsFromList();
        grid.UpdateTotals();
    }
    SBSave->setEnabled(false);
    accept();
    return true;
}

}  // namespace korvalen::wizard
