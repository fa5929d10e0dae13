// 利率の一括変換: one contract rate for every entry of the history from a
// given row of the history grid on.
#pragma once

#include "korvalen/wizard/bulk_tool_dialog.h"

class QLineEdit;

namespace korvalen::wizard {

class TNumEdit;

class TTavo50AAF final : public BulkToolDialog {
    Q_OBJECT
public:
    TTavo50AAF(platform::MessageService& messages, HistoryPage& page, QWidget* wizard);
    ~TTavo50AAF() override;

protected:
    bool Apply() override;
    bool HasUnappliedInput() const override;
    std::string UnappliedQuestion() const override;

private:
    void NumberChange();

    QLineEdit* Edit1;
    TNumEdit* NumEdit1;  // the new rate, percent
    TNumEdit* NumEdit3;  // the first row
};

}  // namespace korvalen::wizard
