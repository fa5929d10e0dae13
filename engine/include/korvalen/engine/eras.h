// Japanese eras as ICU's Japanese calendar reports them.
#pragma once

#include <optional>
#include <string>

#include "korvalen/engine/dates.h"

namespace korvalen::engine {

struct EraDate {
    std::string eraName;  // full name, UTF-8: 平成
    int eraYear;          // 1 in the year the era began
    int month;
    int day;
};

// The era date of a day from 明治 onwards, the eras the desktop's own
// calendar offers. Nothing for an earlier day: callers then show the
// Western date, which is what a reader can still check.
std::optional<EraDate> JapaneseEraDateOf(DayNumber day);

}  // namespace korvalen::engine
