// Passes the library's progress reports of one archive component on to its
// handler. The library reports to an owner window; here that "window" is the
// relay's own opaque value, given to SetOwnerWindowEx with Relay as callback.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

#include "korvalen/archiver_api.h"

namespace korvalen::backup {

class TArchiver;

class TProgressRelay {
public:
    // Returns true to abort the running command.
    using Handler = std::function<bool(std::uint32_t state, const ArcProgressInfo* info)>;

    explicit TProgressRelay(Handler handler);
    ~TProgressRelay();
    TProgressRelay(const TProgressRelay&) = delete;
    TProgressRelay& operator=(const TProgressRelay&) = delete;

    ArcWindow Window() const;

    // Makes this relay the archiver's owner window. Nothing here may stop the
    // operation itself, so errors are swallowed.
    void Start(TArchiver& archiver);
    // Ends the relay; errors swallowed likewise.
    void Stop(TArchiver& archiver);
    // An error the handler raised while the library was running cannot cross
    // the library's C frames; it was kept and is raised here, once.
    void RethrowPending();

    static int KRV_ARC_CALL Relay(ArcWindow window, std::uint32_t state, const ArcProgressInfo* info);

private:
    Handler handler_;
    std::exception_ptr pending_;
};

}  // namespace korvalen::backup
