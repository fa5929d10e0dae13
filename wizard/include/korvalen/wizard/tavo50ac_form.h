// 範囲選択データ一括削除: removes the entries of a range of rows of the
// history grid, typed as two row numbers.
#pragma once

#include "korvalen/wizard/bulk_tool_dialog.h"

namespace korvalen::wizard {

class TNumEdit;

class TTavo50ACF final : public BulkToolDialog {
    Q_OBJECT
public:
    TTavo50ACF(platform::MessageService& messages, HistoryPage& page, QWidget* wizard);
    ~TTavo50ACF() override;

protected:
    bool Apply() override;
    bool HasUnappliedInput() const override;
    std::string UnappliedQuestion() const override;

private:
    void NumberChange();
    int FirstRow() const;
    int LastRow() const;

    TNumEdit* NumEdit3;  // the first row
    TNumEdit* NumEdit1;  // the last row
};

}  // namespace korvalen::wizard
