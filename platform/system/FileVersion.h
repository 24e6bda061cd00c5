#pragma once
// The version record that the build stamps into our executables: an ELF note (owner "Tarsel",
// type kVersionNoteType) whose description holds the four 16-bit version parts, in the byte
// order of the file. Our stand-in for a Windows version resource.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

inline constexpr char kVersionNoteOwner[] = "Tarsel";
inline constexpr std::uint32_t kVersionNoteType = 0x31524556; // "VER1" read as little-endian

struct TFileVersion {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
};

// The record of the file, or nothing when the file is missing, is no ELF file, or carries no
// record. Damaged files are read defensively: no offset is trusted before it is checked.
std::optional<TFileVersion> ReadFileVersion(const std::string& fileName);

} // namespace platform
