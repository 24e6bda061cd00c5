#pragma once
// An X server of the test's own: an Xvfb with the screen size asked for, started on a
// free display number and stopped with the object. Tests and benchmarks that need a
// given screen size or desktop resolution start the program on it, so nothing depends
// on the display they were themselves started on.

#include <QSize>
#include <QString>

#include <sys/types.h>

class TPrivateXServer {
public:
    // Starts the server with one screen of size (24-bit colour) and waits until it
    // takes connections. Throws when Xvfb cannot be started.
    explicit TPrivateXServer(QSize size);
    ~TPrivateXServer();
    TPrivateXServer(const TPrivateXServer&) = delete;
    TPrivateXServer& operator=(const TPrivateXServer&) = delete;

    // ":N", for DISPLAY.
    QString DisplayName() const { return FName; }
    // The server's process.
    pid_t Pid() const { return FPid; }

    // Sets the desktop's logical resolution the way desktop settings do: the Xft.dpi
    // resource on the root window, read by clients that start afterwards.
    void SetXftDpi(int dpi) const;

private:
    pid_t FPid = 0;
    QString FName;
};
