// The whole content of the wizard's history page (TabSheet4): the history
// grid StringGrid2, "合計" with the totals NumEdit4 and NumEdit5, the
// same-day option CheckBox3, the note on how dates are typed, and the three
// buttons of the bulk tools. The wizard owns the history list and places
// this widget on the page under the page's heading band.
#pragma once

#include <QWidget>

#include "korvalen/engine/case_model.h"
#include "korvalen/platform/messages.h"
#include "korvalen/wizard/history_grid.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace korvalen::wizard {

class HistoryGridView;
class TNumEdit;

class HistoryPage : public QWidget {
    Q_OBJECT
public:
    // The room the page takes inside the 844 × 648 wizard, under its band.
    static constexpr int kWidth = 844;
    static constexpr int kHeight = 500;

    explicit HistoryPage(platform::MessageService& messages, QWidget* parent = nullptr);
    ~HistoryPage() override;

    // The wizard's history list (not owned); FillFromHistory shows it.
    void SetHistory(engine::HistoryList* list);
    engine::HistoryList* History() const { return grid_.History(); }
    // The calculation start date (0 = none), before which no date is taken.
    void SetStartDate(engine::DayNumber day);
    engine::DayNumber StartDate() const;
    // The case's contract rate in percent, for the first entry.
    void SetContractRate(double percent);
    double ContractRate() const;
    // CheckBox3 (CHECKBOX = 1 when on). Setting it re-sorts nothing; the
    // user's toggling does.
    void SetSameDayInputOrder(bool on);
    bool SameDayInputOrder() const;

    // Going from page 2 to page 3: the grid emptied, rows 1 to n written
    // from the list, and the totals set.
    void FillFromHistory();

    // Leaving the page forwards: the row still being typed is taken over as
    // a click elsewhere would take it. False when it was refused with a
    // message; the wizard then stays on the page.
    bool CommitTypedRow();

    // The grid's rules, for the bulk tools: they write rows with
    // WriteRowsFromList, WriteCell, ClearGrid and UpdateTotals.
    HistoryGrid& Grid() { return grid_; }
    HistoryGridView* StringGrid2() const { return view_; }

signals:
    // 利率一括変更(&E)..., 返済データ一括生成(&H)..., 範囲選択データ一括削除(&D)...
    void RateChangeRequested();
    void RepaymentGenerationRequested();
    void RangeDeletionRequested();

private:
    void CheckBox3Click(bool checked);
    void ShowTotals(qint64 borrowings, qint64 repayments);
    QPushButton* AddToolButton(const char* name, const QString& caption, const QString& hint,
                               const QString& explanation, int top);

    HistoryGrid grid_;
    HistoryGridView* view_;
    TNumEdit* numEdit4_;
    TNumEdit* numEdit5_;
    QCheckBox* checkBox3_;
    QPlainTextEdit* note_;
};

}  // namespace korvalen::wizard
