// Small pieces the windows that take dates share: day numbers as QDate, and
// placing a dialog at a given screen position without losing it off the
// screen.
#pragma once

#include <QDate>
#include <QString>

#include "korvalen/engine/dates.h"

class QWidget;

namespace korvalen::wizard {

inline QDate QDateOfDay(engine::DayNumber day) { return QDate(1899, 12, 30).addDays(static_cast<qint64>(day)); }
inline engine::DayNumber DayOfQDate(const QDate& date) {
    return static_cast<engine::DayNumber>(QDate(1899, 12, 30).daysTo(date));
}

// "（令和06年）": the era of `day` and its year of the era, in full-width
// parentheses; empty for a day before the first era.
QString EraYearInParentheses(engine::DayNumber day);

// Moves the window's frame to (x, y), pulled back inside the screen that
// holds that point so a position near an edge still shows the whole window.
void PlaceWindowAt(QWidget* window, int x, int y);

}  // namespace korvalen::wizard
