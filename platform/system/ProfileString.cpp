#include "platform/system/ProfileString.h"

#include "platform/system/RegularFileReader.h"
#include "platform/system/TextFileEncoding.h"
#include "platform/system/TextRules.h"

#include <optional>
#include <string_view>
#include <system_error>

namespace platform {
namespace {
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Cuts to at most maxChars characters, never inside a UTF-8 sequence.
std::string Truncate(std::string_view text, int maxChars) {
    if (maxChars <= 0)
        return {};
    std::size_t end = 0;
    for (int chars = 0; end < text.size() && chars < maxChars; ++chars) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return std::string(text.substr(0, end));
}

std::optional<std::string> FindValue(const std::string& text, const std::string& section,
                                     const std::string& key) {
    bool inSection = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const TIniLine line = ParseIniLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
        // Any line that begins with "[" starts a section, whatever follows its "]".
        if (line.Kind == TIniLine::Section)
            inSection = SameTextUnicode(line.Name, section);
        else if (inSection && line.Kind == TIniLine::Entry && SameTextUnicode(line.Name, key))
            return std::string(Unquote(line.Value));
    }
    return std::nullopt;
}
} // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName,
                                    int bufferSize) {
    const int maxChars = bufferSize - 1;
    std::optional<std::string> bytes;
    try {
        bytes = ReadRegularFile(fileName, kMaxProfileFileBytes);
    } catch (const std::system_error&) {
        // A file that cannot be read, or one too large for a profile, holds no value.
    }
    const std::optional<std::string> value =
        bytes ? FindValue(DecodeTextFileBytes(*bytes), section, key) : std::nullopt;
    return Truncate(value ? std::string_view(*value) : TrimBlanks(defaultValue), maxChars);
}

} // namespace platform
