#include "app/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace zorlith {

namespace {

// The signal handler may only write to a descriptor; the GUI thread reads the other end.
std::array<int, 2> signalPipe{-1, -1};

void ForwardSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[0], &byte, 1);
}

} // namespace

void EndOnTerminationSignals(std::function<void()> onSignal) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe.data()) != 0) {
        return;
    }
    auto* notifier =
        new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [onSignal = std::move(onSignal)] {
                         char byte = 0;
                         [[maybe_unused]] const ssize_t got = read(signalPipe[1], &byte, 1);
                         onSignal();
                     });
    struct sigaction action {};
    action.sa_handler = ForwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signalNumber, &action, nullptr);
    }
}

} // namespace zorlith
