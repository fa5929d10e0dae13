#include "korvalen/platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <charconv>
#include <optional>
#include <stdexcept>

#include "korvalen/base/cp932.h"
#include "korvalen/platform/errors.h"
#include "korvalen/platform/paths.h"
#include "qt_text.h"

namespace korvalen::platform {

using detail::FromQ;
using detail::ToQ;

namespace {

// The stored spelling of `name`: the name itself when stored so, else the
// first stored name equal to it ignoring case, else `name` for a new entry.
QString StoredSpelling(const QStringList& stored, const QString& name) {
    if (stored.contains(name)) {
        return name;
    }
    for (const QString& candidate : stored) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
            return candidate;
        }
    }
    return name;
}

// Opens the section's group; values outside any section live in QSettings'
// own "General" group, so an empty section needs no group. QSettings
// escapes a section that is itself called "General", keeping the two apart.
void EnterSection(QSettings& settings, std::string_view section) {
    if (!section.empty()) {
        settings.beginGroup(StoredSpelling(settings.childGroups(), ToQ(section)));
    }
}

// QSettings reads its files as UTF-8 and silently mends anything else
// (a Shift-JIS byte becomes U+FFFD, a Latin-1 one disappears), and would
// write the mended values back. A file that is not UTF-8 is refused instead.
void RequireUtf8(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return;  // missing: QSettings reads it as empty and creates it on writing
    }
    const QByteArray bytes = in.readAll();
    if (!base::IsValidUtf8(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        throw PlatformError("設定ファイルの文字を読み取れません（UTF-8 ではありません）。\r\n" +
                            FromQ(QDir::toNativeSeparators(file)));
    }
}

void Commit(QSettings& settings) {
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        throw PlatformError("設定を保存できませんでした。\r\n" + FromQ(QDir::toNativeSeparators(settings.fileName())));
    }
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) {
    text = Trimmed(text);
    std::int64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(FromQ(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))) {}

IniSettingsStore::IniSettingsStore(std::string rootFolder) : root_(std::move(rootFolder)) {}

std::string IniSettingsStore::FileFor(std::string_view key) const {
    constexpr std::string_view software = "Software\\";
    if (key.size() >= software.size() && SameFolder(key.substr(0, software.size()), software)) {
        key.remove_prefix(software.size());
    }
    QStringList parts = ToQ(key).split(QLatin1Char('\\'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..") ||
            part.contains(QLatin1Char('/'))) {
            throw std::invalid_argument("settings key unusable as a file name: " + std::string(key));
        }
    }
    const QString relative = parts.join(QLatin1Char('/')) + QLatin1String(".ini");
    return FromQ(QDir::toNativeSeparators(QDir(ToQ(root_)).filePath(relative)));
}

std::string IniSettingsStore::Read(std::string_view key, std::string_view section, std::string_view name,
                                   std::string_view fallback) const {
    const QString file = ToQ(FileFor(key));
    RequireUtf8(file);
    QSettings settings(file, QSettings::IniFormat);
    EnterSection(settings, section);
    const QString stored = StoredSpelling(settings.childKeys(), ToQ(name));
    const QVariant value = settings.value(stored);
    if (!value.isValid()) {
        return std::string(fallback);
    }
    // A hand-edited line such as "a, b" comes back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return FromQ(value.toStringList().join(QLatin1String(", ")));
    }
    return FromQ(value.toString());
}

void IniSettingsStore::Write(std::string_view key, std::string_view section, std::string_view name,
                             std::string_view value) {
    const QString file = ToQ(FileFor(key));
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        throw PlatformError("設定を保存できませんでした。\r\n" + FromQ(QDir::toNativeSeparators(file)));
    }
    RequireUtf8(file);
    QSettings settings(file, QSettings::IniFormat);
    EnterSection(settings, section);
    settings.setValue(StoredSpelling(settings.childKeys(), ToQ(name)), ToQ(value));
    Commit(settings);
}

void IniSettingsStore::Remove(std::string_view key, std::string_view section, std::string_view name) {
    const QString file = ToQ(FileFor(key));
    if (!QFileInfo::exists(file)) {
        return;
    }
    RequireUtf8(file);
    QSettings settings(file, QSettings::IniFormat);
    EnterSection(settings, section);
    const QString stored = StoredSpelling(settings.childKeys(), ToQ(name));
    if (!settings.contains(stored)) {
        return;
    }
    settings.remove(stored);
    Commit(settings);
}

SettingsSection::SettingsSection(SettingsStore& store, std::string key, std::string section)
    : store_(&store), key_(std::move(key)), section_(std::move(section)) {}

std::string SettingsSection::Text(std::string_view name, std::string_view fallback) const {
    return store_->Read(key_, section_, name, fallback);
}

void SettingsSection::SetText(std::string_view name, std::string_view value) {
    store_->Write(key_, section_, name, value);
}

std::int64_t SettingsSection::Number(std::string_view name, std::int64_t fallback) const {
    return ParseDecimal(Text(name)).value_or(fallback);
}

void SettingsSection::SetNumber(std::string_view name, std::int64_t value) { SetText(name, std::to_string(value)); }

bool SettingsSection::Flag(std::string_view name, bool fallback) const {
    const auto number = ParseDecimal(Text(name));
    return number ? *number != 0 : fallback;
}

void SettingsSection::SetFlag(std::string_view name, bool value) { SetText(name, value ? "1" : "0"); }

bool SettingsSection::Option(std::string_view name, bool fallback) const {
    return Text(name, fallback ? "YES" : "NO") != "NO";
}

void SettingsSection::SetOption(std::string_view name, bool on) { SetText(name, on ? "YES" : "NO"); }

void SettingsSection::Remove(std::string_view name) { store_->Remove(key_, section_, name); }

}  // namespace korvalen::platform
