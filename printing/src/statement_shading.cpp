#include "korvalen/printing/statement_shading.h"

#include <QColor>

namespace korvalen::printing {

QImage ShadingTile() {
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(Qt::white);
    // Rows and columns counted from 0 here.
    for (int row : {0, 4}) {
        for (int column : {0, 4}) tile.setPixel(column, row, qRgb(0, 0, 0));
    }
    for (int row : {1, 5}) {
        for (int column : {2, 6}) tile.setPixel(column, row, qRgb(0, 0, 0));
    }
    return tile;
}

const QBrush& ShadingBrush() {
    static const QBrush brush(ShadingTile());
    return brush;
}

}  // namespace korvalen::printing
