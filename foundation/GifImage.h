#pragma once
// A GIF picture in memory, read and written by giflib. All frames are kept so that saving
// gives back the whole animation; drawing shows the first frame on the logical screen,
// its transparent colour left untouched.

#include "platform/pictures/VclPicture.h"
#include "platform/widgets/VclGraphics.h"

#include <iosfwd>
#include <memory>
#include <string>

struct GifFileType;

class TGIFImage : public TGraphic {
public:
    TGIFImage();
    ~TGIFImage() override;

    // Fails with EInvalidGraphic (the file name as message) when giflib cannot read it.
    void LoadFromFile(const std::string& fileName);
    // The pictures as giflib encodes them; nothing for an image that was never loaded.
    void SaveToStream(std::ostream& stream) const;

    int FrameCount() const;
    // Whether the first frame has a graphic control extension with its Transparent flag set.
    bool FirstFrameTransparent() const;
    // The first frame's transparent colour as a window colour (red in the low byte).
    TColor FirstFrameTransparentColor() const;

    // The logical screen.
    int Width() const override;
    int Height() const override;
    // The first frame on the logical screen: its transparent pixels, and everything the
    // frame does not cover, have alpha 0.
    std::unique_ptr<TGPBitmap> Rendered() const override;

private:
    struct TGifCloser {
        void operator()(GifFileType* gif) const;
    };
    std::unique_ptr<GifFileType, TGifCloser> FGif;
};
