#include "korvalen/backup/cmd_opt.h"

#include <QFile>
#include <string>

#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/paths.h"

namespace korvalen::backup {

std::string QuoteValue(std::string_view value) {
    if (value.find_first_of(std::string_view("\"\r\n\0", 4)) != std::string_view::npos) {
        std::string shown(value);
        for (char& ch : shown) {
            if (ch == '\r' || ch == '\n' || ch == '\0') ch = ' ';
        }
        throw EArchiver(FormatMessageText(messages::kUnsafeName, {shown}));
    }
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

void TCmdOpt::Append(std::string_view token) {
    text_ += ' ';
    text_ += token;
}

void TCmdOpt::AddToken(std::string_view token) { Append(token); }

void TCmdOpt::AddSwitch(std::string_view name, TSwitch value) {
    if (value < 0) return;
    std::string token = "-";
    token += name;
    token += std::to_string(value);
    Append(token);
}

void TCmdOpt::AddNamedText(std::string_view name, std::string_view value) {
    if (value.empty()) return;
    std::string switchText;
    if (!name.empty() && name.front() == ' ') {
        switchText = name.substr(1);
    } else {
        switchText = "-";
        switchText += name;
    }
    if (SeparateValues) {
        Append(switchText);
        Append(QuoteValue(value));
    } else {
        Append(QuoteValue(switchText + std::string(value)));
    }
}

void TCmdOpt::AddText(std::string_view value) { Append(QuoteValue(value)); }

void TCmdOpt::AddFolder(std::string_view value) {
    if (value.empty()) return;
    AddText(platform::WithTrailingSeparator(std::string(value)));
}

void TCmdOpt::AddNamedFolder(std::string_view name, std::string_view value) {
    if (value.empty()) return;
    AddNamedText(name, platform::WithTrailingSeparator(std::string(value)));
}

void TCmdOpt::AddFileName(const std::string& name) { AddText(ConvertFileName ? ConvertFileName(name) : name); }

void TCmdOpt::AddResponseFile(const std::string& path, const std::vector<std::string>& names) {
    std::string content;
    for (const auto& name : names) {
        content += QuoteValue(name);
        content += "\r\n";
    }
    QFile file(ToQString(path));
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(content.data(), static_cast<qint64>(content.size())) == static_cast<qint64>(content.size()) &&
        file.flush();
    file.close();
    if (!written) throw EArchiver(FormatMessageText(messages::kResponseFileFailed, {path}));
    AddText("@" + path);
}

}  // namespace korvalen::backup
