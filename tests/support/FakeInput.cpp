#include "support/FakeInput.h"

#include <stdexcept>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {
constexpr int kMaxButtons = 256;
} // namespace

TFakeInput::TFakeInput() : FDisplay(XOpenDisplay(nullptr)) {
    if (!FDisplay)
        throw std::runtime_error("no X display to send pointer input to");
}

TFakeInput::~TFakeInput() {
    XCloseDisplay(FDisplay);
}

void TFakeInput::MoveTo(QPoint screenPos) {
    XTestFakeMotionEvent(FDisplay, -1, screenPos.x(), screenPos.y(), CurrentTime);
    XSync(FDisplay, False);
}

void TFakeInput::MoveBy(int dx, int dy) {
    XTestFakeRelativeMotionEvent(FDisplay, dx, dy, CurrentTime);
    XFlush(FDisplay);
}

void TFakeInput::Press(unsigned button) {
    XTestFakeButtonEvent(FDisplay, button, True, CurrentTime);
    XSync(FDisplay, False);
}

void TFakeInput::Release(unsigned button) {
    XTestFakeButtonEvent(FDisplay, button, False, CurrentTime);
    XSync(FDisplay, False);
}

void TFakeInput::Click(unsigned button) {
    Press(button);
    Release(button);
}

QPoint TFakeInput::PointerPosition() {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(FDisplay, DefaultRootWindow(FDisplay), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &mask);
    return {rootX, rootY};
}

std::vector<unsigned char> TFakeInput::ButtonMap() {
    unsigned char map[kMaxButtons] = {};
    const int count = XGetPointerMapping(FDisplay, map, kMaxButtons);
    return {map, map + count};
}

bool TFakeInput::SetButtonMap(const std::vector<unsigned char>& map) {
    std::vector<unsigned char> copy = map;
    const bool done =
        XSetPointerMapping(FDisplay, copy.data(), static_cast<int>(copy.size())) == MappingSuccess;
    XSync(FDisplay, False);
    return done;
}
