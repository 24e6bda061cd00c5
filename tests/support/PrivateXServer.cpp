#include "support/PrivateXServer.h"

namespace {
constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;
} // namespace

TPrivateXServer::TPrivateXServer(QSize screen) {
    // -displayfd 1: the server picks a free number and writes it to its standard output
    // once it accepts clients.
    const QString size = QString("%1x%2x24").arg(screen.width()).arg(screen.height());
    FServer.start("Xvfb", {"-displayfd", "1", "-screen", "0", size, "-nolisten", "tcp",
                           "+extension", "XInputExtension"});
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
