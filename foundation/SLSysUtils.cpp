#include "foundation/SLSysUtils.h"

#include <QUuid>

namespace {
constexpr std::string_view kEscapedLineBreak = "#13#10";
constexpr std::string_view kLineBreak = "\r\n";

std::string ReplaceAll(const std::string& text, std::string_view from, std::string_view to) {
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t hit; (hit = text.find(from, start)) != std::string::npos;
         start = hit + from.size()) {
        result.append(text, start, hit - start);
        result.append(to);
    }
    result.append(text, start);
    return result;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualAsciiNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}
} // namespace

std::string TSLStrfn::DecodeLineBreaks(const std::string& text) {
    return ReplaceAll(text, kEscapedLineBreak, kLineBreak);
}

std::string TSLStrfn::EncodeLineBreaks(const std::string& text) {
    return ReplaceAll(text, kLineBreak, kEscapedLineBreak);
}

std::string TSLStrfn::ExtractFileNameNoExt(const std::string& fileName) {
    const std::size_t folderEnd = fileName.find_last_of("\\:/");
    std::string name = folderEnd == std::string::npos ? fileName : fileName.substr(folderEnd + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

int TSLStrfn::IndexOfStr(const std::string& text, const std::vector<std::string>& list,
                         bool caseSensitive) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (caseSensitive ? list[i] == text : EqualAsciiNoCase(list[i], text))
            return static_cast<int>(i);
    }
    return -1;
}

std::string TSLStrfn::NewGuidString() {
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper().toStdString();
}
