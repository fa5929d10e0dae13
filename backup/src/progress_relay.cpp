#include "progress_relay.h"

#include <map>

#include "korvalen/backup/archiver.h"

namespace korvalen::backup {

namespace {

// The live relays, standing in for the window system's table of windows: a
// callback with any other value is not ours and is answered with "go on".
std::map<ArcWindow, TProgressRelay*>& LiveRelays() {
    static std::map<ArcWindow, TProgressRelay*> relays;
    return relays;
}

}  // namespace

TProgressRelay::TProgressRelay(Handler handler) : handler_(std::move(handler)) { LiveRelays()[Window()] = this; }

TProgressRelay::~TProgressRelay() { LiveRelays().erase(Window()); }

ArcWindow TProgressRelay::Window() const { return reinterpret_cast<ArcWindow>(this); }

void TProgressRelay::Start(TArchiver& archiver) {
    pending_ = nullptr;
    try {
        // The owner window can only be bound once the library is loaded, and an
        // unpack loads it no earlier than its command; load it here so the first
        // unpack of a run reports progress too.
        archiver.Prepare();
    } catch (...) {
    }
    try {
        archiver.SetOwnerWindow(Window(), &TProgressRelay::Relay);
    } catch (...) {
    }
}

void TProgressRelay::Stop(TArchiver& archiver) {
    try {
        archiver.KillOwnerWindow();
    } catch (...) {
    }
}

void TProgressRelay::RethrowPending() {
    if (pending_) {
        std::exception_ptr error = pending_;
        pending_ = nullptr;
        std::rethrow_exception(error);
    }
}

int KRV_ARC_CALL TProgressRelay::Relay(ArcWindow window, std::uint32_t state, const ArcProgressInfo* info) {
    auto& live = LiveRelays();
    const auto found = live.find(window);
    if (found == live.end()) return 0;
    TProgressRelay* relay = found->second;
    if (relay->pending_ || !relay->handler_) return relay->pending_ ? 1 : 0;
    try {
        return relay->handler_(state, info) ? 1 : 0;
    } catch (...) {
        relay->pending_ = std::current_exception();
        return 1;
    }
}

}  // namespace korvalen::backup
