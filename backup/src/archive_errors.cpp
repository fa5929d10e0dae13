#include "korvalen/backup/archive_errors.h"

#include <vector>

namespace korvalen::backup {

std::string FormatMessageText(std::string_view format, std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> values(args);
    std::string out;
    out.reserve(format.size() + 64);
    for (std::size_t i = 0; i < format.size(); ++i) {
        // "%N:s" with a single digit N is all the messages use.
        if (format[i] == '%' && i + 3 < format.size() && format[i + 1] >= '0' && format[i + 1] <= '9' &&
            format[i + 2] == ':' && format[i + 3] == 's') {
            const auto index = static_cast<std::size_t>(format[i + 1] - '0');
            if (index < values.size()) out += values[index];
            i += 3;
            continue;
        }
        out += format[i];
    }
    return out;
}

}  // namespace korvalen::backup
