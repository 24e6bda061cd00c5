#include "support/XClient.h"

#include <QStringList>

#include <stdexcept>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

namespace {
KeySym KeySymOf(const QString& name) {
    const QString lower = name.toLower();
    if (lower == "shift")
        return XK_Shift_L;
    if (lower == "ctrl" || lower == "control")
        return XK_Control_L;
    if (lower == "alt")
        return XK_Alt_L;
    return XStringToKeysym(name.toLatin1().constData());
}
} // namespace

TXClient::TXClient(const QString& displayName)
    : FDisplay(XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.toLatin1().constData())) {
    if (!FDisplay)
        throw std::runtime_error("cannot open X display " + displayName.toStdString());
}

TXClient::~TXClient() {
    XCloseDisplay(FDisplay);
}

QSize TXClient::ScreenSize() const {
    const int screen = DefaultScreen(FDisplay);
    return QSize(DisplayWidth(FDisplay, screen), DisplayHeight(FDisplay, screen));
}

QImage TXClient::Grab(const QRect& rect) const {
    const QRect area = rect.intersected(QRect(QPoint(0, 0), ScreenSize()));
    QImage image(rect.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (area.isEmpty())
        return image;
    XImage* pixels = XGetImage(FDisplay, DefaultRootWindow(FDisplay), area.x(), area.y(),
                               static_cast<unsigned>(area.width()),
                               static_cast<unsigned>(area.height()), AllPlanes, ZPixmap);
    if (!pixels)
        return image;
    for (int y = 0; y < area.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y + area.y() - rect.y()));
        for (int x = 0; x < area.width(); ++x)
            row[x + area.x() - rect.x()] = 0xFF000000u | (XGetPixel(pixels, x, y) & 0xFFFFFFu);
    }
    XDestroyImage(pixels);
    return image;
}

std::vector<unsigned long> TXClient::TopLevelWindows() const {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<unsigned long> mapped;
    if (!XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count))
        return mapped;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(FDisplay, children[i], &attributes) &&
            attributes.map_state == IsViewable && attributes.c_class == InputOutput)
            mapped.push_back(children[i]);
    }
    if (children)
        XFree(children);
    return mapped;
}

QRect TXClient::WindowGeometry(unsigned long window) const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(FDisplay, window, &attributes))
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(FDisplay, window, DefaultRootWindow(FDisplay), 0, 0, &x, &y, &child);
    return QRect(x, y, attributes.width, attributes.height);
}

QRect TXClient::FrameGeometry(unsigned long window) const {
    Window top = window;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(FDisplay, top, &root, &parent, &children, &count))
            return {};
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            return WindowGeometry(top);
        top = parent;
    }
}

QRegion TXClient::WindowShape(unsigned long window) const {
    const QRect geometry = WindowGeometry(window);
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(FDisplay, window, ShapeBounding, &count, &ordering);
    QRegion shape;
    for (int i = 0; i < count; ++i)
        shape += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    return shape.translated(geometry.topLeft()).intersected(geometry);
}

bool TXClient::IsCutToShape(unsigned long window) const {
    const QRect geometry = WindowGeometry(window);
    return !geometry.isEmpty() && WindowShape(window) != QRegion(geometry);
}

void TXClient::MoveTo(QPoint screenPos) const {
    XTestFakeMotionEvent(FDisplay, -1, screenPos.x(), screenPos.y(), CurrentTime);
    XSync(FDisplay, False);
}

void TXClient::Press(unsigned button) const {
    XTestFakeButtonEvent(FDisplay, button, True, CurrentTime);
    XSync(FDisplay, False);
}

void TXClient::Release(unsigned button) const {
    XTestFakeButtonEvent(FDisplay, button, False, CurrentTime);
    XSync(FDisplay, False);
}

void TXClient::Key(const QString& keys) const {
    std::vector<KeyCode> codes;
    for (const QString& name : keys.split('+', Qt::SkipEmptyParts))
        codes.push_back(XKeysymToKeycode(FDisplay, KeySymOf(name)));
    for (KeyCode code : codes)
        XTestFakeKeyEvent(FDisplay, code, True, CurrentTime);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        XTestFakeKeyEvent(FDisplay, *code, False, CurrentTime);
    XSync(FDisplay, False);
}

int CountPixels(const QImage& image, const QRect& rect, const std::function<bool(QColor)>& match) {
    int count = 0;
    const QRect area = rect & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += match(image.pixelColor(x, y));
    return count;
}
