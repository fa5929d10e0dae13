#include "korvalen/platform/machine_info.h"

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

}  // namespace korvalen::platform
