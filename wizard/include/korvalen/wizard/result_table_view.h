// The two result tables of the wizard, StringGrid1 (the lender's
// calculation) and StringGrid3 (the recalculation): read-only views over an
// engine::ResultTable, whose texts they show cell by cell as they stand.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "korvalen/engine/result_table.h"

namespace korvalen::wizard {

// The table's heading row is the header; its rows 1 onwards are the
// model's rows 0 onwards (at least 49, the padding rows empty).
class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultTableModel(engine::CalculationKind kind, QObject* parent = nullptr);

    void SetTable(engine::ResultTable table);
    const engine::ResultTable& Table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    engine::ResultTable table_;
};

class ResultTableView : public QTableView {
    Q_OBJECT
public:
    // StringGrid1 for the lender's calculation, StringGrid3 for the
    // recalculation.
    explicit ResultTableView(engine::CalculationKind kind, QWidget* parent = nullptr);

    // Shows a table the engine filled (RunCalculation); the view keeps it.
    void SetTable(engine::ResultTable table);
    const engine::ResultTable& Table() const { return model_->Table(); }
    // Every data row emptied, the headings kept.
    void ClearGrid();
    // The width that shows every column and the scroll bar. The columns have
    // their given widths, widened where a text of the table needs more.
    int ContentWidth() const;

    // Ctrl+C and the context menu's コピー: the selected rows, or all rows
    // when none is selected, under the heading row, as tab-separated text.
    void CopyToClipboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FitColumns();

    ResultTableModel* model_;
};

}  // namespace korvalen::wizard
