#pragma once
// The system's millisecond tick: time since the machine started, wrapping at 2^32 ms
// (about 49.7 days).

#include <cstdint>

namespace platform {

std::uint32_t GetTickCount();

} // namespace platform
