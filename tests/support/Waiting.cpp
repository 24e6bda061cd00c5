#include "support/Waiting.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
constexpr int kEventLoopSliceMs = 5;
} // namespace

bool ProcessEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            return false;
        // Sleeps in the event loop until something arrives or the slice is over.
        QEventLoop slice;
        QTimer::singleShot(kEventLoopSliceMs, &slice, &QEventLoop::quit);
        slice.exec();
    }
    return true;
}
