// The watcher for builds without X11 and XInput 2: the desktop cannot be watched.
#include "platform/MouseWatcher.h"

#include <cstdio>

namespace platform {

std::unique_ptr<MouseWatcher> StartMouseWatcher(TMouseWatchHandler, TMouseWatchHoldQuery) {
    static bool told = false;
    if (!told) {
        told = true;
        std::fputs("Cursor snapping is not available: this build cannot watch the mouse "
                   "outside its own window.\n",
                   stderr);
    }
    return nullptr;
}

void FollowProgramPointerMove(QPoint) {}

} // namespace platform
