#pragma once
// Small services of the drawing code, as class functions of TSLGDIPfn. Coordinates are
// pixels, x to the right and y downward; angles are radians measured from +x toward +y,
// so a growing angle turns clockwise on the screen.
//
// Also here: TSLGDIPBaseEx, the base of the saved drawing descriptions (brush, font, image),
// and the unit's process-wide objects with their shut-down step.

#include "foundation/XmlPersistent.h"
#include "platform/graphics/GPTypes.h"

#include <cstdint>
#include <string>

class TGPFont;
class TGPGraphics;
class TGPStringFormat;
class TSLImageExGather;
class TSLInstalledFontFamilies;

class TSLGDIPfn {
public:
    TSLGDIPfn() = delete;

    // Direction of the vector from p2 to p1, in [0, 2 pi). X values equal within the single
    // tolerance of SameValue make the vector vertical (pi/2 down, 3 pi/2 up); coinciding
    // points give 0.
    static float AngleOfPoints(const TGPPointF& p1, const TGPPointF& p2);
    static float Distance(const TGPPointF& p1, const TGPPointF& p2);

    static TGPPointF MakePointF(float x, float y) { return {x, y}; }
    static TGPRect MakeRect(std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height) {
        return {x, y, width, height};
    }

    // The ARGB colour of a window colour (red in byte 0, green in byte 1, blue in byte 2)
    // with the given alpha. The top byte is ignored: a system colour is not looked up, so
    // the button face colour (low byte 15) gives red 15, green 0, blue 0.
    static ARGB ColorToARGB(std::uint8_t alpha, std::int32_t color);

    // Width and height of the box the text (UTF-8) takes when laid out at (0, 0) in the
    // font, with the string format when one is given; an empty size when nothing can be
    // measured.
    static TGPSizeF MeasureText(const std::string& text, const TGPGraphics& graphics,
                                const TGPFont& font, const TGPStringFormat* format);

    // Interpolation, then text, then smoothing, each high or low as below.
    static void SetGraphicsQuality(TGPGraphics& graphics, bool high);
    // High-quality bicubic, or nearest neighbour.
    static void SetInterpolationQuality(TGPGraphics& graphics, bool high);
    // Anti-aliased text, or the system's default.
    static void SetTextQuality(TGPGraphics& graphics, bool high);
    // Anti-aliased, or no smoothing.
    static void SetSmoothingQuality(TGPGraphics& graphics, bool high);
};

// Base of the saved drawing descriptions. Each keeps the drawing object it built from its
// properties until a property changes: Changed marks it Modified (also while updates are
// suspended, when OnChange stays quiet), and the next request for the drawing object
// builds a new one. A description without a drawing object treats itself as Modified.
class TSLGDIPBaseEx : public TXmlPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Sets Modified, then notifies as every saved object does.
    void Changed() override;

    bool GetModified() const { return Modified; }

protected:
    bool Modified = false;
};

// The image gather, created on the first call; freed by FinalizeSLGDIPUtils.
TSLImageExGather& ImageExGather();

// The installed font families, read on the first call; freed by FinalizeSLGDIPUtils.
TSLInstalledFontFamilies& InstalledFontFamilies();

// Frees the unit's process-wide objects (the image gather first, where one exists, then the
// font families). Shut-down runs it while the drawing layer still works.
void FinalizeSLGDIPUtils();
