#include "support/XdoTool.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

namespace xdo {

namespace {

constexpr int kXdoTimeoutMs = 10000;
// Time for the program under test to take in each step of a gesture.
constexpr int kStepPauseMs = 15;

QString Number(int value) {
    return QString::number(value);
}

void Pause(int ms) {
    QThread::msleep(ms);
    QCoreApplication::processEvents();
}

} // namespace

bool Run(const QStringList& arguments) {
    QProcess process;
    process.start("xdotool", arguments);
    return process.waitForFinished(kXdoTimeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QString Output(const QStringList& arguments) {
    QProcess process;
    process.start("xdotool", arguments);
    if (!process.waitForFinished(kXdoTimeoutMs) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void MoveTo(QPoint screen) {
    Run({"mousemove", Number(screen.x()), Number(screen.y())});
    Pause(kStepPauseMs);
}

void Click(QPoint screen, int button) {
    MoveTo(screen);
    Run({"click", Number(button)});
    Pause(kStepPauseMs);
}

void Press(int button) {
    Run({"mousedown", Number(button)});
    Pause(kStepPauseMs);
}

void Release(int button) {
    Run({"mouseup", Number(button)});
    Pause(kStepPauseMs);
}

void Drag(QPoint from, QPoint to, int steps) {
    MoveTo(from);
    Press(1);
    for (int step = 1; step <= steps; ++step)
        MoveTo(from + (to - from) * step / steps);
    Release(1);
}

void Key(const QString& keys) {
    Run({"key", keys});
    Pause(kStepPauseMs);
}

QPoint PointerPos() {
    // "x:12 y:34 screen:0 window:..."
    const QStringList fields = Output({"getmouselocation"}).split(' ');
    QPoint position;
    for (const QString& field : fields) {
        if (field.startsWith("x:"))
            position.setX(field.mid(2).toInt());
        else if (field.startsWith("y:"))
            position.setY(field.mid(2).toInt());
    }
    return position;
}

} // namespace xdo
