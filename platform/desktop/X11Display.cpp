#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include "platform/desktop/X11Display.h"

namespace platform {

Display* QtX11Display() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

} // namespace platform
