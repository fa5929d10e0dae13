// The program's icon, built into the program (the desktop entry uses the
// same picture from the program folder).
#pragma once

#include <QIcon>

namespace korvalen::shell {

QIcon ProgramIcon();

}  // namespace korvalen::shell
