#include "korvalen/wizard/month_calendar_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "date_window_helpers.h"
#include "korvalen/wizard/date_digits.h"

namespace korvalen::wizard {
namespace {

constexpr int kColumns = 4;

}  // namespace

TMonCalendarF::TMonCalendarF(int year, int month, int currentYear, int currentMonth, QWidget* parent)
    : QDialog(parent), year_(year), currentYear_(currentYear), currentMonth_(currentMonth) {
    setWindowTitle(QStringLiteral("年月の選択"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setObjectName(QStringLiteral("MonCalendarF"));

    auto* previous = new QToolButton(this);
    previous->setObjectName(QStringLiteral("PrevYearBtn"));
    previous->setText(QStringLiteral("◀"));
    previous->setToolTip(QStringLiteral("前の年（PageUp）"));
    previous->setAccessibleName(QStringLiteral("前の年"));
    auto* next = new QToolButton(this);
    next->setObjectName(QStringLiteral("NextYearBtn"));
    next->setText(QStringLiteral("▶"));
    next->setToolTip(QStringLiteral("次の年（PageDown）"));
    next->setAccessibleName(QStringLiteral("次の年"));
    yearLabel_ = new QLabel(this);
    yearLabel_->setObjectName(QStringLiteral("YearLabel"));
    yearLabel_->setAlignment(Qt::AlignCenter);
    QFont heading = yearLabel_->font();
    heading.setBold(true);
    yearLabel_->setFont(heading);

    auto* grid = new QGridLayout;
    for (int m = 1; m <= 12; ++m) {
        auto* button = new QPushButton(QStringLiteral("%1月").arg(m), this);
        button->setObjectName(QStringLiteral("Month%1Btn").arg(m));
        button->setAutoDefault(false);
        button->setMinimumSize(56, 32);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, m] { Choose(m); });
        grid->addWidget(button, (m - 1) / kColumns, (m - 1) % kColumns);
        months_.append(button);
    }
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(previous, &QToolButton::clicked, this, [this] { ShowYear(year_ - 1); });
    connect(next, &QToolButton::clicked, this, [this] { ShowYear(year_ + 1); });

    auto* navigation = new QHBoxLayout;
    navigation->addWidget(previous);
    navigation->addWidget(yearLabel_, 1);
    navigation->addWidget(next);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(navigation);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ShowYear(year);
    FocusMonth(month);
}

void TMonCalendarF::ShowYear(int year) {
    year_ = std::clamp(year, kFirstInputYear, kLastInputYear);
    yearLabel_->setText(QStringLiteral("%1年").arg(year_) +
                        EraYearInParentheses(engine::DayNumberFromCivil(year_, 12, 31)));
    for (int m = 1; m <= 12; ++m) {
        QPushButton* button = months_[m - 1];
        const bool current = year_ == currentYear_ && m == currentMonth_;
        QFont font = button->font();
        font.setBold(current);
        button->setFont(font);
        button->setToolTip(current ? QStringLiteral("今月") : QString());
        button->setAccessibleName(QStringLiteral("%1年%2月").arg(year_).arg(m) +
                                  (current ? QStringLiteral("（今月）") : QString()));
    }
}

void TMonCalendarF::FocusMonth(int month) { months_[std::clamp(month, 1, 12) - 1]->setFocus(); }

void TMonCalendarF::Choose(int month) {
    result_ = MonthDigitsOf(year_, month);
    accept();
}

bool TMonCalendarF::eventFilter(QObject* watched, QEvent* event) {
    const int index = months_.indexOf(qobject_cast<QPushButton*>(watched));
    if (index < 0 || event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const int month = index + 1;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left: FocusMonth(month == 1 ? 1 : month - 1); return true;
        case Qt::Key_Right: FocusMonth(month == 12 ? 12 : month + 1); return true;
        case Qt::Key_Up: FocusMonth(month > kColumns ? month - kColumns : month); return true;
        case Qt::Key_Down: FocusMonth(month + kColumns <= 12 ? month + kColumns : month); return true;
        case Qt::Key_PageUp: ShowYear(year_ - 1); return true;
        case Qt::Key_PageDown: ShowYear(year_ + 1); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: Choose(month); return true;
        default: return QDialog::eventFilter(watched, event);
    }
}

}  // namespace korvalen::wizard
