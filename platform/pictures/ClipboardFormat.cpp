#include "platform/pictures/ClipboardFormat.h"
#include "platform/system/TextRules.h"

#include <QString>
#include <vector>

namespace platform {
namespace {
constexpr std::uint16_t kFirstRegisteredFormat = 0xC000;
constexpr std::size_t kMaxRegisteredFormats = 0x10000 - kFirstRegisteredFormat;

// The process's registered format names; the index plus kFirstRegisteredFormat is the id.
std::vector<std::string>& RegisteredNames() {
    static std::vector<std::string> names;
    return names;
}

} // namespace

std::uint16_t RegisterClipboardFormat(const std::string& name) {
    if (name.empty())
        return 0;
    auto& names = RegisteredNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SameTextUnicode(names[i], name))
            return static_cast<std::uint16_t>(kFirstRegisteredFormat + i);
    if (names.size() >= kMaxRegisteredFormats)
        return 0;
    names.push_back(name);
    return static_cast<std::uint16_t>(kFirstRegisteredFormat + names.size() - 1);
}

std::string GetClipboardFormatName(std::uint16_t id) {
    const auto& names = RegisteredNames();
    if (id < kFirstRegisteredFormat || std::size_t(id - kFirstRegisteredFormat) >= names.size())
        return {};
    return names[id - kFirstRegisteredFormat];
}

} // namespace platform
