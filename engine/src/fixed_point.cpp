#include "korvalen/engine/fixed_point.h"

#include <cmath>
#include <limits>
#include <string>

#include "extended_precision.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {

FixedRate RateToFixed(double percent) {
    // llrintl rounds in the current mode, which this program never leaves:
    // to nearest, ties to even.
    const Extended scaled = static_cast<Extended>(percent) * 10000.0L;
    // Beyond a thousand percent no rate is meaningful, and far beyond it the
    // integer conversion would be undefined.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 1.0e15L) {
        throw ConversionError("利率の値が大きすぎます。");
    }
    return static_cast<FixedRate>(std::llrintl(scaled));
}

double FixedToPercent(FixedRate rate) { return static_cast<double>(static_cast<Extended>(rate) / 10000.0L); }

std::int64_t RoundYen(Money value) { return value >= 0 ? (value + 5000) / kFixedOne : (value - 5000) / kFixedOne; }

FixedDays DayCountFixed(double earlier, double later) {
    // Whole day numbers, the only kind this system has, subtract exactly in
    // any precision and need no rounding, which would cost a library call
    // per period. Anything else is rounded in extended precision.
    constexpr double kWholeLimit = 1099511627776.0;  // 2^40 days
    if (std::fabs(earlier) < kWholeLimit && std::fabs(later) < kWholeLimit) {
        const auto from = static_cast<std::int64_t>(earlier);
        const auto to = static_cast<std::int64_t>(later);
        if (static_cast<double>(from) == earlier && static_cast<double>(to) == later) return (to - from) * kFixedOne;
    }
    const Extended days = static_cast<Extended>(later) - static_cast<Extended>(earlier);
    return static_cast<FixedDays>(std::llrintl(days * 10000.0L));
}

FixedRate LimitRateFor(std::int64_t yen) {
    if (yen < 100000) return 200000;
    if (yen < 1000000) return 180000;
    return 150000;
}

std::int32_t CheckedYen32(std::int64_t yen, const char* what) {
    if (yen < std::numeric_limits<std::int32_t>::min() || yen > std::numeric_limits<std::int32_t>::max()) {
        throw CalculationOverflow(std::string(what) +
                                  "が扱える金額の範囲（±2,147,483,647円）を超えました。計算できません。");
    }
    return static_cast<std::int32_t>(yen);
}

}  // namespace korvalen::engine
