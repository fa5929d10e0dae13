// The hourglass while a long action runs; the normal cursor comes back when
// the action ends, also when an error interrupts it.
#pragma once

#include <QApplication>

namespace korvalen::shell {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { Restore(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Back to the normal cursor before the end of the scope.
    void Restore() {
        if (!active_) return;
        active_ = false;
        QApplication::restoreOverrideCursor();
    }

private:
    bool active_ = true;
};

}  // namespace korvalen::shell
