#include "platform/ProfileString.h"

#include "platform/TextFileEncoding.h"

#include <QString>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

namespace platform {
namespace {
std::string_view Trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, const std::string& b) {
    return QString::fromUtf8(a.data(), qsizetype(a.size()))
               .compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

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
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        SameName(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inSection && equals != std::string_view::npos &&
            SameName(Trim(line.substr(0, equals)), key))
            return std::string(Unquote(Trim(line.substr(equals + 1))));
    }
    return std::nullopt;
}
} // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName,
                                    int bufferSize) {
    const int maxChars = bufferSize - 1;
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return Truncate(Trim(defaultValue), maxChars);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::optional<std::string> value = FindValue(DecodeTextFileBytes(bytes), section, key);
    return Truncate(value ? std::string_view(*value) : Trim(defaultValue), maxChars);
}

} // namespace platform
