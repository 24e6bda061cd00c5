#pragma once
// TSLMemIniFile: a whole INI file held in memory, read once when opened and written
// back only by UpdateFile. Lines are trimmed of blanks and control characters, section
// and key names match without regard to letter case, new sections and keys are
// appended in the order they are first written, and an erased section that is written
// again goes to the end. The file is read in any of the encodings that
// platform/system/TextFileEncoding.h accepts and always written as UTF-16 LE with a mark.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// The largest file TSLMemIniFile reads: every text of the program in many languages is a
// few megabytes as UTF-16, so only a damaged or hostile file comes near this.
inline constexpr std::size_t kMaxLanguageFileBytes = 16 * 1024 * 1024;

class TSLMemIniFile {
public:
    // Loads the file when it exists; a missing file, an empty name or a file that is no
    // regular file (a device, a FIFO) gives an empty image. A file that exists but cannot
    // be read raises EFOpenError, one of more than kMaxLanguageFileBytes EFileTooLarge.
    explicit TSLMemIniFile(std::string fileName);

    const std::string& FileName() const { return FileName_; }

    // The stored text (possibly empty) when the key is present, else defaultValue.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Replaces the value when the key exists, else appends the key (and the section).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // A stored integer, non-zero meaning true; the default when absent or not a number.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);
    // Decimal or "$"-prefixed hexadecimal; the default when absent or not a number.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    void WriteInteger(const std::string& section, const std::string& key, int value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(const std::string& section) const; // its keys
    void EraseSection(const std::string& section);

    // The image in file form (CR LF line ends, one empty line after each section).
    std::string GetText() const;
    // Replaces the image by parsed INI text (UTF-8).
    void SetText(const std::string& text);

    // Writes the whole image to FileName, replacing the file safely (ReplaceFileContent);
    // raises EFCreateError when the file cannot be written or the image would be more than
    // kMaxLanguageFileBytes, and the old file stays.
    void UpdateFile() const;

private:
    // Names are looked up through their case-folded form, so that loading a file and
    // every read and write take time in proportion to the names, not to the file.
    using TNameIndex = std::unordered_map<std::string, std::size_t>;
    struct TEntry {
        std::string Key;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries; // in the order they were first written
        TNameIndex KeyIndex;         // folded key -> position in Entries
    };

    const TSection* FindSection(const std::string& section) const;
    TSection* FindSection(const std::string& section);
    TSection& FindOrAddSection(const std::string& section);
    static const TEntry* FindEntry(const TSection& section, const std::string& key);
    static void AddEntry(TSection& section, const std::string& key, const std::string& value);

    std::string FileName_;
    std::vector<TSection> Sections_; // in the order they were first written
    TNameIndex SectionIndex_;        // folded name -> position in Sections_
};
