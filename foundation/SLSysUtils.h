#pragma once
// Stateless helpers grouped by name: TSLStrfn (text) and TSLSysfn (system services).
// 8-bit strings are UTF-8 throughout.

#include <string>
#include <vector>

class TSLStrfn {
public:
    TSLStrfn() = delete;

    // The six characters "#13#10" stand for a CR LF pair in one-line texts (language files).
    static std::string DecodeLineBreaks(const std::string& text);
    static std::string EncodeLineBreaks(const std::string& text);

    // File name without folder and extension: "C:\a\b.c.txt" -> "b.c". Both "\" and
    // ":" end the folder part, and so does "/", this platform's separator.
    static std::string ExtractFileNameNoExt(const std::string& fileName);

    // 0-based index of the first entry equal to text, -1 when none is. Without
    // caseSensitive only A-Z and a-z are folded; other characters must match exactly.
    static int IndexOfStr(const std::string& text, const std::vector<std::string>& list,
                          bool caseSensitive);

    // A new random GUID in registry form: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
    static std::string NewGuidString();
};
