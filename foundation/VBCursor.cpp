#include "foundation/VBCursor.h"

#include "platform/widgets/Cursor.h"

#include <memory>

namespace {
std::unique_ptr<TVBCursor> Instance;
} // namespace

TVBCursor::TVBCursor() {
    for (std::int16_t number = FirstCursor; number <= LastCursor; ++number)
        platform::SetScreenCursor(number, platform::LoadCursorResource(number));
}

TVBCursor::~TVBCursor() {
    for (std::int16_t number = FirstCursor; number <= LastCursor; ++number) {
        platform::HCURSOR cursor = platform::GetScreenCursor(number);
        platform::SetScreenCursor(number, nullptr);
        platform::DestroyCursor(cursor);
    }
}

TVBCursor& VBCursor() {
    if (!Instance)
        Instance = std::make_unique<TVBCursor>();
    return *Instance;
}

void FinalizeVBCursor() {
    Instance.reset();
}
