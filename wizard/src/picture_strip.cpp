#include "picture_strip.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace korvalen::wizard {

PictureStrip::PictureStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Image1"));
    setAccessibleName(QStringLiteral("引直計算の入力ウイザードの絵"));
}

void PictureStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();

    QLinearGradient ground(area.topLeft(), area.bottomLeft());
    ground.setColorAt(0.0, QColor(16, 42, 96));
    ground.setColorAt(1.0, QColor(40, 110, 150));
    painter.fillRect(area, ground);

    // Two sheets, the back one turned a little, the front one ruled.
    const qreal w = area.width();
    const QRectF sheet(w * 0.16, area.height() * 0.22, w * 0.68, w * 0.9);
    painter.save();
    painter.translate(sheet.center());
    painter.rotate(-7);
    painter.translate(-sheet.center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(190, 205, 225));
    painter.drawRect(sheet.translated(-w * 0.05, -w * 0.04));
    painter.restore();

    painter.setPen(QPen(QColor(120, 130, 150), 1));
    painter.setBrush(QColor(250, 250, 244));
    painter.drawRect(sheet);
    const qreal rowHeight = sheet.height() / 9;
    painter.setPen(QPen(QColor(150, 170, 200), 1));
    for (int i = 1; i < 9; ++i) {
        const qreal y = sheet.top() + i * rowHeight;
        painter.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
    }
    painter.drawLine(QPointF(sheet.left() + sheet.width() * 0.38, sheet.top() + rowHeight),
                     QPointF(sheet.left() + sheet.width() * 0.38, sheet.bottom() - 4));
    // A falling line of figures, the balance as the recalculation lowers it.
    painter.setPen(QPen(QColor(200, 60, 50), 2));
    QPainterPath fall;
    fall.moveTo(sheet.left() + sheet.width() * 0.45, sheet.top() + rowHeight * 2);
    fall.lineTo(sheet.left() + sheet.width() * 0.6, sheet.top() + rowHeight * 4.2);
    fall.lineTo(sheet.left() + sheet.width() * 0.72, sheet.top() + rowHeight * 5);
    fall.lineTo(sheet.left() + sheet.width() * 0.9, sheet.top() + rowHeight * 8);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(fall);

    // The yen sign below the sheet.
    QFont font = painter.font();
    font.setPixelSize(static_cast<int>(w * 0.42));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255, 210));
    const QRectF below(0, sheet.bottom() + w * 0.12, w, w * 0.6);
    painter.drawText(below, Qt::AlignCenter, QStringLiteral("¥"));
}

}  // namespace korvalen::wizard
