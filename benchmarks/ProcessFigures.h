#pragma once
// What the whole-program benchmarks read about the program they run: which executable
// it is, its CPU time and its peak memory, from /proc.

#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

namespace bench {

// The program measured: the one built beside the benchmark, or another build (a
// baseline to compare with) named by TARSEL_PROGRAM.
inline QString ProgramUnderTest() {
    return qEnvironmentVariableIsSet("TARSEL_PROGRAM") ? qEnvironmentVariable("TARSEL_PROGRAM")
                                                       : QStringLiteral(TARSEL_PROGRAM);
}

// CPU time of every thread of the process, nanoseconds (first field of schedstat).
inline long long ThreadsCpuNs(qint64 pid) {
    long long total = 0;
    const QDir tasks(QString("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + "/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

// utime + stime of the process from /proc/<pid>/stat, milliseconds (clock-tick steps).
inline double StatCpuMs(qint64 pid) {
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name in parentheses: state is field 3, utime 14, stime 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The process's resident high-water mark (VmHWM), MiB.
inline double PeakRssMiB(qint64 pid) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

} // namespace bench
