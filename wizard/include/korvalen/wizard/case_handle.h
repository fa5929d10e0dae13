// The record the main window keeps per case in its list and hands to the
// input wizard as the case's handle. It lives with the wizard, the lowest
// of the two windows that speak of it.
#pragma once

#include <cstdint>

namespace korvalen::wizard {

struct T_SAIKEN_DATA_REC_NINI {
    std::int32_t SEQ = 0;      // the case number
    std::int32_t balance = 0;  // always 0; what a save writes into NOW_ZAN
};

}  // namespace korvalen::wizard
