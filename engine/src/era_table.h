// The Japanese eras the engine shows, asked of ICU once per process.
#pragma once

#include <string>
#include <vector>

#include "korvalen/engine/dates.h"

namespace korvalen::engine {

struct EraStart {
    DayNumber firstDay;
    int firstGregorianYear;
    std::string name;            // full name, UTF-8: 平成
    std::string firstCharacter;  // what the result tables show of it: 平
};

// Oldest first, from 明治 onwards.
const std::vector<EraStart>& EraStarts();

// The era a day falls in; nothing before the first one.
const EraStart* EraOf(DayNumber day);

}  // namespace korvalen::engine
