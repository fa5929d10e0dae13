#include "korvalen/wizard/result_table_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <set>

#include "grid_drawing.h"
#include "korvalen/wizard/result_table_text.h"
#include "qt_text.h"

namespace korvalen::wizard {
namespace {

constexpr int kRowHeight = 24;
constexpr int kFontPixels = 15;
// Columns 0 to 8 of both tables; then the lender's spacer, or the two
// overpayment columns of the recalculation.
constexpr std::array<int, 9> kSharedWidths = {85, 80, 70, 34, 54, 70, 80, 80, 70};
constexpr int kSpacerWidth = 1;
constexpr int kOverpaymentWidth = 70;

Qt::Alignment ResultAlignment(int column) {
    switch (column) {
        case engine::kColDate:
        case engine::kColDays:
        case engine::kColRate: return Qt::AlignHCenter;
        default: return Qt::AlignRight;
    }
}

int ColumnWidth(engine::CalculationKind kind, int column) {
    if (column < static_cast<int>(kSharedWidths.size())) return kSharedWidths[static_cast<std::size_t>(column)];
    return kind == engine::CalculationKind::LenderCalculation ? kSpacerWidth : kOverpaymentWidth;
}

}  // namespace

ResultTableModel::ResultTableModel(engine::CalculationKind kind, QObject* parent)
    : QAbstractTableModel(parent), table_(kind) {}

void ResultTableModel::SetTable(engine::ResultTable table) {
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

int ResultTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : table_.rowCount() - 1; }

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.columnCount();
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: {
            return QStringOf(table_.cell(index.row() + 1, index.column()));
        }
        case Qt::TextAlignmentRole: return QVariant::fromValue(ResultAlignment(index.column()) | Qt::AlignVCenter);
        default: return {};
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    if (orientation == Qt::Vertical) return QString::number(section + 1);
    return QStringOf(table_.cell(0, section));
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

ResultTableView::ResultTableView(engine::CalculationKind kind, QWidget* parent)
    : QTableView(parent), model_(new ResultTableModel(kind, this)) {
    const bool lender = kind == engine::CalculationKind::LenderCalculation;
    setObjectName(lender ? QStringLiteral("StringGrid1") : QStringLiteral("StringGrid3"));
    setAccessibleName(lender ? QStringLiteral("業者計算") : QStringLiteral("引直計算"));
    const QFont font = GridFont(kFontPixels);
    setFont(font);
    setHorizontalHeader(new FixedCellHeader(Qt::Horizontal, font, this));
    horizontalHeader()->setAccessibleName(QStringLiteral("見出し"));
    setModel(model_);
    setItemDelegate(new GridCellDelegate(font, ResultAlignment, this));
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setFixedHeight(kRowHeight);
    FitColumns();
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
}

void ResultTableView::SetTable(engine::ResultTable table) {
    model_->SetTable(std::move(table));
    FitColumns();
}

void ResultTableView::FitColumns() {
    // The widths were chosen for the MS face; the family that stands in for
    // it draws digits about a fifth wider, and a date or a figure cut at the
    // cell's edge would read as another one. A column keeps its width
    // unless a text of it needs more.
    const engine::ResultTable& table = model_->Table();
    const QFontMetrics metrics(font());
    for (int column = 0; column < table.columnCount(); ++column) {
        const int given = ColumnWidth(table.kind(), column);
        int width = given;
        if (given > kSpacerWidth) {
            for (int row = 0; row <= table.entryRowCount(); ++row) {
                const int needed = metrics.horizontalAdvance(QStringOf(table.cell(row, column))) + 2 * kCellMargin;
                width = std::max(width, needed);
            }
        }
        horizontalHeader()->resizeSection(column, width);
    }
}

void ResultTableView::ClearGrid() { SetTable(engine::ResultTable(model_->Table().kind())); }

int ResultTableView::ContentWidth() const {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < model_->columnCount(); ++column) width += horizontalHeader()->sectionSize(column);
    return width;
}

void ResultTableView::CopyToClipboard() {
    std::set<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.insert(index.row() + 1);
    const std::string text = ResultRowsText(model_->Table(), std::vector<int>(rows.begin(), rows.end()));
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void ResultTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ResultTableView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("コピー(&C)"), this, &ResultTableView::CopyToClipboard);
    copy->setObjectName(QStringLiteral("CopyAction"));
    copy->setShortcut(QKeySequence::Copy);
    menu.exec(event->globalPos());
    event->accept();
}

}  // namespace korvalen::wizard
