#include "korvalen/shell/termination_signals.h"

#include <QObject>

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#endif

namespace korvalen::shell {

#ifndef _WIN32
namespace {

// The handler may only write to a descriptor; the event loop reads it.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[0], &byte, 1);
}

}  // namespace

void EndOnTerminationSignals(QObject* owner, std::function<void()> end) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [notifier, end = std::move(end)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(signalPipe[1], &byte, 1);
        notifier->setEnabled(false);
        end();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}
#else
void EndOnTerminationSignals(QObject*, std::function<void()>) {}
#endif

}  // namespace korvalen::shell
