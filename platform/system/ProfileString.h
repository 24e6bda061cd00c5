#pragma once
// Reading one value of a small settings file (INI text) the way the desktop's profile
// functions do: section and key names match without regard to letter case, the value
// is trimmed and loses one pair of enclosing quotation marks, and the result is cut to
// the caller's buffer size less one character for the terminator.

#include <cstddef>
#include <string>

namespace platform {

constexpr int kDefaultProfileBufferSize = 2048;
// The largest profile file read: the language folder's index is a few lines, so only a
// damaged or hostile file comes near this; a larger one holds no value.
constexpr std::size_t kMaxProfileFileBytes = 1024 * 1024;

// The value, or defaultValue when the file, the section or the key is missing, and when
// the file is no regular file, cannot be read or is larger than kMaxProfileFileBytes.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName,
                                    int bufferSize = kDefaultProfileBufferSize);

} // namespace platform
