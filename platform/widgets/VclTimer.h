#pragma once
// TTimer: calls OnTimer every Interval milliseconds while Enabled. It runs on the
// event loop of the GUI thread.

#include "platform/widgets/VclComponent.h"

#include <QTimer>

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);

    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return Interval_; }
    void SetInterval(int milliseconds);

    std::function<void(TComponent* sender)> OnTimer;

private:
    void Restart();

    QTimer Timer_;
    bool Enabled_ = true;
    int Interval_ = 1000;
};
