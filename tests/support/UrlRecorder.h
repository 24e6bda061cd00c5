#pragma once
// Takes the place of the desktop's browser and file openers for the schemes it is
// installed for, and records what the program asked to open.

#include <QObject>
#include <QStringList>
#include <QUrl>

class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit TUrlRecorder(const QStringList& schemes = {"http", "https", "file"});
    ~TUrlRecorder() override;

    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& url);

private:
    QStringList FSchemes;
};
