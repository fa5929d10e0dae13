#include "korvalen/wizard/calendar_form.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "date_window_helpers.h"
#include "korvalen/wizard/date_digits.h"
#include "qt_text.h"

namespace korvalen::wizard {
namespace {

QString MonthHeading(int year, int month) {
    return QStringLiteral("%1年%2月").arg(year).arg(month, 2, 10, QLatin1Char('0')) +
           EraYearInParentheses(engine::DayNumberFromCivil(year, month, 1));
}

}  // namespace

TCalendarF::TCalendarF(engine::DayNumber today, engine::DayNumber selected, QWidget* parent)
    : QDialog(parent), today_(today) {
    setWindowTitle(QStringLiteral("カレンダー"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setObjectName(QStringLiteral("CalendarF"));

    auto* previous = new QToolButton(this);
    previous->setObjectName(QStringLiteral("PrevMonthBtn"));
    previous->setText(QStringLiteral("◀"));
    previous->setToolTip(QStringLiteral("前の月（PageUp）"));
    previous->setAccessibleName(QStringLiteral("前の月"));
    auto* next = new QToolButton(this);
    next->setObjectName(QStringLiteral("NextMonthBtn"));
    next->setText(QStringLiteral("▶"));
    next->setToolTip(QStringLiteral("次の月（PageDown）"));
    next->setAccessibleName(QStringLiteral("次の月"));
    monthLabel_ = new QLabel(this);
    monthLabel_->setObjectName(QStringLiteral("MonthLabel"));
    monthLabel_->setAlignment(Qt::AlignCenter);
    QFont heading = monthLabel_->font();
    heading.setBold(true);
    monthLabel_->setFont(heading);

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("Calendar"));
    calendar_->setAccessibleName(QStringLiteral("カレンダー"));
    calendar_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setNavigationBarVisible(false);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    calendar_->setGridVisible(true);
    calendar_->setDateRange(QDate(kFirstInputYear, 1, 1), QDate(kLastInputYear, 12, 31));
    QTextCharFormat sunday;
    sunday.setForeground(QColor(200, 0, 0));
    calendar_->setWeekdayTextFormat(Qt::Sunday, sunday);
    QTextCharFormat saturday;
    saturday.setForeground(QColor(0, 0, 200));
    calendar_->setWeekdayTextFormat(Qt::Saturday, saturday);
    QTextCharFormat todayFormat;
    todayFormat.setBackground(QColor(255, 224, 140));
    todayFormat.setFontWeight(QFont::Bold);
    todayFormat.setToolTip(QStringLiteral("今日"));
    calendar_->setDateTextFormat(QDateOfDay(today), todayFormat);
    calendar_->setMinimumSize(320, 200);
    // The focus and the screen reader's cursor rest on the grid of days
    // inside, which Qt leaves unnamed.
    if (auto* days = calendar_->findChild<QAbstractItemView*>()) days->setAccessibleName(calendar_->accessibleName());

    selectionLabel_ = new QLabel(this);
    selectionLabel_->setObjectName(QStringLiteral("SelectionLabel"));
    selectionLabel_->setAlignment(Qt::AlignCenter);

    auto* todayButton = new QPushButton(QStringLiteral("今日(&T)"), this);
    todayButton->setObjectName(QStringLiteral("TodayBtn"));
    todayButton->setToolTip(QStringLiteral("今日の日付を選びます"));
    todayButton->setAutoDefault(false);
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OkBtn"));
    okButton->setAutoDefault(false);
    auto* cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    cancelButton->setAutoDefault(false);

    auto* navigation = new QHBoxLayout;
    navigation->addWidget(previous);
    navigation->addWidget(monthLabel_, 1);
    navigation->addWidget(next);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(todayButton);
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(navigation);
    layout->addWidget(calendar_);
    layout->addWidget(selectionLabel_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(previous, &QToolButton::clicked, calendar_, &QCalendarWidget::showPreviousMonth);
    connect(next, &QToolButton::clicked, calendar_, &QCalendarWidget::showNextMonth);
    connect(calendar_, &QCalendarWidget::currentPageChanged, this, &TCalendarF::ShowPage);
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &TCalendarF::ShowSelection);
    connect(calendar_, &QCalendarWidget::activated, this, &TCalendarF::Choose);
    connect(todayButton, &QPushButton::clicked, this, [this] { calendar_->setSelectedDate(QDateOfDay(today_)); });
    connect(okButton, &QPushButton::clicked, this, &TCalendarF::Choose);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    const QDate open = QDateOfDay(selected);
    calendar_->setSelectedDate(open);
    calendar_->setCurrentPage(open.year(), open.month());
    ShowPage(calendar_->yearShown(), calendar_->monthShown());
    ShowSelection();
    calendar_->setFocus();
}

void TCalendarF::ShowPage(int year, int month) {
    monthLabel_->setText(MonthHeading(year, month));
    // What OK takes stays on the page shown: turning the page carries the
    // selected day along.
    const QDate selected = calendar_->selectedDate();
    if (selected.year() != year || selected.month() != month) {
        const QDate first(year, month, 1);
        calendar_->setSelectedDate(first.addDays(std::min(selected.day(), first.daysInMonth()) - 1));
    }
}

void TCalendarF::ShowSelection() {
    selectionLabel_->setText(QStringOf(LongFormsOf(DayOfQDate(calendar_->selectedDate()), true)));
}

void TCalendarF::Choose() {
    result_ = DateDigitsOf(DayOfQDate(calendar_->selectedDate()));
    accept();
}

}  // namespace korvalen::wizard
