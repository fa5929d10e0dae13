#include "korvalen/platform/profile_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <optional>
#include <stdexcept>

#include "korvalen/base/cp932.h"
#include "korvalen/platform/errors.h"
#include "qt_text.h"

namespace korvalen::platform {

using detail::FromQ;
using detail::ToQ;

namespace {

struct ProfileText {
    QStringList lines;
    bool crlf = false;
};

// UTF-8 (after a byte-order mark, nothing else), else Shift-JIS; nothing
// for bytes that are neither, which are never guessed at.
std::optional<QString> Decode(const QByteArray& bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const bool bom = text.starts_with(kBom);
    if (bom) {
        text.remove_prefix(kBom.size());
    }
    if (base::IsValidUtf8(text)) {
        return ToQ(text);
    }
    if (bom) {
        return std::nullopt;
    }
    const auto decoded = base::Cp932ToUtf8(text);
    return decoded ? std::optional<QString>(ToQ(*decoded)) : std::nullopt;
}

// Nothing when the file does not exist or cannot be read.
std::optional<ProfileText> Load(const std::string& file) {
    QFile in(ToQ(file));
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    ProfileText profile;
    const std::optional<QString> decoded = Decode(in.readAll());
    if (!decoded) {
        throw PlatformError("ファイルの文字を読み取れません（UTF-8 でも Shift-JIS でもありません）。\r\n" + file);
    }
    const QString& text = *decoded;
    profile.crlf = text.contains(QLatin1String("\r\n"));
    profile.lines = text.split(QLatin1Char('\n'));
    for (QString& line : profile.lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    // A final line break leaves one empty piece behind.
    if (!profile.lines.isEmpty() && profile.lines.back().isEmpty()) {
        profile.lines.removeLast();
    }
    return profile;
}

// The section a header line opens, or nothing for any other line.
std::optional<QString> SectionOf(const QString& line) {
    const QString trimmed = line.trimmed();
    const auto close = trimmed.indexOf(QLatin1Char(']'));
    if (!trimmed.startsWith(QLatin1Char('[')) || close < 0) {
        return std::nullopt;
    }
    return trimmed.mid(1, close - 1).trimmed();
}

// The key of a "key=value" line; nothing for comments and other lines.
std::optional<QString> KeyOf(const QString& line) {
    const QString trimmed = line.trimmed();
    const auto equals = trimmed.indexOf(QLatin1Char('='));
    if (trimmed.startsWith(QLatin1Char(';')) || equals < 0) {
        return std::nullopt;
    }
    return trimmed.left(equals).trimmed();
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool IsQuoted(const QString& value) {
    return value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
           value.back() == value.front();
}

QString ValueOf(const QString& line) {
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (IsQuoted(value)) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}

// Quotes a value that reading would otherwise change.
QString Stored(const QString& value) {
    if (value != value.trimmed() || IsQuoted(value)) {
        return QLatin1Char('"') + value + QLatin1Char('"');
    }
    return value;
}

// Where the key's line is (found), or where a new line for it belongs:
// after the last non-blank line of the first section of that name, or -1
// when there is no such section.
struct Place {
    qsizetype line = -1;
    bool found = false;
};

Place Locate(const QStringList& lines, const QString& section, const QString& key) {
    Place place;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionOf(lines[i])) {
            if (place.line >= 0 && inSection) {
                return place;  // the rest of the file is another section
            }
            inSection = SameName(*name, section);
            if (inSection) {
                place.line = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (const auto name = KeyOf(lines[i]); name && SameName(*name, key)) {
            return Place{i, true};
        }
        if (!lines[i].trimmed().isEmpty()) {
            place.line = i + 1;
        }
    }
    return place;
}

void RejectLineBreaks(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        throw std::invalid_argument("line break in an INI entry");
    }
}

void CheckEntry(std::string_view section, std::string_view key, std::string_view value) {
    RejectLineBreaks(section);
    RejectLineBreaks(key);
    RejectLineBreaks(value);
    if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos) {
        throw std::invalid_argument("unusable INI section or key name");
    }
}

// A file that does not exist yet gets the system's own line breaks.
ProfileText NewProfile() {
    ProfileText profile;
#ifdef _WIN32
    profile.crlf = true;
#endif
    return profile;
}

void AppendSection(ProfileText& profile, std::string_view section, std::string_view key, std::string_view value) {
    profile.lines.append(QLatin1Char('[') + ToQ(section) + QLatin1Char(']'));
    profile.lines.append(ToQ(key) + QLatin1Char('=') + Stored(ToQ(value)));
}

QByteArray Rendered(const ProfileText& profile) {
    const QString newline = profile.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    return (profile.lines.join(newline) + newline).toUtf8();
}

}  // namespace

std::string ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                              std::string_view fallback) {
    const auto profile = Load(file);
    if (!profile) {
        return std::string(fallback);
    }
    const Place place = Locate(profile->lines, ToQ(section), ToQ(key));
    return place.found ? FromQ(ValueOf(profile->lines[place.line])) : std::string(fallback);
}

void WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    CheckEntry(section, key, value);
    ProfileText profile = Load(file).value_or(NewProfile());
    const QString qkey = ToQ(key);
    const Place place = Locate(profile.lines, ToQ(section), qkey);
    if (place.found) {
        profile.lines[place.line] = KeyOf(profile.lines[place.line]).value() + QLatin1Char('=') + Stored(ToQ(value));
    } else if (place.line >= 0) {
        profile.lines.insert(place.line, qkey + QLatin1Char('=') + Stored(ToQ(value)));
    } else {
        AppendSection(profile, section, key, value);
    }

    QSaveFile out(ToQ(file));
    const QByteArray bytes = Rendered(profile);
    const bool written = out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
    if (!written) {
        throw PlatformError("ファイルに書き込めませんでした。\r\n" + file);
    }
}

std::string NewProfileText(std::string_view section, std::string_view key, std::string_view value) {
    CheckEntry(section, key, value);
    ProfileText profile = NewProfile();
    AppendSection(profile, section, key, value);
    return Rendered(profile).toStdString();
}

}  // namespace korvalen::platform
