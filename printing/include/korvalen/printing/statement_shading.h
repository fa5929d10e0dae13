// The dot pattern of the statement's shaded cells: an 8 × 8 tile of device
// pixels, light but for two dark pixels in each of rows 1, 2, 5 and 6
// (counting from 1) — columns 1 and 5 in rows 1 and 5, columns 3 and 7 in
// rows 2 and 6. Dark is the text colour, light the background.
#pragma once

#include <QBrush>
#include <QImage>

namespace korvalen::printing {

QImage ShadingTile();
// A texture brush of the tile, anchored to the device's origin.
const QBrush& ShadingBrush();

}  // namespace korvalen::printing
