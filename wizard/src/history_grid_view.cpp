#include "korvalen/wizard/history_grid_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include "grid_drawing.h"

namespace korvalen::wizard {
namespace {

constexpr int kRowHeight = 18;
constexpr int kFontPixels = 13;
constexpr int kRowNumberWidth = 25;
constexpr int kColumnWidth = 80;
// The date cell's edit mask: six digits, the slashes kept in the text.
constexpr const char* kDateMask = "00/00/00; ";

Qt::Alignment HistoryAlignment(int modelColumn) { return modelColumn == kDateCol - 1 ? Qt::AlignLeft : Qt::AlignRight; }

}  // namespace

GridKey CommitKeyOf(const QKeyEvent& event) {
    const auto modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) return GridKey::None;
    switch (event.key()) {
        case Qt::Key_Tab: return GridKey::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return GridKey::Enter;
        case Qt::Key_Down: return GridKey::Down;
        default: return GridKey::None;
    }
}

// The cells' editors: the date through its mask, the figures as free text.
// A key that commits closes the editor with its text in the cell and then
// commits the row, so the grid itself never moves for these keys.
class HistoryCellDelegate : public GridCellDelegate {
public:
    explicit HistoryCellDelegate(HistoryGridView& view)
        : GridCellDelegate(GridFont(kFontPixels), HistoryAlignment, &view), view_(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFont(GridFont(kFontPixels));
        editor->setFrame(false);
        editor->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString());
        if (index.column() == kDateCol - 1) {
            editor->setObjectName(QStringLiteral("DateEditor"));
            editor->setInputMask(QString::fromLatin1(kDateMask));
        } else {
            editor->setObjectName(QStringLiteral("CellEditor"));
            editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        view_.EditorOpened(editor);
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* edit = static_cast<QLineEdit*>(editor);
        edit->setText(index.data(Qt::EditRole).toString());
        edit->selectAll();
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const auto* edit = static_cast<QLineEdit*>(editor);
        // With the mask the cell keeps the blanks of what was not typed:
        // "  /  /  " when nothing was.
        model->setData(index, edit->inputMask().isEmpty() ? edit->text() : edit->displayText());
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
        editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor != nullptr && event->type() == QEvent::KeyPress) {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            const GridKey commit = CommitKeyOf(key);
            if (commit != GridKey::None) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                view_.CommitCurrentCell(commit);
                return true;
            }
        }
        return GridCellDelegate::eventFilter(object, event);
    }

private:
    HistoryGridView& view_;
};

HistoryGridModel::HistoryGridModel(HistoryGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    grid_.SetListener(this);
}

int HistoryGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kHistoryGridRows; }

int HistoryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kHistoryGridColumns - 1;
}

QVariant HistoryGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::AccessibleTextRole: return QString::fromStdString(grid_.CellText(CellOf(index)));
        case Qt::TextAlignmentRole: return QVariant::fromValue(HistoryAlignment(index.column()) | Qt::AlignVCenter);
        default: return {};
    }
}

bool HistoryGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const std::string text = value.toString().toStdString();
    if (text == grid_.CellText(CellOf(index))) return true;
    grid_.SetCellText(CellOf(index), text);
    return true;
}

QVariant HistoryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    const GridCell cell = orientation == Qt::Horizontal ? GridCell{section + 1, 0} : GridCell{0, section + 1};
    return QString::fromStdString(grid_.CellText(cell));
}

Qt::ItemFlags HistoryGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void HistoryGridModel::RowsChanged(int firstRow, int lastRow) {
    emit dataChanged(index(firstRow - 1, 0), index(lastRow - 1, columnCount() - 1), {Qt::DisplayRole});
}

void HistoryGridModel::CursorPlaced(GridCell cell) { emit CursorMovedTo(IndexOf(cell)); }

void HistoryGridModel::TotalsChanged(std::int64_t borrowings, std::int64_t repayments) {
    emit TotalsUpdated(borrowings, repayments);
}

