#include "korvalen/platform/installation.h"

#include <limits>
#include <random>
#include <string>

namespace korvalen::platform {

std::int32_t DrawInstallationNumber() {
    std::random_device entropy;
    std::uniform_int_distribution<std::int32_t> range(1, std::numeric_limits<std::int32_t>::max());
    return range(entropy);
}

std::int32_t InstallationNumber(SettingsStore& store, std::string_view programKey,
                                const std::function<std::int32_t()>& draw) {
    SettingsSection section(store, std::string(programKey), std::string(kInstallationSection));
    const std::int64_t stored = section.Number(kInstallationValue, 0);
    if (stored >= 1 && stored <= std::numeric_limits<std::int32_t>::max()) {
        return static_cast<std::int32_t>(stored);
    }
    // Zero or garbage would make this PC share a number with others.
    const std::int32_t fresh = draw();
    section.SetNumber(kInstallationValue, fresh);
    return fresh;
}

}  // namespace korvalen::platform
