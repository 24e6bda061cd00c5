#include "platform/desktop/X11ErrorTrap.h"

namespace platform {
namespace {

// The innermost trap in scope; Xlib's error handler takes no data of its own.
TX11ErrorTrap* Innermost = nullptr;

} // namespace

TX11ErrorTrap::TX11ErrorTrap(Display* display)
    : FDisplay(display), FFirstRequest(NextRequest(display)), FOuter(Innermost) {
    if (!FOuter)
        FPrevious = XSetErrorHandler(&TX11ErrorTrap::OnError);
    Innermost = this;
}

TX11ErrorTrap::~TX11ErrorTrap() {
    CatchUp();
    Innermost = FOuter;
    if (!FOuter)
        XSetErrorHandler(FPrevious);
}

bool TX11ErrorTrap::Failed() {
    CatchUp();
    return FFailed;
}

void TX11ErrorTrap::CatchUp() const {
    // Every error of a request comes before the answer to any later one.
    if (LastKnownRequestProcessed(FDisplay) + 1 < NextRequest(FDisplay))
        XSync(FDisplay, False);
}

int TX11ErrorTrap::OnError(Display* display, XErrorEvent* error) {
    TX11ErrorTrap* outermost = nullptr;
    for (TX11ErrorTrap* trap = Innermost; trap; trap = trap->FOuter) {
        // An error of a request made before the scope, read only now, is not ours.
        if (trap->FDisplay == display && error->serial >= trap->FFirstRequest) {
            trap->FFailed = true;
            return 0;
        }
        outermost = trap;
    }
    return outermost && outermost->FPrevious ? outermost->FPrevious(display, error) : 0;
}

} // namespace platform
