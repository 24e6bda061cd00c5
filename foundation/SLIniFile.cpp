#include "foundation/SLIniFile.h"

#include "foundation/Exceptions.h"
#include "foundation/SLSysUtils.h"
#include "foundation/SafeFile.h"
#include "platform/system/TextFileEncoding.h"
#include "platform/system/TextRules.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string_view>

namespace {
constexpr std::string_view kLineEnd = "\r\n";

// Sections and keys are found in either case, as people write them in their own language.
std::string Fold(const std::string& name) {
    return platform::FoldCaseUnicode(name);
}

// A raw line break inside a name or a value would split its line in the file and
// let the rest pass for another entry or a section header; it is written as a blank.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

std::optional<int> ParseInteger(std::string_view text) {
    text = platform::TrimBlanks(text);
    int base = 10;
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > UINT32_MAX)
        return std::nullopt;
    return static_cast<int>(static_cast<std::int64_t>(value) & 0xFFFFFFFF);
}
} // namespace

TSLMemIniFile::TSLMemIniFile(std::string fileName) : FileName_(std::move(fileName)) {
    if (FileName_.empty())
        return;
    const std::optional<std::string> bytes = ReadSavedFile(FileName_, kMaxLanguageFileBytes);
    if (bytes)
        SetText(platform::DecodeTextFileBytes(*bytes));
}

const TSLMemIniFile::TSection* TSLMemIniFile::FindSection(const std::string& section) const {
    const auto found = SectionIndex_.find(Fold(section));
    return found == SectionIndex_.end() ? nullptr : &Sections_[found->second];
}

TSLMemIniFile::TSection* TSLMemIniFile::FindSection(const std::string& section) {
    return const_cast<TSection*>(std::as_const(*this).FindSection(section));
}

TSLMemIniFile::TSection& TSLMemIniFile::FindOrAddSection(const std::string& section) {
    const auto [found, added] = SectionIndex_.try_emplace(Fold(section), Sections_.size());
    if (added)
        Sections_.push_back(TSection{section, {}, {}});
    return Sections_[found->second];
}

const TSLMemIniFile::TEntry* TSLMemIniFile::FindEntry(const TSection& section,
                                                      const std::string& key) {
    const auto found = section.KeyIndex.find(Fold(key));
    return found == section.KeyIndex.end() ? nullptr : &section.Entries[found->second];
}

void TSLMemIniFile::AddEntry(TSection& section, const std::string& key, const std::string& value) {
    section.KeyIndex.emplace(Fold(key), section.Entries.size());
    section.Entries.push_back(TEntry{key, value});
}

std::string TSLMemIniFile::ReadString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
    const TSection* s = FindSection(section);
    const TEntry* e = s ? FindEntry(*s, key) : nullptr;
    return e ? e->Value : defaultValue;
}

void TSLMemIniFile::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
    TSection& s = FindOrAddSection(section);
    if (auto* e = const_cast<TEntry*>(FindEntry(s, key)))
        e->Value = value;
    else
        AddEntry(s, key, value);
}

bool TSLMemIniFile::ReadBool(const std::string& section, const std::string& key,
                             bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TSLMemIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

int TSLMemIniFile::ReadInteger(const std::string& section, const std::string& key,
                               int defaultValue) const {
    const TSection* s = FindSection(section);
    const TEntry* e = s ? FindEntry(*s, key) : nullptr;
    if (!e)
        return defaultValue;
    return ParseInteger(e->Value).value_or(defaultValue);
}

void TSLMemIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

bool TSLMemIniFile::SectionExists(const std::string& section) const {
    return FindSection(section) != nullptr;
}

bool TSLMemIniFile::ValueExists(const std::string& section, const std::string& key) const {
    const TSection* s = FindSection(section);
    return s && FindEntry(*s, key);
}

std::vector<std::string> TSLMemIniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const TSection& s : Sections_)
        names.push_back(s.Name);
    return names;
}

std::vector<std::string> TSLMemIniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> keys;
    if (const TSection* s = FindSection(section))
        for (const TEntry& e : s->Entries)
            keys.push_back(e.Key);
    return keys;
}

void TSLMemIniFile::EraseSection(const std::string& section) {
    const auto found = SectionIndex_.find(Fold(section));
    if (found == SectionIndex_.end())
        return;
    const std::size_t erased = found->second;
    SectionIndex_.erase(found);
    Sections_.erase(Sections_.begin() + static_cast<std::ptrdiff_t>(erased));
    for (auto& [name, position] : SectionIndex_)
        if (position > erased)
            --position;
}

std::string TSLMemIniFile::GetText() const {
    std::string text;
    for (const TSection& s : Sections_) {
        text.append("[").append(OneLine(s.Name)).append("]").append(kLineEnd);
        for (const TEntry& e : s.Entries)
            text.append(OneLine(e.Key)).append("=").append(OneLine(e.Value)).append(kLineEnd);
        text.append(kLineEnd);
    }
    return text;
}

// Hand-edited files may repeat a section or a key: a repeated section continues the
// first one, and the first value of a repeated key is the one that counts. A line
// without "=" inside a section carries nothing and is dropped.
void TSLMemIniFile::SetText(const std::string& text) {
    Sections_.clear();
    SectionIndex_.clear();
    TSection* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const platform::TIniLine line =
            platform::ParseIniLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
        // Only a line that is "[" ... "]" as a whole begins a section.
        if (line.Kind == platform::TIniLine::Section && line.ClosedAtEnd)
            current = &FindOrAddSection(std::string(line.Name));
        else if (current && line.Kind == platform::TIniLine::Entry &&
                 !FindEntry(*current, std::string(line.Name)))
            AddEntry(*current, std::string(line.Name), std::string(line.Value));
    }
}

void TSLMemIniFile::UpdateFile() const {
    // Replaced as a whole: a failed write (a full disk) leaves the old file as it was.
    // UTF-16 takes up to twice the bytes of the text that was read, so a file that would no
    // longer be read is not written.
    const std::string bytes = platform::EncodeUtf16LeWithBom(GetText());
    CheckWithinReadLimit(FileName_, bytes.size(), kMaxLanguageFileBytes);
    ReplaceFileContent(FileName_, bytes);
}
