// The calendar of the date input: a month grid with Japanese labels, today
// marked, chosen by mouse (double click) or keyboard (arrows, PageUp and
// PageDown for the months, Enter).
#pragma once

#include <QDialog>
#include <string>

#include "korvalen/engine/dates.h"

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace korvalen::wizard {

class TCalendarF : public QDialog {
    Q_OBJECT
public:
    // Opens showing the month of `selected` with that day selected.
    TCalendarF(engine::DayNumber today, engine::DayNumber selected, QWidget* parent = nullptr);

    // "yyyymmdd" once chosen, else empty.
    const std::string& Result() const { return result_; }

private:
    void Choose();
    void ShowPage(int year, int month);
    void ShowSelection();

    engine::DayNumber today_;
    QCalendarWidget* calendar_;
    QLabel* monthLabel_;
    QLabel* selectionLabel_;
    std::string result_;
};

}  // namespace korvalen::wizard
