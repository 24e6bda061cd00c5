#pragma once
// Reading one value of a small settings file (INI text) the way the desktop's profile
// functions do: section and key names match without regard to letter case, the value
// is trimmed and loses one pair of enclosing quotation marks, and the result is cut to
// the caller's buffer size less one character for the terminator.

#include <string>

namespace platform {

constexpr int kDefaultProfileBufferSize = 2048;

// The value, or defaultValue when the file, the section or the key is missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName,
                                    int bufferSize = kDefaultProfileBufferSize);

} // namespace platform
