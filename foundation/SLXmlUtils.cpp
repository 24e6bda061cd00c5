#include "foundation/SLXmlUtils.h"

#include "foundation/Exceptions.h"
#include "platform/system/TextRules.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace {
constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
constexpr std::string_view kLineEnd = "\r\n";
constexpr int kIndentPerLevel = 2;
// Entities and CDATA are decoded, but line breaks and tabs in values stay as they were
// written: the writer escapes only the five markup characters, so a text holding a line
// break must come back with that line break rather than a space.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes;
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask
constexpr const char* kCreateErrorFmt = "Cannot create file \"%s\". %s";
constexpr const char* kWriteErrorFmt = "Cannot write file \"%s\". %s";
constexpr const char* kParseErrorFmt = "XML parse error at offset %lld: %s";

bool IsText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

void PrintElement(pugi::xml_node element, int level, bool isDocumentElement, std::string& out) {
    const std::string indent(static_cast<std::size_t>(level * kIndentPerLevel), ' ');
    out += indent;
    out += '<';
    out += element.name();
    for (pugi::xml_attribute attribute : element.attributes()) {
        out += ' ';
        out += attribute.name();
        out += "=\"";
        out += TSLXmlfn::Escape(attribute.value());
        out += '"';
    }
    bool hasChildElements = false;
    std::string text;
    for (pugi::xml_node child : element.children()) {
        if (child.type() == pugi::node_element)
            hasChildElements = true;
        else if (IsText(child))
            text += child.value();
    }
    if (hasChildElements) {
        out += '>';
        out += kLineEnd;
        for (pugi::xml_node child : element.children())
            if (child.type() == pugi::node_element)
                PrintElement(child, level + 1, false, out);
        out += indent;
    } else if (!text.empty()) {
        out += '>';
        out += TSLXmlfn::Escape(text);
    } else if (isDocumentElement) {
        out += '>';
    } else {
        out += "/>";
        out += kLineEnd;
        return;
    }
    out += "</";
    out += element.name();
    out += '>';
    out += kLineEnd;
}
} // namespace

bool TSLXmlfn::Parse(std::istream& stream, pugi::xml_document& document) {
    const std::string data{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    const pugi::xml_parse_result result =
        document.load_buffer(data.data(), data.size(), kParseOptions, pugi::encoding_auto);
    if (result.status == pugi::status_no_document_element)
        return false;
    if (!result)
        throw EXmlParseError(FormatMessage(kParseErrorFmt, static_cast<long long>(result.offset),
                                           result.description()));
    return true;
}

std::string TSLXmlfn::ToText(const pugi::xml_document& document) {
    std::string out;
    out += kDeclaration;
    out += kLineEnd;
    if (pugi::xml_node root = document.document_element())
        PrintElement(root, 0, true, out);
    return out;
}

void TSLXmlfn::Print(const pugi::xml_document& document, std::ostream& stream) {
    const std::string text = ToText(document);
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void TSLXmlfn::WriteFile(const std::string& fileName, const std::string& text) {
    const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        throw EFCreateError(FormatMessage(kCreateErrorFmt, fileName.c_str(), std::strerror(errno)));
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            throw EInOutError(
                FormatMessage(kWriteErrorFmt, fileName.c_str(), std::strerror(error)));
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        throw EInOutError(FormatMessage(kWriteErrorFmt, fileName.c_str(), std::strerror(errno)));
}

pugi::xml_node TSLXmlfn::ChildByName(pugi::xml_node element, const std::string& name) {
    for (pugi::xml_node child : element.children())
        if (child.type() == pugi::node_element && platform::SameTextAscii(child.name(), name))
            return child;
    return {};
}

pugi::xml_attribute TSLXmlfn::AttributeByName(pugi::xml_node element, const std::string& name) {
    for (pugi::xml_attribute attribute : element.attributes())
        if (platform::SameTextAscii(attribute.name(), name))
            return attribute;
    return {};
}

void TSLXmlfn::SetAttribute(pugi::xml_node element, const std::string& name,
                            const std::string& value) {
    pugi::xml_attribute attribute = AttributeByName(element, name);
    if (!attribute)
        attribute = element.append_attribute(name.c_str());
    attribute.set_value(value.c_str());
}

void TSLXmlfn::RemoveChildElements(pugi::xml_node element) {
    for (pugi::xml_node child = element.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_element)
            element.remove_child(child);
        child = next;
    }
}

std::string TSLXmlfn::Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}
