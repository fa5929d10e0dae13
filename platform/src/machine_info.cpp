#include "korvalen/platform/machine_info.h"

#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <vector>

#include "qt_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace korvalen::platform {

using detail::FromQ;

std::string ComputerName() {
    const std::string name = FromQ(QSysInfo::machineHostName());
    return name.empty() ? std::string(kUnknownPcName) : name;
}

std::string FullNameFromGecos(std::string_view gecos) {
    const std::string_view first = gecos.substr(0, gecos.find(','));
    const auto begin = first.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        return {};
    }
    return std::string(first.substr(begin, first.find_last_not_of(' ') - begin + 1));
}

AccountLookup ReadCurrentAccount() {
    AccountLookup lookup;
#ifdef _WIN32
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return lookup;
    }
    lookup.readable = true;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, L"RegisteredOwner", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, L"RegisteredOwner", nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) ==
            ERROR_SUCCESS) {
            value.resize(wcsnlen(value.c_str(), value.size()));
            lookup.owner = FromQ(QString::fromStdWString(value));
        }
    }
    RegCloseKey(key);
#else
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096);
    passwd entry{};
    passwd* result = nullptr;
    int error = 0;
    while ((error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result)) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0) {
        return lookup;
    }
    lookup.readable = true;
    if (result != nullptr && result->pw_gecos != nullptr) {
        // The GECOS field is meant to be UTF-8; invalid bytes must not reach
        // the shared tables as they are.
        lookup.owner = FromQ(detail::ToQ(FullNameFromGecos(result->pw_gecos)));
    }
#endif
    return lookup;
}

std::string RegisteredOwner(const AccountReader& reader) {
    const AccountLookup lookup = reader();
    if (!lookup.readable) {
        return std::string(kOwnerUnreadable);
    }
    return lookup.owner.empty() ? std::string(kUnknownOwner) : lookup.owner;
}

std::string PrettyNameFromOsRelease(std::string_view osRelease) {
    constexpr std::string_view kKey = "PRETTY_NAME=";
    std::string_view value;
    while (!osRelease.empty()) {
        const std::size_t end = osRelease.find('\n');
        std::string_view line = osRelease.substr(0, end);
        osRelease = end == std::string_view::npos ? std::string_view() : osRelease.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // The last assignment wins, as when the file is read by a shell.
        if (line.starts_with(kKey)) value = line.substr(kKey.size());
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        const char quote = value.front();
        value = value.substr(1, value.size() - 2);
        if (quote == '\'') return std::string(value);
        // Inside double quotes a backslash escapes the next character.
        std::string text;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            text += value[i];
        }
        return text;
    }
    return std::string(value);
}

std::string OperatingSystemName() {
    std::string name;
#ifdef _WIN32
    name = FromQ(QSysInfo::prettyProductName());
#else
    for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile osRelease(QString::fromUtf8(file));
        if (!osRelease.open(QIODevice::ReadOnly)) continue;
        // A few lines; anything longer is not an os-release file.
        const QByteArray text = osRelease.read(64 * 1024);
        name = FromQ(detail::ToQ(PrettyNameFromOsRelease(std::string_view(text.constData(), text.size()))));
        break;
    }
#endif
    return name.empty() ? std::string("不明") : name;
}

std::string UserRuntimeFolder() {
    // Qt applies the rules of the XDG base directories: the folder must
    // belong to this user and be closed to others, and without
    // XDG_RUNTIME_DIR a private one is made under the temporary folder.
    return FromQ(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
}

}  // namespace korvalen::platform
