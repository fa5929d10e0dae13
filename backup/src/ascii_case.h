// Letter case of the ASCII letters alone, for extensions and library file
// names: other bytes of a UTF-8 name are left as they are.
#pragma once

#include <string>

namespace korvalen::backup {

inline std::string LowerAscii(std::string text) {
    for (char& ch : text) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return text;
}

}  // namespace korvalen::backup
