#include "korvalen/wizard/dialog_keys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace korvalen::wizard {

namespace {

void ClickIfAvailable(QAbstractButton* button) {
    if (button != nullptr && button->isEnabled() && button->isVisible()) button->click();
}

bool TakesTabFocus(const QWidget* widget, const QWidget* window) {
    return widget->window() == window && (widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() &&
           widget->isVisible() && widget->focusProxy() == nullptr;
}

// The control Tab (or Shift+Tab) would reach from the focused one.
void MoveFocus(QWidget* window, bool forward) {
    QWidget* from = window->focusWidget();
    if (from == nullptr) from = window;
    QWidget* candidate = from;
    do {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (TakesTabFocus(candidate, window)) {
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    } while (candidate != from);
}

}  // namespace

DialogKeys::DialogKeys(QWidget* dialog) : QObject(dialog), dialog_(dialog) {
    // The application sees a key before the focused control does; that is
    // the only place a dialog can act on Enter ahead of an edit or a button.
    qApp->installEventFilter(this);
}

DialogKeys::~DialogKeys() {
    if (qApp != nullptr) qApp->removeEventFilter(this);
}

void DialogKeys::KeepEnterIn(QWidget* widget) { keepEnter_.append(widget); }

bool DialogKeys::Handles(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && widget->window() == dialog_->window();
}

bool DialogKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !Handles(watched)) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            if (!enterMovesFocus_ || modifiers != Qt::NoModifier) return false;
            for (const auto& keep : keepEnter_) {
                if (keep != nullptr && (keep == watched || keep->isAncestorOf(qobject_cast<QWidget*>(watched)))) {
                    return false;
                }
            }
            MoveFocus(dialog_->window(), true);
            return true;
        }
        case Qt::Key_Down:
        case Qt::Key_Up:
            if (!arrowsMoveFocus_ || modifiers != Qt::NoModifier) return false;
            MoveFocus(dialog_->window(), key->key() == Qt::Key_Down);
            return true;
        case Qt::Key_F1:
            if (closeButton_ == nullptr) return false;
            ClickIfAvailable(closeButton_);
            return true;
        case Qt::Key_F3:
            if (saveButton_ == nullptr) return false;
            ClickIfAvailable(saveButton_);
            return true;
        case Qt::Key_P:
            if (!printWindow_ || modifiers != Qt::ControlModifier) return false;
            printWindow_();
            return true;
        default: return false;
    }
}

}  // namespace korvalen::wizard
