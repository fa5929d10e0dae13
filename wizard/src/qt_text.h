// The engine's and the storage's UTF-8 texts as Qt text.
#pragma once

#include <QString>
#include <string_view>

namespace korvalen::wizard {

inline QString QStringOf(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace korvalen::wizard
