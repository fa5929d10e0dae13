#ifndef KORVALEN_PLATFORM_INSTALLATION_H
#define KORVALEN_PLATFORM_INSTALLATION_H

#include <cstdint>
#include <functional>
#include <string_view>

#include "korvalen/platform/settings_store.h"

namespace korvalen::platform {

// Where the number is kept under the program's key.
inline constexpr std::string_view kInstallationSection = "CONST";
inline constexpr std::string_view kInstallationValue = "InstallationNumber";

// A random number from 1 to 2,147,483,647.
std::int32_t DrawInstallationNumber();

// The number that tells this installation apart from the other PCs of a
// shared database. Made once with `draw` and kept in the settings under
// `programKey`; a missing or unusable stored value (not a number in that
// range) is replaced by a fresh one.
std::int32_t InstallationNumber(SettingsStore& store, std::string_view programKey,
                                const std::function<std::int32_t()>& draw = DrawInstallationNumber);

}  // namespace korvalen::platform

#endif
