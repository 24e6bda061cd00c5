#pragma once
// A Windows metafile as a drawing image, played into pixels at 96 dots per inch when it is
// loaded. Plain and placeable Windows metafiles (.wmf) are played by libwmf; enhanced
// metafiles (.emf) have no player on this platform: such an image stays without pixels
// and its status is UnknownImageFormat, so that callers take their failure path.

#include "platform/graphics/GPImage.h"

#include <istream>
#include <memory>
#include <string>

class TGPMetafile : public TGPImage {
public:
    explicit TGPMetafile(const std::string& fileName);
    // Reads the metafile from the stream's present position to its end.
    static std::unique_ptr<TGPMetafile> FromStream(std::istream& stream);

private:
    TGPMetafile() = default;
    void Play(const std::string& bytes);
};
