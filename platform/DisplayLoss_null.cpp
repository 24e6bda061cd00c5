#include "platform/DisplayLoss.h"

namespace platform {

// Without X11 there is no connection of ours to watch.
void EndEventLoopOnDisplayLoss() {}

} // namespace platform
