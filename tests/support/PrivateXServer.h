#pragma once
// An X server of the test's own (Xvfb on a free display number), for tests that must
// end the server under a running program without taking the shared display away, and
// for tests and benchmarks that need a screen size or desktop resolution of their own.
// The screen can be kept in a file as well (Xvfb -fbdir), to read the pixels the screen
// shows without asking the X server, which a program's grab may be holding.

#include <QImage>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class TPrivateXServer {
public:
    enum class TFramebuffer { InMemory, InFile };
    explicit TPrivateXServer(QSize screen, TFramebuffer framebuffer = TFramebuffer::InMemory);
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
    // Runs an X client program (xrandr, xsetroot, ...) on the server; throws when it fails.
    void Run(const QString& program, const QStringList& arguments) const;
    // The screen's pixels as the framebuffer file holds them now (opaque RGB32); null
    // without TFramebuffer::InFile.
    QImage FramebufferImage() const;

private:
    std::unique_ptr<QTemporaryDir> FFramebufferDir;
    QProcess FServer;
    QString FDisplay;
};
