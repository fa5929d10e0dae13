// Texts against the widths of their columns, measured in Shift-JIS (CP932)
// bytes as the tables measure them.
#pragma once

#include <string>
#include <string_view>

namespace korvalen::storage {

// Refuses, with a tablestore::DataError the error handler shows unchanged,
// a text that does not fit a column of maxBytes or holds a character
// Shift-JIS cannot store. `caption` names the field as the user knows it.
// Called before a change starts, so a refused text leaves the tables as
// they were.
void CheckTextFits(std::string_view caption, std::string_view text, int maxBytes);

// The longest start of a text that fits maxBytes, cut between characters;
// a character Shift-JIS lacks becomes "?". For facts about the machine
// (its name, its owner), which must not stop the program from starting.
std::string FitCp932(std::string_view text, int maxBytes);

}  // namespace korvalen::storage
