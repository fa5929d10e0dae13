#include "grid_drawing.h"

#include <QAbstractButton>
#include <QEvent>
#include <QItemSelectionModel>
#include <QPainter>

#include "korvalen/printing/fonts.h"

namespace korvalen::wizard {
namespace {

// Draws the table's corner as a fixed cell, in place of the empty button Qt
// puts there.
class CornerPainter : public QObject {
public:
    CornerPainter(QWidget* corner, QString text, QFont font)
        : QObject(corner), corner_(corner), text_(std::move(text)), font_(std::move(font)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != corner_ || event->type() != QEvent::Paint) return false;
        QPainter painter(corner_);
        PaintFixedCell(painter, corner_->rect(), text_, font_, corner_->palette());
        return true;
    }

private:
    QWidget* corner_;
    QString text_;
    QFont font_;
};

// Selected cells are drawn black on white like the others; a frame in the
// highlight colour around the selected block shows what a copy would take.
void DrawSelectionFrame(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (view == nullptr || view->selectionModel() == nullptr) return;
    const QItemSelectionModel& selection = *view->selectionModel();
    const auto selected = [&](int row, int column) {
        const QModelIndex other = index.model()->index(row, column);
        return other.isValid() && selection.isSelected(other);
    };
    const QRect r = option.rect.adjusted(0, 0, -1, -1);
    painter.setPen(QPen(option.palette.color(QPalette::Highlight), 1));
    const int row = index.row();
    const int column = index.column();
    if (!selected(row - 1, column)) painter.drawLine(r.topLeft(), r.topRight());
    if (!selected(row + 1, column)) painter.drawLine(r.bottomLeft(), r.bottomRight());
    if (!selected(row, column - 1)) painter.drawLine(r.topLeft(), r.bottomLeft());
    if (!selected(row, column + 1)) painter.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace

QFont GridFont(int pixelSize) {
    QFont font(QString::fromUtf8(printing::kMsPGothic));
    font.setPixelSize(pixelSize);
    return font;
}

void DrawCellText(QPainter& painter, const QRect& cell, const QString& text, Qt::Alignment alignment) {
    if (text.isEmpty()) return;
    const QFontMetrics metrics(painter.font());
    const int width = metrics.horizontalAdvance(text);
    int x = cell.left() + kCellMargin;
    if (alignment & Qt::AlignRight) {
        x = cell.right() + 1 - kCellMargin - width;
    } else if (alignment & Qt::AlignHCenter) {
        x = cell.left() + (cell.width() - width) / 2;
    }
    if (width > cell.width() || x < cell.left()) x = cell.left();
    const int baseline = cell.top() + (cell.height() - metrics.height()) / 2 + metrics.ascent();
    painter.save();
    painter.setClipRect(cell);
    painter.drawText(x, baseline, text);
    painter.restore();
}

void PaintFixedCell(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                    const QPalette& palette) {
    painter.save();
    painter.fillRect(rect, palette.color(QPalette::Active, QPalette::Button));
    painter.setPen(palette.color(QPalette::Active, QPalette::Mid));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.setPen(Qt::black);
    painter.setFont(font);
    DrawCellText(painter, rect.adjusted(0, 0, -1, -1), text, Qt::AlignHCenter);
    painter.restore();
}

GridCellDelegate::GridCellDelegate(QFont font, AlignmentOf alignment, QObject* parent)
    : QStyledItemDelegate(parent), font_(std::move(font)), alignment_(std::move(alignment)) {}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    painter->save();
    painter->fillRect(option.rect, Qt::white);
    painter->setPen(Qt::black);
    painter->setFont(font_);
    DrawCellText(*painter, option.rect, index.data(Qt::DisplayRole).toString(), alignment_(index.column()));
    if (option.state & QStyle::State_Selected) DrawSelectionFrame(*painter, option, index);
    if (option.state & QStyle::State_HasFocus) {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        painter->setPen(dotted);
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

FixedCellHeader::FixedCellHeader(Qt::Orientation orientation, QFont font, QWidget* parent)
    : QHeaderView(orientation, parent), font_(std::move(font)) {
    setFont(font_);
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
}

void FixedCellHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) return;
    const QString text = model() != nullptr ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    PaintFixedCell(*painter, rect, text, font_, palette());
}

void SetCornerText(QTableView& table, const QString& text, const QFont& font) {
    auto* corner = table.findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner == nullptr) return;
    corner->setEnabled(false);
    corner->installEventFilter(new CornerPainter(corner, text, font));
}

}  // namespace korvalen::wizard
