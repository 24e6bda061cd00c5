#pragma once
// An X server of the test's own (Xvfb on a free display number), for tests that must
// end the server under a running program without taking the shared display away.

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

private:
    QProcess FServer;
    QString FDisplay;
};
