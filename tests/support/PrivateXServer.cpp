#include "support/PrivateXServer.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <string>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int kStartTimeoutMs = 10000;

// Xvfb writes its display number to the descriptor given with -displayfd once it
// listens; the number ends with a line break.
QString ReadDisplayNumber(int fd) {
    std::string digits;
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, kStartTimeoutMs) <= 0)
            return {};
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got <= 0)
            return {};
        if (c == '\n')
            return QString::fromStdString(digits);
        digits += c;
    }
}
} // namespace

TPrivateXServer::TPrivateXServer(QSize size) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("cannot make a pipe for Xvfb");
    const std::string screen =
        std::to_string(size.width()) + "x" + std::to_string(size.height()) + "x24";
    const std::string fd = std::to_string(pipeFds[1]);
    FPid = fork();
    if (FPid == 0) {
        close(pipeFds[0]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-dpi",
               "96", "-nolisten", "tcp", "+extension", "XInputExtension", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    const QString number = FPid > 0 ? ReadDisplayNumber(pipeFds[0]) : QString();
    close(pipeFds[0]);
    if (number.isEmpty()) {
        this->~TPrivateXServer();
        throw std::runtime_error("Xvfb did not start");
    }
    FName = ":" + number;
}

TPrivateXServer::~TPrivateXServer() {
    if (FPid <= 0)
        return;
    kill(FPid, SIGTERM);
    int status = 0;
    while (waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
    }
    FPid = 0;
}

void TPrivateXServer::SetXftDpi(int dpi) const {
    QProcess xrdb;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", FName);
    xrdb.setProcessEnvironment(env);
    xrdb.start("xrdb", {"-merge"});
    xrdb.write(QByteArray("Xft.dpi: ") + QByteArray::number(dpi) + "\n");
    xrdb.closeWriteChannel();
    if (!xrdb.waitForFinished(5000) || xrdb.exitCode() != 0)
        throw std::runtime_error("xrdb could not set Xft.dpi");
}
