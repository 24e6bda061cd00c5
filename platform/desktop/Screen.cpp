#include "platform/desktop/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {
namespace {
constexpr int kDefaultPixelsPerInch = 96;
constexpr QSize kFallbackScreenSize{1024, 768};
} // namespace

QSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : kFallbackScreenSize;
}

QRect PrimaryWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kFallbackScreenSize);
}

QRect VirtualDesktopRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(QPoint(0, 0), kFallbackScreenSize);
}

int PixelsPerInch() {
    // Without Qt's scaling the screen's logical resolution is Xft.dpi itself (96 when
    // it is not set); with it, Qt would report 96 and stretch the windows instead.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInch()) : 0;
    return dpi > 0 ? dpi : kDefaultPixelsPerInch;
}

void UseDevicePixels() {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // A scale factor set by hand would stretch the windows all the same.
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
}

} // namespace platform
