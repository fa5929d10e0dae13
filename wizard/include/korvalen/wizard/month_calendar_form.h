// The year-month calendar of the date input: a year with its twelve
// months, for entries that need no day.
#pragma once

#include <QDialog>
#include <QList>
#include <string>

class QLabel;
class QPushButton;

namespace korvalen::wizard {

class TMonCalendarF : public QDialog {
    Q_OBJECT
public:
    // Opens on `year` with `month` focused; the current month is marked.
    TMonCalendarF(int year, int month, int currentYear, int currentMonth, QWidget* parent = nullptr);

    // "yyyymm" once chosen, else empty.
    const std::string& Result() const { return result_; }
    int YearShown() const { return year_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowYear(int year);
    void Choose(int month);
    void FocusMonth(int month);

    int year_;
    int currentYear_;
    int currentMonth_;
    QLabel* yearLabel_;
    QList<QPushButton*> months_;
    std::string result_;
};

}  // namespace korvalen::wizard
