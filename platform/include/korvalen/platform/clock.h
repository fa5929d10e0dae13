#ifndef KORVALEN_PLATFORM_CLOCK_H
#define KORVALEN_PLATFORM_CLOCK_H

#include <cstdint>

namespace korvalen::platform {

// Dates are whole days counted from 30 December 1899 (day 0).
std::int32_t DayNumberOf(int year, int month, int day);

// Today's date; code that records a date takes a Clock so tests can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int32_t Today() const = 0;
};

// The local date of this PC.
class SystemClock final : public Clock {
public:
    std::int32_t Today() const override;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(std::int32_t day) : day_(day) {}
    void Set(std::int32_t day) { day_ = day; }
    std::int32_t Today() const override { return day_; }

private:
    std::int32_t day_;
};

}  // namespace korvalen::platform

#endif
