#include "platform/desktop/XTestPointer_x11.h"

#include <X11/extensions/XTest.h>

namespace platform {

bool TXTestPointer::IsAvailable(Display* display) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    return XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
}

void TXTestPointer::MoveTo(QPoint screenPos) {
    FRequests.push_back(NextRequest(FDisplay));
    XTestFakeMotionEvent(FDisplay, -1, screenPos.x(), screenPos.y(), CurrentTime);
}

void TXTestPointer::Button(unsigned int button, bool press) {
    FRequests.push_back(NextRequest(FDisplay));
    XTestFakeButtonEvent(FDisplay, button, press ? True : False, CurrentTime);
}

bool TXTestPointer::IsOwn(unsigned long serial) {
    // A request of ours whose event went by unseen (the server made none) is behind us.
    while (!FRequests.empty() && FRequests.front() < serial)
        FRequests.pop_front();
    if (FRequests.empty() || FRequests.front() != serial)
        return false;
    FRequests.pop_front();
    return true;
}

} // namespace platform
