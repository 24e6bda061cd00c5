#pragma once
// Private clipboard formats. On this platform a clipboard format is a name; registering
// the name hands out a 16-bit id for it, the same id for the same name (letter case
// ignored) for the life of the process. Ids of registered formats start at 0xC000.

#include <cstdint>
#include <string>

namespace platform {

// 0 for an empty name.
std::uint16_t RegisterClipboardFormat(const std::string& name);
// The name registered under id; empty when id was never handed out.
std::string GetClipboardFormatName(std::uint16_t id);

} // namespace platform
