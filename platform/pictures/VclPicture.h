#pragma once
// Pictures of the window layer: a graphic has a size and can render itself as a 32-bit
// ARGB bitmap (straight alpha), which is what drawing it on a canvas at (0, 0) leaves on a
// transparent surface. TBitmap is a picture in memory, TIcon an icon, TMetafile the bytes
// of a Windows metafile, TPicture a graphic loaded from a file by its extension.

#include "platform/graphics/GPImage.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

class TGraphic {
public:
    TGraphic() = default;
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // The graphic's pixels in 32-bit ARGB, Width x Height; empty for an empty graphic.
    virtual std::unique_ptr<TGPBitmap> Rendered() const = 0;
};

enum class TPixelFormatVcl { pf24bit, pf32bit };

class TBitmap : public TGraphic {
public:
    struct TImpl;

    TBitmap();
    ~TBitmap() override;

    int Width() const override;
    int Height() const override;
    // A new size keeps the pixels that still fit; new pixels are transparent black in
    // 32 bits, opaque black in 24 bits.
    void SetSize(int width, int height);
    TPixelFormatVcl PixelFormat() const;
    // 24 to 32 bits makes every pixel opaque; 32 to 24 drops the alpha.
    void SetPixelFormat(TPixelFormatVcl format);

    // Draws the graphic with its top-left corner at (x, y), blended over what is there.
    void Draw(int x, int y, const TGraphic& graphic);
    // Takes width, height and pixels of the bitmap; the format becomes 32 bits.
    void Assign(const TGPBitmap& pixels);

    std::unique_ptr<TGPBitmap> Rendered() const override;

    TImpl& Native() { return *FImpl; }
    const TImpl& Native() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};

// An icon in one size. Without a handle (HandleAllocated false) it is empty.
class TIcon : public TGraphic {
public:
    struct TImpl;

    TIcon();
    ~TIcon() override;

    int Width() const override;
    int Height() const override;
    bool HandleAllocated() const;
    // Writes the icon in the .ico file format; nothing for an icon without a handle.
    void SaveToStream(std::ostream& stream) const;

    std::unique_ptr<TGPBitmap> Rendered() const override;

    TImpl& Native() { return *FImpl; }
    const TImpl& Native() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};

// A Windows metafile held as its bytes, drawn as its picture at 96 dots per inch (see
// TGPMetafile: enhanced metafiles have no player here and stay 0 x 0).
class TMetafile : public TGraphic {
public:
    // An enhanced metafile (.emf) unless the bytes are a placeable or plain Windows
    // metafile (.wmf).
    bool Enhanced() const { return FEnhanced; }
    const std::string& Bytes() const { return FBytes; }
    void SetBytes(std::string bytes);
    void SaveToStream(std::ostream& stream) const;

    int Width() const override;
    int Height() const override;
    std::unique_ptr<TGPBitmap> Rendered() const override;

private:
    std::string FBytes;
    bool FEnhanced = true;
    std::unique_ptr<TGPBitmap> FPicture = std::make_unique<TGPBitmap>();
};

// A graphic loaded from a file by the registered picture format that claims its extension.
class TPicture {
public:
    // False when no registered format claims the extension or the file cannot be decoded;
    // the picture then holds no graphic.
    bool LoadFromFile(const std::string& fileName);
    const TGraphic* Graphic() const { return FGraphic.get(); }

private:
    std::unique_ptr<TGraphic> FGraphic;
};
