#include "platform/system/TextRules.h"

#include <QString>

#include <algorithm>

namespace platform {
namespace {
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

int CompareTextAscii(std::string_view a, std::string_view b) {
    const auto less = [](char x, char y) {
        return static_cast<unsigned char>(UpperAscii(x)) <
               static_cast<unsigned char>(UpperAscii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less))
        return -1;
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less) ? 1 : 0;
}

std::string UpperCaseAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), UpperAscii);
    return text;
}

std::string LowerCaseAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
    return text;
}

bool SameTextUnicode(std::string_view a, std::string_view b) {
    return CompareTextUnicode(a, b) == 0;
}

int CompareTextUnicode(std::string_view a, std::string_view b) {
    return FromUtf8(a).compare(FromUtf8(b), Qt::CaseInsensitive);
}

std::string FoldCaseUnicode(std::string_view text) {
    return FromUtf8(text).toCaseFolded().toStdString();
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t hit; (hit = text.find(from, start)) != std::string_view::npos;
         start = hit + from.size()) {
        result.append(text.substr(start, hit - start));
        result.append(to);
    }
    result.append(text.substr(start));
    return result;
}

TIniLine ParseIniLine(std::string_view line) {
    line = TrimBlanks(line);
    TIniLine parsed;
    if (line.empty())
        return parsed;
    if (line.front() == ';') {
        parsed.Kind = TIniLine::Comment;
        return parsed;
    }
    if (line.front() == '[') {
        parsed.ClosedAtEnd = line.size() >= 2 && line.back() == ']';
        const std::size_t close = parsed.ClosedAtEnd ? line.size() - 1 : line.find(']');
        parsed.Kind = TIniLine::Section;
        parsed.Name = TrimBlanks(line.substr(1, close - 1));
        return parsed;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        parsed.Kind = TIniLine::Other;
        return parsed;
    }
    parsed.Kind = TIniLine::Entry;
    parsed.Name = TrimBlanks(line.substr(0, equals));
    parsed.Value = TrimBlanks(line.substr(equals + 1));
    return parsed;
}

} // namespace platform
