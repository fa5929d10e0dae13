#include "korvalen/platform/clock.h"

#include <QDate>
#include <stdexcept>

namespace korvalen::platform {

std::int32_t DayNumberOf(int year, int month, int day) {
    if (!QDate::isValid(year, month, day)) {
        throw std::invalid_argument("no such date");
    }
    return static_cast<std::int32_t>(QDate(1899, 12, 30).daysTo(QDate(year, month, day)));
}

std::int32_t SystemClock::Today() const {
    const QDate today = QDate::currentDate();
    return DayNumberOf(today.year(), today.month(), today.day());
}

}  // namespace korvalen::platform
