#include "support/PrivateXServer.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QtEndian>

#include <stdexcept>

namespace {
constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;

// The XWD file header Xvfb keeps in front of the screen's pixels: 32-bit fields in
// big-endian order; the pixels follow the header, its name and the colour map, in the
// server's own byte order (here 32 bits a pixel, blue in the lowest byte).
constexpr int kXwdHeaderSizeField = 0;
constexpr int kXwdWidthField = 4;
constexpr int kXwdHeightField = 5;
constexpr int kXwdBitsPerPixelField = 11;
constexpr int kXwdBytesPerLineField = 12;
constexpr int kXwdColourCountField = 19;
constexpr int kXwdFields = 25;
constexpr qsizetype kXwdColourBytes = 12;
} // namespace

TPrivateXServer::TPrivateXServer(QSize screen, TFramebuffer framebuffer) {
    // -displayfd 1: the server picks a free number and writes it to its standard output
    // once it accepts clients.
    const QString size = QString("%1x%2x24").arg(screen.width()).arg(screen.height());
    // -noreset: resources set on the root window (Xft.dpi) outlive the client that set
    // them.
    QStringList arguments{"-displayfd", "1",    "-screen",    "0",
                          size,         "-dpi", "96",         "-noreset",
                          "-nolisten",  "tcp",  "+extension", "XInputExtension"};
    if (framebuffer == TFramebuffer::InFile) {
        FFramebufferDir = std::make_unique<QTemporaryDir>();
        arguments << "-fbdir" << FFramebufferDir->path();
    }
    FServer.start("Xvfb", arguments);
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

void TPrivateXServer::Run(const QString& program, const QStringList& arguments) const {
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", FDisplay);
    client.setProcessEnvironment(env);
    client.start(program, arguments);
    if (!client.waitForFinished(kStopTimeoutMs) || client.exitCode() != 0)
        throw std::runtime_error((program + " " + arguments.join(' ') +
                                  " failed: " + QString::fromUtf8(client.readAllStandardError()))
                                     .toStdString());
}

QImage TPrivateXServer::FramebufferImage() const {
    if (!FFramebufferDir)
        return {};
    QFile file(FFramebufferDir->filePath("Xvfb_screen0"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kXwdFields * 4)
        return {};
    const auto field = [&](int index) {
        return qFromBigEndian<quint32>(bytes.constData() + index * 4);
    };
    const int width = static_cast<int>(field(kXwdWidthField));
    const int height = static_cast<int>(field(kXwdHeightField));
    const qsizetype stride = field(kXwdBytesPerLineField);
    const qsizetype start =
        field(kXwdHeaderSizeField) + field(kXwdColourCountField) * kXwdColourBytes;
    if (field(kXwdBitsPerPixelField) != 32 || start + stride * height > bytes.size())
        return {};
    const char* pixels = bytes.constData() + start;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           0xFF000000 | qFromLittleEndian<quint32>(pixels + y * stride + x * 4));
    return image;
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
