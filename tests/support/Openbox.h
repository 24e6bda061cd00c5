#pragma once
// The openbox window manager on the test's X display, for as long as the object lives:
// started with a configuration of the test's own (no session, no autostart) and waited
// for until it manages the screen; stopped and waited for at the end, so the tests that
// follow see a display without a window manager again.

#include <QProcess>
#include <QTemporaryDir>

class TOpenbox {
public:
    TOpenbox();
    ~TOpenbox();
    TOpenbox(const TOpenbox&) = delete;
    TOpenbox& operator=(const TOpenbox&) = delete;

    // True once openbox announced itself on the display (EWMH check window).
    bool Running() const;

private:
    QTemporaryDir FConfig;
    QProcess FProcess;
};
