#pragma once
// The rules by which the program's text formats compare, trim and split 8-bit text
// (UTF-8 or the code page's bytes). Each format names the rule it follows:
//   ASCII case    - only the letters A to Z and a to z are alike in either case: names a
//                   format defines (XML element and class names, file extensions, HTTP
//                   header values), whatever bytes stand beside them.
//   Unicode case  - Qt's case folding of the UTF-8 text: names that people write in their
//                   own language (font families, INI sections and keys, folder names).

#include <string>
#include <string_view>

namespace platform {

bool SameTextAscii(std::string_view a, std::string_view b);
// Negative, zero or positive as a sorts before, with or after b, byte by byte once
// upper-cased: digits (0x30..) before letters (0x41..), "_" (0x5F) after them.
int CompareTextAscii(std::string_view a, std::string_view b);
std::string UpperCaseAscii(std::string text);
std::string LowerCaseAscii(std::string text);

bool SameTextUnicode(std::string_view a, std::string_view b);
// Negative, zero or positive as a sorts before, with or after b.
int CompareTextUnicode(std::string_view a, std::string_view b);
// The one spelling of all the names that SameTextUnicode holds alike, for keys of a lookup.
std::string FoldCaseUnicode(std::string_view text);

// Without the blanks and control characters (every byte up to ' ') at either end, as
// hand-edited INI files are read.
std::string_view TrimBlanks(std::string_view text);

// Every occurrence of from (not empty) replaced by to, from left to right; what to brings
// in is never replaced again.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// One line of an INI file, trimmed: "[Section]", "Name=Value", a comment (";...") or
// anything else. A line that begins with "[" is a section header, never an entry; its name
// ends at the "]" that ends the line, or else at the first "]" (or the line's end). Which
// of these it is is told apart, for readers that take only the first as a header.
struct TIniLine {
    enum TKind { Empty, Comment, Section, Entry, Other };
    TKind Kind = Empty;
    std::string_view Name;    // a section's or an entry's, trimmed
    std::string_view Value;   // an entry's, trimmed
    bool ClosedAtEnd = false; // "[" ... "]" is the whole line
};
TIniLine ParseIniLine(std::string_view line);

} // namespace platform