HistoryGridView::HistoryGridView(HistoryGrid& grid, QWidget* parent)
    : QTableView(parent), grid_(grid), model_(new HistoryGridModel(grid, this)) {
    setObjectName(QStringLiteral("StringGrid2"));
    setAccessibleName(QStringLiteral("借入・返済履歴"));
    const QFont font = GridFont(kFontPixels);
    setFont(font);
    setHorizontalHeader(new FixedCellHeader(Qt::Horizontal, font, this));
    setVerticalHeader(new FixedCellHeader(Qt::Vertical, font, this));
    setModel(model_);
    auto* delegate = new HistoryCellDelegate(*this);
    setItemDelegate(delegate);
    connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] { openEditor_ = nullptr; });
    SetCornerText(*this, QString::fromStdString(grid.CellText({0, 0})), font);
    setCornerButtonEnabled(false);

    horizontalHeader()->setFixedHeight(kRowHeight);
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    verticalHeader()->setFixedWidth(kRowNumberWidth);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setAccessibleName(QStringLiteral("見出し"));
    verticalHeader()->setAccessibleName(QStringLiteral("行"));

    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // A click on the current cell opens no editor after a delay: a key typed
    // meanwhile would be lost.
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabKeyNavigation(false);
    setWordWrap(false);

    connect(model_, &HistoryGridModel::CursorMovedTo, this, &HistoryGridView::PlaceCursor);
    PlaceCursor(model_->IndexOf(grid.Cursor()));
}

void HistoryGridView::PlaceCursor(const QModelIndex& index) {
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void HistoryGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid()) grid_.SetCursor(HistoryGridModel::CellOf(current));
}

void HistoryGridView::CommitCurrentCell(GridKey key) {
    if (currentIndex().isValid()) grid_.SetCursor(HistoryGridModel::CellOf(currentIndex()));
    grid_.CommitKey(key);
}

void HistoryGridView::CloseOpenEditor() {
    if (openEditor_ == nullptr) return;
    QWidget* editor = openEditor_;
    openEditor_ = nullptr;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool HistoryGridView::event(QEvent* event) {
    // Tab would otherwise leave the grid before keyPressEvent sees it.
    if (event->type() == QEvent::KeyPress) {
        const GridKey key = CommitKeyOf(static_cast<const QKeyEvent&>(*event));
        if (key != GridKey::None) {
            CommitCurrentCell(key);
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void HistoryGridView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteFromClipboard();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void HistoryGridView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool right = event->button() == Qt::RightButton;
    if (!index.isValid() || (event->button() != Qt::LeftButton && !right)) {
        QTableView::mousePressEvent(event);
        return;
    }
    CloseOpenEditor();
    setFocus(Qt::MouseFocusReason);
    switch (grid_.MousePress(HistoryGridModel::CellOf(index), right)) {
        case PressOutcome::Through: QTableView::mousePressEvent(event); break;
        case PressOutcome::Placed: event->accept(); break;
        case PressOutcome::Handled: event->accept(); return;  // the deletion question was asked
    }
    // A right click on an empty row offers the paste, on every platform at
    // the press, so the menu never follows a deletion question.
    if (right) ShowContextMenu(event->globalPosition().toPoint());
}

void HistoryGridView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The mouse's menu was shown at the press; this is the menu key's.
    if (event->reason() != QContextMenuEvent::Mouse) ShowContextMenu(event->globalPos());
}

void HistoryGridView::ShowContextMenu(const QPoint& globalPos) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("StringGrid2Menu"));
    QAction* paste = menu.addAction(QStringLiteral("貼り付け(&P)"), this, &HistoryGridView::PasteFromClipboard);
    paste->setObjectName(QStringLiteral("PasteAction"));
    paste->setShortcut(QKeySequence::Paste);
    paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    menu.exec(globalPos);
}

void HistoryGridView::keyboardSearch(const QString&) {
    // Typing edits the current cell; it never jumps to a row that starts so.
}

bool HistoryGridView::CommitTypedRow() {
    CloseOpenEditor();
    return grid_.CommitTypedRow();
}

void HistoryGridView::PasteFromClipboard() {
    CloseOpenEditor();
    grid_.Paste(QGuiApplication::clipboard()->text().toStdString());
}

}  // namespace korvalen::wizard
