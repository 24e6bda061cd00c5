#include "support/PrivateXServer.h"

#include <QProcessEnvironment>

#include <stdexcept>

namespace {
constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;
} // namespace

TPrivateXServer::TPrivateXServer(QSize screen) {
    // -displayfd 1: the server picks a free number and writes it to its standard output
    // once it accepts clients.
    const QString size = QString("%1x%2x24").arg(screen.width()).arg(screen.height());
    // -noreset: resources set on the root window (Xft.dpi) outlive the client that set
    // them.
    FServer.start("Xvfb", {"-displayfd", "1", "-screen", "0", size, "-dpi", "96", "-noreset",
                           "-nolisten", "tcp", "+extension", "XInputExtension"});
    if (!FServer.waitForStarted(kStartTimeoutMs))
        return;
    while (!FServer.canReadLine() && FServer.waitForReadyRead(kStartTimeoutMs)) {
    }
    const QString number = QString::fromUtf8(FServer.readLine()).trimmed();
    if (!number.isEmpty())
        FDisplay = ":" + number;
}

TPrivateXServer::~TPrivateXServer() {
    Kill();
}

void TPrivateXServer::Kill() {
    if (FServer.state() == QProcess::NotRunning)
        return;
    FServer.terminate();
    if (!FServer.waitForFinished(kStopTimeoutMs)) {
        FServer.kill();
        FServer.waitForFinished(kStopTimeoutMs);
    }
}

void TPrivateXServer::SetXftDpi(int dpi) const {
    QProcess xrdb;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", FDisplay);
    xrdb.setProcessEnvironment(env);
    xrdb.start("xrdb", {"-merge"});
    xrdb.write(QByteArray("Xft.dpi: ") + QByteArray::number(dpi) + "\n");
    xrdb.closeWriteChannel();
    if (!xrdb.waitForFinished(kStopTimeoutMs) || xrdb.exitCode() != 0)
        throw std::runtime_error("xrdb could not set Xft.dpi");
}
