#include "support/ProgramSandbox.h"

#include "support/XdoTool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <stdexcept>

namespace {

constexpr int kPollMs = 50;
constexpr int kKillWaitMs = 3000;

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

TProgramSandbox::TProgramSandbox(const QString& programFile) {
    if (!FDir.isValid() || !QDir().mkpath(BinDir()) || !QFile::copy(programFile, ProgramPath()))
        throw std::runtime_error("cannot copy " + programFile.toStdString() + " into a sandbox");
}

TProgramSandbox::~TProgramSandbox() {
    if (IsRunning()) {
        FProcess->kill();
        FProcess->waitForFinished(kKillWaitMs);
    }
}

QString TProgramSandbox::BinDir() const {
    return FDir.filePath("bin");
}
QString TProgramSandbox::ProgramPath() const {
    return FDir.filePath("bin/TarselRuler");
}
QString TProgramSandbox::SettingsPath() const {
    return FDir.filePath("bin/TarselRuler.ini");
}

void TProgramSandbox::WriteSettings(const QByteArray& xml) const {
    WriteFile(SettingsPath(), xml);
}

QByteArray TProgramSandbox::ReadSettings() const {
    QFile file(SettingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TProgramSandbox::UseLanguageFolder(const QString& folder, const QByteArray& lngText) const {
    WriteFile(FDir.filePath("Languages/Language.ini"),
              "[Language]\r\nLanguagePath=" + folder.toUtf8() + "\r\n");
    QDir().mkpath(FDir.filePath("Languages/" + folder));
    if (!lngText.isEmpty())
        WriteFile(LanguageFilePath(folder), lngText);
}

QString TProgramSandbox::LanguageFilePath(const QString& folder) const {
    return FDir.filePath("Languages/" + folder + "/TarselRuler.lng");
}

void TProgramSandbox::Start(const QStringList& environment, const QStringList& launcher) {
    FProcess = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    for (const QString& entry : environment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    FProcess->setProcessEnvironment(env);
    FProcess->setProcessChannelMode(QProcess::MergedChannels);
    FProcess->setWorkingDirectory(FDir.path());
    if (launcher.isEmpty())
        FProcess->start(ProgramPath(), {});
    else
        FProcess->start(launcher.front(), launcher.mid(1) << ProgramPath());
    if (!FProcess->waitForStarted())
        throw std::runtime_error("the program did not start");
}

unsigned long TProgramSandbox::WaitForWindow(int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && IsRunning()) {
        // Of the program's visible windows, the largest: the main window.
        unsigned long largest = 0;
        long largestArea = 0;
        const QString ids =
            xdo::Output({"search", "--onlyvisible", "--pid", QString::number(Pid())});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
            const QString geometry = xdo::Output({"getwindowgeometry", id});
            const auto size = geometry.section("Geometry: ", 1).section('\n', 0, 0).split('x');
            const long area = size.size() == 2 ? size[0].toLong() * size[1].toLong() : 0;
            if (area > largestArea) {
                largestArea = area;
                largest = id.toULong();
            }
        }
        if (largest)
            return largest;
        QThread::msleep(kPollMs);
    }
    return 0;
}

bool TProgramSandbox::WaitForExit(int timeoutMs) {
    return WaitForExitCode(timeoutMs) == 0;
}

std::optional<int> TProgramSandbox::WaitForExitCode(int timeoutMs) {
    if (!FProcess)
        return std::nullopt;
    // waitForFinished answers false for a process that has already ended (the event loop
    // may have seen it go while the test sent keys), so ask for the state first.
    const bool finished =
        FProcess->state() == QProcess::NotRunning || FProcess->waitForFinished(timeoutMs);
    FOutput += QString::fromUtf8(FProcess->readAll());
    if (!finished || FProcess->exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return FProcess->exitCode();
}

void TProgramSandbox::Terminate() {
    if (FProcess)
        FProcess->terminate();
}

bool TProgramSandbox::IsRunning() const {
    return FProcess && FProcess->state() != QProcess::NotRunning;
}

qint64 TProgramSandbox::Pid() const {
    return FProcess ? FProcess->processId() : 0;
}

QString TProgramSandbox::Output() const {
    return FOutput;
}

QByteArray OneInstrumentSettings(const char* kind, QRectF bounds) {
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<TAppInfo MouseSnap=\"0\" Transparent=\"255\">\r\n"
                      "  <OptionInfo AutoCheckUpdate=\"0\"/>\r\n"
                      "  <RulerObjectList>\r\n    <Items>\r\n      <") +
           kind + " Angle=\"0\" Height=\"" + QByteArray::number(bounds.height()) + "\" OffsetX=\"" +
           QByteArray::number(bounds.x()) + "\" OffsetY=\"" + QByteArray::number(bounds.y()) +
           "\" Selected=\"1\" Width=\"" + QByteArray::number(bounds.width()) + "\"/>\r\n" +
           "    </Items>\r\n  </RulerObjectList>\r\n</TAppInfo>\r\n";
}
