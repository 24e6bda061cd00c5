#include "platform/widgets/VclTimer.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    QObject::connect(&Timer_, &QTimer::timeout, [this] {
        if (OnTimer)
            OnTimer(this);
    });
    Restart();
}

void TTimer::SetEnabled(bool enabled) {
    Enabled_ = enabled;
    Restart();
}

void TTimer::SetInterval(int milliseconds) {
    Interval_ = milliseconds;
    Restart();
}

// Like the class library's timer, a change restarts the count; an interval of 0
// stops it.
void TTimer::Restart() {
    Timer_.stop();
    if (Enabled_ && Interval_ > 0)
        Timer_.start(Interval_);
}
