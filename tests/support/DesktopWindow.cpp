#include "support/DesktopWindow.h"

#include "support/Waiting.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

TDesktopWindow::TDesktopWindow(const QColor& colour) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setGeometry(QGuiApplication::primaryScreen()->geometry());
    QPalette palette;
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setAutoFillBackground(true);
    show();
    // Mapped and painted: the screen shows its colour where it lies.
    ProcessEventsUntil([&] {
        const QPoint middle = geometry().center();
        const QImage shown = screen()->grabWindow(0, middle.x(), middle.y(), 1, 1).toImage();
        return !shown.isNull() && shown.pixelColor(0, 0) == colour;
    });
}
