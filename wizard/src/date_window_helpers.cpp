#include "date_window_helpers.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "korvalen/engine/eras.h"
#include "qt_text.h"

namespace korvalen::wizard {

QString EraYearInParentheses(engine::DayNumber day) {
    const auto era = engine::JapaneseEraDateOf(day);
    if (!era) return {};
    return QStringLiteral("（%1%2年）").arg(QStringOf(era->eraName)).arg(era->eraYear, 2, 10, QLatin1Char('0'));
}

void PlaceWindowAt(QWidget* window, int x, int y) {
    window->adjustSize();
    QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        const QSize size = window->frameGeometry().size();
        x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
        y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    }
    window->move(x, y);
}

}  // namespace korvalen::wizard
