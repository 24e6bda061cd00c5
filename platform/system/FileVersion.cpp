#include "platform/system/FileVersion.h"

#include <array>
#include <cstring>
#include <fstream>
#include <vector>

namespace platform {
namespace {
constexpr std::size_t kIdentSize = 16;
constexpr std::array<unsigned char, 4> kElfMagic{0x7F, 'E', 'L', 'F'};
constexpr unsigned char kClass32 = 1;
constexpr unsigned char kClass64 = 2;
constexpr unsigned char kLittleEndian = 1;
constexpr unsigned char kBigEndian = 2;
constexpr std::uint32_t kSectionTypeNote = 7;
constexpr std::size_t kNoteHeaderSize = 12;
constexpr std::size_t kVersionDescSize = 8;
// Section tables and notes beyond these sizes are not ours; refuse them rather than allocate.
constexpr std::uint64_t kMaxSectionCount = 65535;
constexpr std::uint64_t kMaxNoteSectionSize = 1 << 20;

// A file opened for random reads, with the ELF file's byte order.
class TElfReader {
public:
    explicit TElfReader(const std::string& fileName) : FFile(fileName, std::ios::binary) {}

    bool ReadIdent() {
        std::array<unsigned char, kIdentSize> ident{};
        if (!ReadBytes(0, ident.data(), ident.size()))
            return false;
        if (!std::equal(kElfMagic.begin(), kElfMagic.end(), ident.begin()))
            return false;
        FIs64 = ident[4] == kClass64;
        FBigEndian = ident[5] == kBigEndian;
        return (ident[4] == kClass32 || ident[4] == kClass64) &&
               (ident[5] == kLittleEndian || ident[5] == kBigEndian);
    }

    bool Is64() const { return FIs64; }

    bool ReadBytes(std::uint64_t offset, void* out, std::size_t size) {
        if (!FFile)
            return false;
        FFile.clear();
        FFile.seekg(static_cast<std::streamoff>(offset));
        FFile.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
        return FFile.gcount() == static_cast<std::streamsize>(size);
    }

    // Unsigned value of 2, 4 or 8 bytes at offset.
    std::optional<std::uint64_t> ReadUnsigned(std::uint64_t offset, std::size_t size) {
        std::array<unsigned char, 8> bytes{};
        if (!ReadBytes(offset, bytes.data(), size))
            return std::nullopt;
        return Decode(bytes.data(), size);
    }

    std::uint64_t Decode(const unsigned char* bytes, std::size_t size) const {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t index = FBigEndian ? i : size - 1 - i;
            value = (value << 8) | bytes[index];
        }
        return value;
    }

private:
    std::ifstream FFile;
    bool FIs64 = false;
    bool FBigEndian = false;
};

struct TSection {
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

// Field offsets of the ELF header and section header for the file's class.
struct TLayout {
    std::uint64_t SectionTableOffsetAt, EntrySizeAt, CountAt;
    std::size_t AddressSize;
    std::uint64_t TypeAt, OffsetAt, SizeAt;
};
constexpr TLayout kLayout32{0x20, 0x2E, 0x30, 4, 0x04, 0x10, 0x14};
constexpr TLayout kLayout64{0x28, 0x3A, 0x3C, 8, 0x04, 0x18, 0x20};

std::vector<TSection> ReadSections(TElfReader& elf) {
    const TLayout& layout = elf.Is64() ? kLayout64 : kLayout32;
    const auto tableOffset = elf.ReadUnsigned(layout.SectionTableOffsetAt, layout.AddressSize);
    const auto entrySize = elf.ReadUnsigned(layout.EntrySizeAt, 2);
    const auto count = elf.ReadUnsigned(layout.CountAt, 2);
    std::vector<TSection> sections;
    if (!tableOffset || !entrySize || !count || *tableOffset == 0 || *count > kMaxSectionCount)
        return sections;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const std::uint64_t entry = *tableOffset + i * *entrySize;
        const auto type = elf.ReadUnsigned(entry + layout.TypeAt, 4);
        const auto offset = elf.ReadUnsigned(entry + layout.OffsetAt, layout.AddressSize);
        const auto size = elf.ReadUnsigned(entry + layout.SizeAt, layout.AddressSize);
        if (!type || !offset || !size)
            break;
        sections.push_back({static_cast<std::uint32_t>(*type), *offset, *size});
    }
    return sections;
}

std::uint64_t AlignedTo4(std::uint64_t size) {
    return (size + 3) & ~std::uint64_t{3};
}

std::optional<TFileVersion> FindVersionNote(TElfReader& elf, const TSection& section) {
    if (section.Size > kMaxNoteSectionSize)
        return std::nullopt;
    std::vector<unsigned char> data(static_cast<std::size_t>(section.Size));
    if (!elf.ReadBytes(section.Offset, data.data(), data.size()))
        return std::nullopt;
    const std::size_t ownerSize = sizeof kVersionNoteOwner; // with its NUL
    std::uint64_t at = 0;
    while (at + kNoteHeaderSize <= data.size()) {
        const std::uint64_t nameSize = elf.Decode(&data[at], 4);
        const std::uint64_t descSize = elf.Decode(&data[at + 4], 4);
        const std::uint64_t type = elf.Decode(&data[at + 8], 4);
        const std::uint64_t nameAt = at + kNoteHeaderSize;
        const std::uint64_t descAt = nameAt + AlignedTo4(nameSize);
        const std::uint64_t next = descAt + AlignedTo4(descSize);
        if (next > data.size())
            break;
        if (type == kVersionNoteType && nameSize == ownerSize && descSize == kVersionDescSize &&
            std::memcmp(&data[nameAt], kVersionNoteOwner, ownerSize) == 0) {
            TFileVersion version;
            version.Major = static_cast<std::uint16_t>(elf.Decode(&data[descAt], 2));
            version.Minor = static_cast<std::uint16_t>(elf.Decode(&data[descAt + 2], 2));
            version.Release = static_cast<std::uint16_t>(elf.Decode(&data[descAt + 4], 2));
            version.Build = static_cast<std::uint16_t>(elf.Decode(&data[descAt + 6], 2));
            return version;
        }
        at = next;
    }
    return std::nullopt;
}
} // namespace

std::optional<TFileVersion> ReadFileVersion(const std::string& fileName) {
    TElfReader elf(fileName);
    if (!elf.ReadIdent())
        return std::nullopt;
    for (const TSection& section : ReadSections(elf))
        if (section.Type == kSectionTypeNote)
            if (auto version = FindVersionNote(elf, section))
                return version;
    return std::nullopt;
}

} // namespace platform
