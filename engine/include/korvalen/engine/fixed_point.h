// Fixed-point money, rates and day counts, the rounding helpers and the
// statutory limit-rate table.
#pragma once

#include <cstdint>

namespace korvalen::engine {

// Money inside the calculation: yen × 10,000.
using Money = std::int64_t;
// An annual rate: percent × 10,000 (29.2 % is 292,000).
using FixedRate = std::int64_t;
// A day count handed to the interest function: days × 10,000.
using FixedDays = std::int64_t;

inline constexpr std::int64_t kFixedOne = 10000;

// Percent (double) → fixed point, to nearest with ties to even.
// Throws ConversionError when the rate is not finite or too large to hold.
FixedRate RateToFixed(double percent);
// Fixed point → percent as the case header and the tables hold it.
double FixedToPercent(FixedRate rate);

constexpr Money YenToMoney(std::int64_t yen) { return yen * kFixedOne; }

// Whole yen, halves away from zero (used where figures are printed).
std::int64_t RoundYen(Money value);
// Whole yen, toward zero: how a money value becomes yen inside the calculation.
constexpr std::int64_t TruncYen(Money value) { return value / kFixedOne; }

// Fixed-point day count of the period between two day numbers.
FixedDays DayCountFixed(double earlier, double later);

// The limit rate of the Interest Rate Restriction Act for a principal in
// whole yen: 20 % under 100,000, 18 % under 1,000,000, 15 % from there on.
FixedRate LimitRateFor(std::int64_t yen);

// Whole yen as the 32-bit amounts of the case model hold them; throws
// CalculationOverflow (naming `what`) instead of wrapping.
std::int32_t CheckedYen32(std::int64_t yen, const char* what);

}  // namespace korvalen::engine
