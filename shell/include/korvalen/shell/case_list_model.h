// The rows of the main window's case list: each row owns the record of its
// case and shows the creditor, the debtor and the number of entries. The
// texts are made once per row, so drawing 10,000 rows costs nothing extra.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <vector>

#include "korvalen/storage/case_list.h"
#include "korvalen/wizard/case_handle.h"

namespace korvalen::shell {

struct CaseListItem {
    wizard::T_SAIKEN_DATA_REC_NINI record;
    QString creditor;    // the caption: GYOSYA_NAME or "未入力(" + SEQ + ")"
    QString debtor;      // NAME or "未入力"
    QString entryCount;  // "#,##0"

    // The texts of a case from its names and entry count.
    static CaseListItem Of(std::int32_t seq, const std::string& creditor, const std::string& debtor,
                           std::int64_t entries);
};

class CaseListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CreditorColumn = 0, DebtorColumn = 1, CountColumn = 2 };

    using QAbstractTableModel::QAbstractTableModel;

    // The list as the tables hold it now; the records of the old rows go.
    void Reset(const std::vector<storage::CaseListRow>& rows);
    void Append(CaseListItem item);
    void Replace(int row, CaseListItem item);
    // Removes the row of case `seq`, if the list has one.
    void RemoveCase(std::int32_t seq);

    const CaseListItem& Item(int row) const { return items_.at(static_cast<std::size_t>(row)); }
    // The row of case `seq`.
    std::optional<int> RowOf(std::int32_t seq) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<CaseListItem> items_;
};

}  // namespace korvalen::shell
