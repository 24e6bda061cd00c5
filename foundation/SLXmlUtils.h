#pragma once
// The XML text of saved files: parsing into a pugixml document, and our own printer for the
// exact output form (declaration line, two-space indentation, CR LF after every line, childless
// elements closed in their start tag except the document element). Element and attribute names
// are matched without regard to letter case, first match winning.

#include <iosfwd>
#include <pugixml.hpp>
#include <string>

class TSLXmlfn {
public:
    TSLXmlfn() = delete;

    // Parses the stream from its current position to its end. Returns false for a well-formed
    // text without a document element; a malformed one fails with EXmlParseError.
    static bool Parse(std::istream& stream, pugi::xml_document& document);
    static void Print(const pugi::xml_document& document, std::ostream& stream);
    static std::string ToText(const pugi::xml_document& document);
    // Creates or empties the file and writes the text; EFCreateError / EInOutError on failure.
    static void WriteFile(const std::string& fileName, const std::string& text);

    // The first child element / attribute of that name, empty when there is none.
    static pugi::xml_node ChildByName(pugi::xml_node element, const std::string& name);
    static pugi::xml_attribute AttributeByName(pugi::xml_node element, const std::string& name);
    // Replaces the value of an attribute of that name (keeping its spelling), else appends one.
    static void SetAttribute(pugi::xml_node element, const std::string& name,
                             const std::string& value);
    // Removes the child elements; attributes stay.
    static void RemoveChildElements(pugi::xml_node element);
    // The five escapes of attribute values and element text, "&" first.
    static std::string Escape(const std::string& text);
};
