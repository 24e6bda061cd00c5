#include "support/DesktopWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {
constexpr int kExposeTimeoutMs = 3000;
constexpr int kAfterExposeMs = 100;
} // namespace

TDesktopWindow::TDesktopWindow(const QColor& colour) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setGeometry(QGuiApplication::primaryScreen()->geometry());
    QPalette palette;
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setAutoFillBackground(true);
    show();
    QElapsedTimer clock;
    clock.start();
    while (!(windowHandle() && windowHandle()->isExposed()) && clock.elapsed() < kExposeTimeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    SettleEvents(kAfterExposeMs);
}

void SettleEvents(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}
