// 推定返済データ一括生成: fills the history with an estimated series of
// equal monthly repayments, moved off weekends and national holidays when
// asked, where the lender's own records are missing.
#pragma once

#include "korvalen/engine/repayment_generation.h"
#include "korvalen/wizard/bulk_tool_dialog.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QSpinBox;

namespace korvalen::wizard {

class TNumEdit;

class TTavo50ABF final : public BulkToolDialog {
    Q_OBJECT
public:
    // The first and last dates offered when the history is empty.
    static constexpr int kDefaultFirstYear = 2003;
    static constexpr int kDefaultFinalYear = 2009;

    TTavo50ABF(platform::MessageService& messages, HistoryPage& page, QWidget* wizard);
    ~TTavo50ABF() override;

    // The plan as the fields hold it, with the case's start date and rate.
    engine::RepaymentPlan Plan() const;

protected:
    bool Apply() override;

private:
    void ComboBox1Change();
    void InputChange();
    QWidget* FieldAt(engine::PlanFault fault) const;

    QCheckBox* CheckBox2;
    QDateEdit* DateTimePicker1;
    QCheckBox* CheckBox1;
    QSpinBox* SpinEdit1;
    QDateEdit* DateTimePicker2;
    TNumEdit* NumEdit1;
    QComboBox* ComboBox1;
    QComboBox* KyujituH;
};

}  // namespace korvalen::wizard
