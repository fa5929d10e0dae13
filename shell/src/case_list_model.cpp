#include "korvalen/shell/case_list_model.h"

namespace korvalen::shell {

CaseListItem CaseListItem::Of(std::int32_t seq, const std::string& creditor, const std::string& debtor,
                              std::int64_t entries) {
    CaseListItem item;
    item.record.SEQ = seq;
    item.creditor = QString::fromStdString(storage::CreditorCaption(creditor, seq));
    item.debtor = QString::fromStdString(storage::DebtorCaption(debtor));
    item.entryCount = QString::fromStdString(storage::EntryCountText(entries));
    return item;
}

void CaseListModel::Reset(const std::vector<storage::CaseListRow>& rows) {
    std::vector<CaseListItem> items;
    items.reserve(rows.size());
    for (const storage::CaseListRow& row : rows) {
        items.push_back(CaseListItem::Of(row.seq, row.creditor, row.debtor, row.entryCount));
    }
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

void CaseListModel::Append(CaseListItem item) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    items_.push_back(std::move(item));
    endInsertRows();
}

void CaseListModel::Replace(int row, CaseListItem item) {
    items_.at(static_cast<std::size_t>(row)) = std::move(item);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

std::optional<int> CaseListModel::RowOf(std::int32_t seq) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].record.SEQ == seq) return static_cast<int>(i);
    }
    return std::nullopt;
}

void CaseListModel::RemoveCase(std::int32_t seq) {
    const std::optional<int> row = RowOf(seq);
    if (!row) return;
    beginRemoveRows({}, *row, *row);
    items_.erase(items_.begin() + *row);
    endRemoveRows();
}

int CaseListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int CaseListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant CaseListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const CaseListItem& item = items_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            switch (index.column()) {
                case CreditorColumn: return item.creditor;
                case DebtorColumn: return item.debtor;
                case CountColumn: return item.entryCount;
                default: return {};
            }
        case Qt::TextAlignmentRole:
            return index.column() == CountColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                 : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default: return {};
    }
}

QVariant CaseListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
            case CreditorColumn: return QStringLiteral("債権者の名称");
            case DebtorColumn: return QStringLiteral("債務者");
            case CountColumn: return QStringLiteral("件数");
            default: return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        return section == CountColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                      : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

}  // namespace korvalen::shell
