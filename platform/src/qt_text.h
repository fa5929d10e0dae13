#ifndef KORVALEN_PLATFORM_QT_TEXT_H
#define KORVALEN_PLATFORM_QT_TEXT_H

// Conversions between the UTF-8 text of the public interface and Qt's.

#include <QString>
#include <string>
#include <string_view>

namespace korvalen::platform::detail {

inline QString ToQ(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQ(const QString& text) { return text.toStdString(); }

}  // namespace korvalen::platform::detail

#endif
