#include "korvalen/storage/shared_options.h"

#include "korvalen/storage/schema.h"
#include "korvalen/storage/text_limits.h"
#include "korvalen/tablestore/table.h"

namespace korvalen::storage {

namespace {

constexpr std::string_view kSection = "SETTING";

// PROXY_PORT is an int16 column, but ports run to 65535: the upper half is
// kept as its 16-bit pattern and read back from it, so no valid port is
// refused or changed on its way through the table.
std::int32_t PortToColumn(std::int32_t port) { return port > 32767 ? port - 65536 : port; }
std::int32_t PortFromColumn(std::int32_t value) { return value < 0 ? value + 65536 : value; }

}  // namespace

std::int32_t OptionBits(const SharedOptions& options) {
    return (options.westernCalendar ? kWesternCalendarBit : 0) | (options.hideUpdateDialog ? kHideUpdateDialogBit : 0) |
           (options.useProxy ? kUseProxyBit : 0);
}

SharedOptions ReadSettingsOptions(platform::SettingsStore& settings, std::string_view programKey) {
    platform::SettingsSection section(settings, std::string(programKey), std::string(kSection));
    SharedOptions options;
    options.westernCalendar = section.Option("SEIREKI");
    options.hideUpdateDialog = section.Option("UPDATEKANRI");
    options.useProxy = section.Option("PROXY");
    options.proxyAddress = section.Text("PROXY_ADDRESS");
    const std::int64_t port = section.Number("PROXY_PORT", kDefaultProxyPort);
    options.proxyPort = port >= 0 && port <= 65535 ? static_cast<std::int32_t>(port) : kDefaultProxyPort;
    return options;
}

void WriteSettingsOptions(platform::SettingsStore& settings, std::string_view programKey,
                          const SharedOptions& options) {
    platform::SettingsSection section(settings, std::string(programKey), std::string(kSection));
    section.SetOption("SEIREKI", options.westernCalendar);
    section.SetOption("UPDATEKANRI", options.hideUpdateDialog);
    section.SetOption("PROXY", options.useProxy);
    section.SetText("PROXY_ADDRESS", options.proxyAddress);
    section.SetNumber("PROXY_PORT", options.proxyPort);
}

void StoreOptionsRow(tablestore::Database& database, const SharedOptions& options) {
    CheckTextFits("プロキシサーバーのアドレス", options.proxyAddress, kProxyAddressColumn.width);
    tablestore::Table table(database, std::string(kOptionsTable));
    table.open();
    table.first();
    table.edit();
    table.fieldByName(kProxyAddressColumn.name).setString(options.proxyAddress);
    table.fieldByName("PROXY_PORT").setInteger(PortToColumn(options.proxyPort));
    table.fieldByName("HENSAIHOUHOU_TAB").setInteger(OptionBits(options));
    table.post();
}

std::optional<SharedOptions> ReadOptionsRow(tablestore::Database& database) {
    tablestore::Table table(database, std::string(kOptionsTable));
    table.open();
    table.first();
    if (table.eof()) return std::nullopt;
    const std::int32_t bits = table.fieldByName("HENSAIHOUHOU_TAB").asInteger();
    SharedOptions options;
    options.westernCalendar = (bits & kWesternCalendarBit) != 0;
    options.hideUpdateDialog = (bits & kHideUpdateDialogBit) != 0;
    options.useProxy = (bits & kUseProxyBit) != 0;
    if (options.useProxy) {
        options.proxyAddress = table.fieldByName(kProxyAddressColumn.name).asString();
        options.proxyPort = PortFromColumn(table.fieldByName("PROXY_PORT").asInteger());
    }
    return options;
}

}  // namespace korvalen::storage
