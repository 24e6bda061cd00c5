#pragma once
// Private clipboard formats. On this platform a clipboard format is a name (carried on the
// clipboard as the MIME type ClipboardFormatMimeType gives); registering the name hands out
// a 16-bit id for it, the same id for the same name (letter case ignored) for the life of
// the process. Ids of registered formats start at 0xC000.

#include <cstdint>
#include <string>

namespace platform {

// 0 for an empty name.
std::uint16_t RegisterClipboardFormat(const std::string& name);
// The name registered under id; empty when id was never handed out.
std::string GetClipboardFormatName(std::uint16_t id);
// The MIME type under which data of a registered format travels; empty for an unknown id.
std::string ClipboardFormatMimeType(std::uint16_t id);

} // namespace platform
