#include "progress.h"

#include <map>
#include <mutex>

#include "arc_error.h"

namespace korvalen::archivers {
namespace {

// Owner windows are process-wide by nature: the window registers once and
// any later command for it reports there.
std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}
std::map<ArcWindow, ArcProgressFn>& registry() {
    static std::map<ArcWindow, ArcProgressFn> r;
    return r;
}

}  // namespace

bool registerOwnerWindow(ArcWindow window, ArcProgressFn callback) {
    std::lock_guard lock(registryMutex());
    registry()[window] = callback;
    return true;
}

bool unregisterOwnerWindow(ArcWindow window) {
    std::lock_guard lock(registryMutex());
    return registry().erase(window) > 0;
}

Progress::Progress(ArcWindow window, std::string archivePath) : window_(window), archivePath_(std::move(archivePath)) {
    std::lock_guard lock(registryMutex());
    const auto it = registry().find(window);
    if (it != registry().end()) callback_ = it->second;
}

void Progress::report(uint32_t state) {
    if (callback_ == nullptr) return;
    const ArcProgressInfo info{total_, done_, member_.c_str(), archivePath_.c_str()};
    if (callback_(window_, state, &info) != 0) throw ArcError(ARC_ERR_CANCELLED, "利用者が処理を中止しました。");
}

void Progress::opened() { report(ARC_PROGRESS_OPEN); }

void Progress::begin(const std::string& member, uint64_t total) {
    member_ = member;
    total_ = total;
    done_ = 0;
    report(ARC_PROGRESS_BEGIN);
}

void Progress::advance(uint64_t bytes) {
    done_ += bytes;
    report(ARC_PROGRESS_IN_PROCESS);
}

void Progress::copying() { report(ARC_PROGRESS_COPY); }

void Progress::finished() {
    member_.clear();
    total_ = done_ = 0;
    // The work is over: a request to stop now changes nothing.
    if (callback_ == nullptr) return;
    const ArcProgressInfo info{0, 0, member_.c_str(), archivePath_.c_str()};
    callback_(window_, ARC_PROGRESS_END, &info);
}

}  // namespace korvalen::archivers
