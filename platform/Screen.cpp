#include "platform/Screen.h"

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

QRect VirtualDesktopRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(QPoint(0, 0), kFallbackScreenSize);
}

int PixelsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : kDefaultPixelsPerInch;
}

} // namespace platform
