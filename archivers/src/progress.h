// The progress relay: an owner window registers its callback through
// SetOwnerWindowEx, and a command run for that window reports to it. Each
// library keeps its own registry, as each keeps its own owner windows.
#pragma once

#include <cstdint>
#include <string>

#include "korvalen/archiver_api.h"

namespace korvalen::archivers {

bool registerOwnerWindow(ArcWindow window, ArcProgressFn callback);
bool unregisterOwnerWindow(ArcWindow window);

class Progress {
public:
    Progress(ArcWindow window, std::string archivePath);
    // Each report throws ArcError(ARC_ERR_CANCELLED) when the callback asks to stop.
    void opened();
    void begin(const std::string& member, uint64_t total);
    void advance(uint64_t bytes);
    void copying();
    void finished();

private:
    void report(uint32_t state);
    ArcProgressFn callback_ = nullptr;
    ArcWindow window_;
    std::string archivePath_;
    std::string member_;
    uint64_t total_ = 0;
    uint64_t done_ = 0;
};

}  // namespace korvalen::archivers
