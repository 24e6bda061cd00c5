// The image gather's side stream: a block (BlockSize, then records of a 170-byte header and
// DataSize bytes of picture) that a description is looked up in by its GUID. Whatever the
// stream holds, reading must end, allocate no more than the stream holds and leave the
// description a picture, the shell icon or as it was.
//
// Input: one byte choosing the description's FileExt (the format its record's bytes are read
// in), then the side stream. The description's GUID is SeedGuid, which the seed records carry.

#include "FuzzSupport.h"
#include "foundation/SLGDIPImage.h"

#include <array>
#include <cstdint>
#include <sstream>

namespace {

constexpr const char* SeedGuid = "{6F1C0B52-3E0A-4C4B-9D3E-7B2A41F0C9D1}";
constexpr std::array<const char*, 6> Extensions{".PNG", ".GIF", ".wmf", ".BMP", ".ICO", ""};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenQt();
    fuzz::UsePrivateTempFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    TSLImageEx image;
    image.GUID = SeedGuid;
    image.FileExt = Extensions[data[0] % Extensions.size()];
    std::istringstream sideStream(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    TSLImageExGather gather;
    gather.SetSideStream(&sideStream, 0);
    try {
        gather.ReadImage(image);
    } catch (const std::exception&) {
        // Reading pictures from a damaged stream may fail; the caller's loader drops it.
    }
    return 0;
}
