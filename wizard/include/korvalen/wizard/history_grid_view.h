// The history grid StringGrid2 as a view over the grid's rules: a table
// model that shows the cell texts of a HistoryGrid (which in turn shows the
// wizard's history list), and the view that turns keys and clicks into the
// grid's commits.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

#include "korvalen/wizard/history_grid.h"

namespace korvalen::wizard {

// Rows 1 to 999 of the grid are the model's rows 0 to 998, its columns 1
// to 4 the model's columns 0 to 3; the heading row and the row numbers are
// the header sections.
class HistoryGridModel : public QAbstractTableModel, private HistoryGridListener {
    Q_OBJECT
public:
    HistoryGridModel(HistoryGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    static GridCell CellOf(const QModelIndex& index) { return {index.column() + 1, index.row() + 1}; }
    QModelIndex IndexOf(GridCell cell) const { return index(cell.row - 1, cell.col - 1); }

signals:
    // The grid's rules put the cursor on this cell.
    void CursorMovedTo(const QModelIndex& index);
    void TotalsUpdated(qint64 borrowings, qint64 repayments);

private:
    void RowsChanged(int firstRow, int lastRow) override;
    void CursorPlaced(GridCell cell) override;
    void TotalsChanged(std::int64_t borrowings, std::int64_t repayments) override;

    HistoryGrid& grid_;
};

class HistoryGridView : public QTableView {
    Q_OBJECT
public:
    HistoryGridView(HistoryGrid& grid, QWidget* parent = nullptr);

    HistoryGridModel* GridModel() const { return model_; }
    // Ctrl+V and the context menu's 貼り付け: the clipboard's rows as entries.
    void PasteFromClipboard();
    // The row being typed, an open editor's text included, taken over
    // (HistoryGrid::CommitTypedRow).
    bool CommitTypedRow();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyboardSearch(const QString& search) override;

private:
    friend class HistoryCellDelegate;
    // Tab, Enter and Down commit the current cell; the key goes no further.
    void CommitCurrentCell(GridKey key);
    // An open editor's text goes into its cell and the editor closes.
    void CloseOpenEditor();
    void EditorOpened(QWidget* editor) { openEditor_ = editor; }
    void PlaceCursor(const QModelIndex& index);
    void ShowContextMenu(const QPoint& globalPos);

    HistoryGrid& grid_;
    HistoryGridModel* model_;
    QPointer<QWidget> openEditor_;
};

// The key of a key press that commits a cell, or None.
GridKey CommitKeyOf(const QKeyEvent& event);

}  // namespace korvalen::wizard
