#include "platform/desktop/Pointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <limits>

#include "platform/desktop/MouseWatcher.h"
#include "platform/desktop/Screen.h"
#include "platform/desktop/X11Display.h"

namespace platform {
namespace {

struct TPointerState {
    QPoint screenPos;
    unsigned int buttonMask = 0;
};

TPointerState QueryPointer(Display* display) {
    Window root = DefaultRootWindow(display);
    Window child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, root, &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    return {QPoint(rootX, rootY), mask};
}

// Halves go to the even neighbour, as everywhere a float becomes a pixel position.
int RoundToPixel(double value) {
    return static_cast<int>(std::nearbyint(value));
}

double DistanceSquared(QPoint p, QRect r) {
    const double dx =
        p.x() < r.left() ? r.left() - p.x() : (p.x() > r.right() ? p.x() - r.right() : 0);
    const double dy =
        p.y() < r.top() ? r.top() - p.y() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
    return dx * dx + dy * dy;
}

// The monitor whose rectangle (in the frame that 'rectOf' gives) holds p, or the
// nearest one; null for an empty list.
template <typename RectOf>
const TScreenArea* ScreenAt(QPoint p, const std::vector<TScreenArea>& screens, RectOf rectOf) {
    const TScreenArea* best = nullptr;
    double bestDistance = std::numeric_limits<double>::max();
    for (const TScreenArea& screen : screens) {
        const double distance = DistanceSquared(p, rectOf(screen));
        if (distance < bestDistance) {
            best = &screen;
            bestDistance = distance;
        }
    }
    return best;
}

QRect DeviceRect(const TScreenArea& screen) {
    const QRect& g = screen.logicalGeometry;
    return QRect(g.topLeft(), QSize(RoundToPixel(g.width() * screen.devicePixelRatio),
                                    RoundToPixel(g.height() * screen.devicePixelRatio)));
}

std::vector<TScreenArea> CurrentScreens() {
    std::vector<TScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back({screen->geometry(), screen->devicePixelRatio()});
    return screens;
}

} // namespace

QPoint CursorPos() {
    if (Display* display = QtX11Display())
        return QueryPointer(display).screenPos;
    return QCursor::pos();
}

void SetCursorPos(QPoint screenPos) {
    if (Display* display = QtX11Display()) {
        XWarpPointer(display, 0, DefaultRootWindow(display), 0, 0, 0, 0, screenPos.x(),
                     screenPos.y());
        // Done when this returns, as for the pointer's other users: the next query of
        // any client finds the pointer there.
        XSync(display, False);
    } else {
        QCursor::setPos(screenPos);
    }
    FollowProgramPointerMove(screenPos);
}

bool IsLeftButtonDown() {
    // The core state mask holds the buttons after the user's button mapping, so a
    // left-handed mouse reports its logical left button here.
    if (Display* display = QtX11Display())
        return (QueryPointer(display).buttonMask & Button1Mask) != 0;
    return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
}

QPoint ScreenToDesktopWindow(QPoint screenPos, const std::vector<TScreenArea>& screens,
                             QPoint virtualDesktopTopLeft) {
    QPoint logical = screenPos;
    if (const TScreenArea* screen = ScreenAt(screenPos, screens, DeviceRect)) {
        const QPoint origin = screen->logicalGeometry.topLeft();
        const QPoint offset = screenPos - origin;
        logical = origin + QPoint(RoundToPixel(offset.x() / screen->devicePixelRatio),
                                  RoundToPixel(offset.y() / screen->devicePixelRatio));
    }
    return logical - virtualDesktopTopLeft;
}

QPoint DesktopWindowToScreen(QPoint windowPos, const std::vector<TScreenArea>& screens,
                             QPoint virtualDesktopTopLeft) {
    const QPoint logical = windowPos + virtualDesktopTopLeft;
    const TScreenArea* screen =
        ScreenAt(logical, screens, [](const TScreenArea& s) { return s.logicalGeometry; });
    if (!screen)
        return logical;
    const QPoint origin = screen->logicalGeometry.topLeft();
    const QPoint offset = logical - origin;
    return origin + QPoint(RoundToPixel(offset.x() * screen->devicePixelRatio),
                           RoundToPixel(offset.y() * screen->devicePixelRatio));
}

QPoint ScreenToDesktopWindow(QPoint screenPos) {
    return ScreenToDesktopWindow(screenPos, CurrentScreens(), VirtualDesktopRect().topLeft());
}

QPoint DesktopWindowToScreen(QPoint windowPos) {
    return DesktopWindowToScreen(windowPos, CurrentScreens(), VirtualDesktopRect().topLeft());
}

} // namespace platform
