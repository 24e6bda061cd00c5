#pragma once
// An X server of the test's own (Xvfb on a free display number), for tests that must
// end the server under a running program without taking the shared display away, and
// for tests and benchmarks that need a screen size or desktop resolution of their own.

#include <QProcess>
#include <QSize>
#include <QString>

class TPrivateXServer {
public:
    explicit TPrivateXServer(QSize screen);
    ~TPrivateXServer();
    TPrivateXServer(const TPrivateXServer&) = delete;
    TPrivateXServer& operator=(const TPrivateXServer&) = delete;

    // ":<number>", for the DISPLAY of the programs that are to use it; empty when the
    // server did not start.
    QString Display() const { return FDisplay; }
    // Ends the server, as when a desktop session is closed.
    void Kill();
    // The server's process, 0 when it does not run.
    qint64 Pid() const { return FServer.processId(); }
    // Sets the desktop's logical resolution the way desktop settings do: the Xft.dpi
    // resource on the root window, read by clients that start afterwards. Throws when
    // xrdb fails.
    void SetXftDpi(int dpi) const;

private:
    QProcess FServer;
    QString FDisplay;
};
