#pragma once
// A Windows metafile as a drawing image. No metafile decoder exists on this platform, so a
// metafile never becomes usable: it is an image without pixels whose status is
// UnknownImageFormat. Callers take their failure path (see the README).

#include "platform/GPImage.h"

#include <istream>
#include <memory>
#include <string>

class TGPMetafile : public TGPImage {
public:
    explicit TGPMetafile(const std::string& fileName);
    static std::unique_ptr<TGPMetafile> FromStream(std::istream& stream);

private:
    TGPMetafile();
};
