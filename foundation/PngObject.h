#pragma once
// A PNG picture in memory, read and written by libpng. Whatever the file's colour type, the
// pixels are held as 8-bit red, green, blue and alpha. The transparency mode says how the
// file made pixels transparent: not at all, by one colour (a single fully transparent
// palette entry or the tRNS colour of a grey or RGB image), or per pixel (an alpha channel,
// or a palette with partly transparent entries, which is expanded to alpha scanlines).

#include "platform/pictures/VclPicture.h"
#include "platform/widgets/VclGraphics.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

enum class TPNGTransparencyMode { ptmNone, ptmBit, ptmPartial };

class TPNGObject : public TGraphic {
public:
    static constexpr int DefaultCompressionLevel = 7;

    // Fails with EInvalidGraphic (the file name as message) when the file is not a PNG
    // that libpng decodes.
    void LoadFromFile(const std::string& fileName);
    void LoadFromBytes(const std::string& bytes, const std::string& name);
    // Encodes the picture: 8-bit RGB, with a tRNS colour in the bit mode, RGBA in the
    // partial mode.
    void SaveToStream(std::ostream& stream) const;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // A new size keeps the pixels that still fit; new pixels are opaque black.
    void Resize(int width, int height);

    TPNGTransparencyMode TransparencyMode() const { return FMode; }
    // The colour of the bit mode as a window colour (red in the low byte).
    TColor TransparentColor() const { return FTransparentColor; }
    // Row y's alpha bytes, one per pixel; null unless the mode is partial.
    std::uint8_t* AlphaScanline(int y);
    const std::uint8_t* AlphaScanline(int y) const;
    // Adds an alpha channel (every pixel opaque); the mode becomes partial.
    void CreateAlpha();
    // Drops any transparency; the mode becomes none.
    void RemoveTransparency();

    // Straight (not premultiplied) ARGB of a pixel; the alpha part is the alpha scanline's
    // byte in the partial mode and 255 otherwise.
    std::uint32_t Pixel(int x, int y) const;
    // Sets red, green and blue; the alpha part is ignored (see AlphaScanline).
    void SetPixel(int x, int y, std::uint32_t argb);

    int CompressionLevel = DefaultCompressionLevel;

    // The pixels as drawn: in the bit mode every pixel is opaque (callers key the colour
    // out themselves), in the partial mode with its alpha.
    std::unique_ptr<TGPBitmap> Rendered() const override;

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint32_t> FRgb;  // 0x00RRGGBB per pixel, row by row
    std::vector<std::uint8_t> FAlpha; // per pixel in the partial mode, else empty
    TPNGTransparencyMode FMode = TPNGTransparencyMode::ptmNone;
    TColor FTransparentColor = 0;
};
