// A page image of the preview: white, of the given size, and carrying the
// resolution it is drawn at, so a copy on the clipboard or in a file keeps
// the page's size in inches.
#pragma once

#include <QImage>
#include <QtGlobal>

namespace korvalen::printing {

inline QImage WhitePageImage(int width, int height, int dpi) {
    // QImage keeps its resolution in dots per metre.
    const int dotsPerMetre = qRound(dpi / 0.0254);
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    return image;
}

}  // namespace korvalen::printing
