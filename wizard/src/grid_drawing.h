// How the history grid and the two result tables draw their cells: black
// text on white (selected cells too), fixed cells on the fixed-cell colour,
// text centred vertically and placed by its column's alignment with a
// 4-pixel margin, text wider than its cell from the cell's left edge.
#pragma once

#include <QFont>
#include <QHeaderView>
#include <QObject>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

namespace korvalen::wizard {

inline constexpr int kCellMargin = 4;

// The grids' face: "ＭＳ Ｐゴシック" at the given pixel size.
QFont GridFont(int pixelSize);

// Draws `text` into `cell` by the rules above; `alignment` is one of
// Qt::AlignLeft, Qt::AlignRight and Qt::AlignHCenter.
void DrawCellText(QPainter& painter, const QRect& cell, const QString& text, Qt::Alignment alignment);

class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using AlignmentOf = std::function<Qt::Alignment(int column)>;
    GridCellDelegate(QFont font, AlignmentOf alignment, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QFont font_;
    AlignmentOf alignment_;
};

// A header drawn as the grid's fixed cells: the heading row, the row-number
// column. Sections keep their given sizes.
class FixedCellHeader : public QHeaderView {
    Q_OBJECT
public:
    FixedCellHeader(Qt::Orientation orientation, QFont font, QWidget* parent);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QFont font_;
};

// Paints `text` as a fixed cell on the table's top-left corner, where the
// heading row meets the row-number column.
void SetCornerText(QTableView& table, const QString& text, const QFont& font);

// Fills a fixed cell: background, its two grid lines and centred text.
void PaintFixedCell(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                    const QPalette& palette);

}  // namespace korvalen::wizard
