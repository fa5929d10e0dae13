// Errors the engine raises. Each carries the Japanese text the user is shown.
#pragma once

#include <string>

#include "korvalen/base/user_error.h"

namespace korvalen::engine {

// Base of every engine error; what() is the user-facing Japanese message.
class CalculationError : public base::UserError {
public:
    using base::UserError::UserError;
};

// A text that cannot become a number (an amount beyond the 32-bit range,
// a rate beyond what the fixed-point form holds).
class ConversionError : public CalculationError {
public:
    using CalculationError::CalculationError;
};

// A computed figure that no longer fits the width the case model gives it.
// Raised instead of letting the figure wrap into a wrong yen.
class CalculationOverflow : public CalculationError {
public:
    using CalculationError::CalculationError;
};

// A case setting outside its defined values (for example a day-count
// method other than 0 to 5 read from a damaged table).
class InvalidCaseSetting : public CalculationError {
public:
    using CalculationError::CalculationError;
};

}  // namespace korvalen::engine
