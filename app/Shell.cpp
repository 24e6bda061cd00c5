#include "app/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

bool ShellOpen(const std::string& fileOrUrl) {
    const QString text = QString::fromStdString(fileOrUrl);
    // A path such as "/opt/tarsel/Help.chm" has no scheme; Qt would read it as a
    // relative URL, so it is turned into a file URL first.
    const QUrl url =
        QDir::isAbsolutePath(text) ? QUrl::fromLocalFile(text) : QUrl(text, QUrl::TolerantMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}
