#ifndef KORVALEN_PLATFORM_MACHINE_INFO_H
#define KORVALEN_PLATFORM_MACHINE_INFO_H

#include <functional>
#include <string>
#include <string_view>

namespace korvalen::platform {

inline constexpr std::string_view kUnknownPcName = "UnKnownPCName";
inline constexpr std::string_view kUnknownOwner = "UnKnownRegisteredOwner";
// Spelled so because other PCs' rows in the shared tables carry it.
inline constexpr std::string_view kOwnerUnreadable = "UnSuccesuful";

// This PC's network name; kUnknownPcName when it cannot be read.
std::string ComputerName();

// What the account database says about the current user.
struct AccountLookup {
    bool readable = false;  // the account database could be read
    std::string owner;      // the user's full name; empty when missing
};
using AccountReader = std::function<AccountLookup()>;

// The current user's full name: on Linux the first comma field of the
// GECOS entry; on Windows the machine's registered owner.
AccountLookup ReadCurrentAccount();

// The first comma-separated field of a GECOS entry, without surrounding blanks.
std::string FullNameFromGecos(std::string_view gecos);

// The owner name this PC reports in the shared tables, with its fallbacks.
std::string RegisteredOwner(const AccountReader& reader = ReadCurrentAccount);

// The name of the operating system, for the line a support mail carries
// about it: the distribution's PRETTY_NAME from /etc/os-release (then
// /usr/lib/os-release) on Linux, the product name on Windows; "不明" when
// nothing says it.
std::string OperatingSystemName();

// The PRETTY_NAME value of an os-release text, with its quotes and escapes
// undone; empty when the text has none.
std::string PrettyNameFromOsRelease(std::string_view osRelease);

// The current user's folder for run-time files of the desktop session
// (XDG_RUNTIME_DIR, else a private folder of the user's own under the
// temporary folder), without a trailing separator; empty when there is
// none that only this user can write to.
std::string UserRuntimeFolder();

}  // namespace korvalen::platform

#endif
