#include "support/UrlRecorder.h"

#include <QDesktopServices>

TUrlRecorder::TUrlRecorder(const QStringList& schemes) : FSchemes(schemes) {
    for (const QString& scheme : FSchemes)
        QDesktopServices::setUrlHandler(scheme, this, "Open");
}

TUrlRecorder::~TUrlRecorder() {
    for (const QString& scheme : FSchemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void TUrlRecorder::Open(const QUrl& url) {
    Opened.push_back(url);
}
