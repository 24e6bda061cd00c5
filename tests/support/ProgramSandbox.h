#pragma once
// The real program run the way a user runs it, from a folder of its own: the
// executable is copied into <sandbox>/bin so its settings file (bin/TarselRuler.ini)
// and language files (bin/TarselRuler.lng, or Languages/<folder>/TarselRuler.lng with
// the index Languages/Language.ini) are the test's own.

#include <QProcess>
#include <QRectF>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class TProgramSandbox {
public:
    // programFile: the built executable to copy.
    explicit TProgramSandbox(const QString& programFile);
    ~TProgramSandbox();

    QString BinDir() const;
    QString ProgramPath() const;
    QString SettingsPath() const; // beside the program, ".ini"

    void WriteSettings(const QByteArray& xml) const;
    QByteArray ReadSettings() const;
    // Makes Languages/<folder> the language folder (so the language file is written at
    // exit) and puts lngText in it as the program's language file unless it is empty.
    void UseLanguageFolder(const QString& folder, const QByteArray& lngText = {}) const;
    QString LanguageFilePath(const QString& folder) const;

    // Starts the program; extra environment entries as "NAME=value". A launcher (for
    // instance setpriv with its arguments) runs the program in its place.
    void Start(const QStringList& environment = {}, const QStringList& launcher = {});
    // The program's first visible top-level window on the display, 0 if none came.
    unsigned long WaitForWindow(int timeoutMs = 15000) const;
    // True when the program ended (with exit code 0) within the time.
    bool WaitForExit(int timeoutMs = 15000);
    // The exit code when the program ended by itself within the time (not by a signal).
    std::optional<int> WaitForExitCode(int timeoutMs = 15000);
    bool IsRunning() const;
    // Sends SIGTERM, as a desktop session does at logout.
    void Terminate();
    qint64 Pid() const;
    QString Output() const;

private:
    QTemporaryDir FDir;
    std::unique_ptr<QProcess> FProcess;
    QString FOutput;
};

// A settings file with one instrument of the given kind (class name), current and placed
// as given, unturned; snapping and the automatic update check off.
QByteArray OneInstrumentSettings(const char* kind, QRectF bounds);
