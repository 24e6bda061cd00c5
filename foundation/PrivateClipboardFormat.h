#pragma once
// The program's private clipboard format, registered once at start-up under its GUID
// name. Nothing places data in it yet; the id is kept for whoever will.

#include <cstdint>

inline constexpr const char* kPrivateClipboardFormatName = "{CDDC60E2-1AA1-4D62-BA5F-0A5EE66A26CF}";

// Registers the format (start-up calls this before the instrument classes are
// registered); later calls keep the first id.
void RegisterPrivateClipboardFormat();
// The registered id, 0 before RegisterPrivateClipboardFormat.
std::uint16_t PrivateClipboardFormat();
