// korvalen-db print: the calculation statement of a stored case as a PDF
// file, without a window.
#pragma once

#include <ostream>

#include "commands.h"

namespace korvalen::dbtool {

int Print(const Arguments& args, std::ostream& out);

}  // namespace korvalen::dbtool
