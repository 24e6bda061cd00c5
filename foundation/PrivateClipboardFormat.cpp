#include "foundation/PrivateClipboardFormat.h"

#include "platform/pictures/ClipboardFormat.h"

namespace {
std::uint16_t FormatId = 0;
} // namespace

void RegisterPrivateClipboardFormat() {
    if (FormatId == 0)
        FormatId = platform::RegisterClipboardFormat(kPrivateClipboardFormatName);
}

std::uint16_t PrivateClipboardFormat() {
    return FormatId;
}
