// The options every PC of a database shares: kept per user in the settings
// (section "SETTING" of the program's key) and mirrored in the one row of
// the table Opcfg.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "korvalen/platform/settings_store.h"
#include "korvalen/tablestore/database.h"

namespace korvalen::storage {

inline constexpr std::int32_t kWesternCalendarBit = 0x80;    // SEIREKI
inline constexpr std::int32_t kHideUpdateDialogBit = 0x400;  // UPDATEKANRI
inline constexpr std::int32_t kUseProxyBit = 0x800;          // PROXY
inline constexpr std::int32_t kDefaultProxyPort = 80;

struct SharedOptions {
    bool westernCalendar = false;                // "SEIREKI"
    bool hideUpdateDialog = false;               // "UPDATEKANRI"
    bool useProxy = false;                       // "PROXY"
    std::string proxyAddress;                    // "PROXY_ADDRESS"
    std::int32_t proxyPort = kDefaultProxyPort;  // "PROXY_PORT"

    bool operator==(const SharedOptions&) const = default;
};

// HENSAIHOUHOU_TAB of the options: the three bits, nothing else.
std::int32_t OptionBits(const SharedOptions& options);

// The options in the settings, each with its default when missing; a port
// that is no number is 80.
SharedOptions ReadSettingsOptions(platform::SettingsStore& settings, std::string_view programKey);
void WriteSettingsOptions(platform::SettingsStore& settings, std::string_view programKey, const SharedOptions& options);

// Writes the options into the first row of Opcfg (a new row in an empty
// table). The whole HENSAIHOUHOU_TAB is replaced; the proxy address and
// port are written whether or not the proxy is on. An address too long for
// its column is refused before anything is written.
void StoreOptionsRow(tablestore::Database& database, const SharedOptions& options);

// The options of the first row of Opcfg; nothing when the table is empty.
// Without the proxy bit the address reads empty and the port 80.
std::optional<SharedOptions> ReadOptionsRow(tablestore::Database& database);

}  // namespace korvalen::storage
