#include "platform/system/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kHandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler may do almost nothing safely; it writes one byte into a pipe whose
// other end the event loop watches (the classic self-pipe).
int gWakeUpPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gWakeUpPipe[1], &byte, 1);
}

} // namespace

void QuitEventLoopOnTerminationSignals() {
    if (gWakeUpPipe[0] >= 0 || ::pipe2(gWakeUpPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(gWakeUpPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char buffer[16];
        while (::read(gWakeUpPipe[0], buffer, sizeof buffer) > 0) {
        }
        // Not quit(): that asks the windows to close first, and an open modal window
        // (the About box, a message box) refuses. exit() ends every running event loop,
        // the modal window's as well.
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kHandledSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace platform
