// A request from the system to end (SIGTERM at log-out or shut-down,
// SIGINT from the terminal, SIGHUP when the terminal goes) ends the
// program as 終了 does, so the single-instance marker is removed and the
// next start is not taken for one after a crash. Nothing on Windows.
#pragma once

#include <functional>

class QObject;

namespace korvalen::shell {

// Runs `end` in the event loop when one of the signals arrives. Call once.
void EndOnTerminationSignals(QObject* owner, std::function<void()> end);

}  // namespace korvalen::shell
