// Windows of one fixed size.
#pragma once

#include <QWidget>

namespace korvalen::wizard {

// Gives `window` its one size and a frame that offers only closing, as a
// dialog's frame does: minimise and maximise buttons on a window that cannot
// change its size would only puzzle. Call before the window is shown.
inline void FixWindowSize(QWidget& window, int width, int height) {
    window.setWindowFlags((window.windowFlags() & Qt::WindowType_Mask) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window.setFixedSize(width, height);
}

}  // namespace korvalen::wizard
