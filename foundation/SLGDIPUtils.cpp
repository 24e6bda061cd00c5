#include "foundation/SLGDIPUtils.h"

#include "foundation/SLGDIPBrushFont.h"
#include "foundation/SLGDIPGeometry.h"
#include "foundation/SLGDIPImage.h"
#include "platform/graphics/GPGraphics.h"

#include <cmath>
#include <memory>
#include <numbers>

namespace {
// Exact quarter, half and three-quarter turns as singles.
constexpr float kHalfPi = static_cast<float>(std::numbers::pi_v<long double> / 2);
constexpr float kPi = static_cast<float>(std::numbers::pi_v<long double>);
constexpr float kThreeHalvesPi = static_cast<float>(3 * std::numbers::pi_v<long double> / 2);
constexpr long double kPiExtended = std::numbers::pi_v<long double>;

// Byte positions of the channels: in an ARGB colour, and in a window colour (red lowest).
constexpr int kAlphaShift = 24;
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;
constexpr int kWindowGreenShift = 8;
constexpr int kWindowBlueShift = 16;
constexpr std::uint32_t kByteMask = 0xFF;

// The unit's process-wide objects; made on first use, freed by FinalizeSLGDIPUtils.
std::unique_ptr<TSLImageExGather> ImageGather;
std::unique_ptr<TSLInstalledFontFamilies> FontFamilies;
} // namespace

float TSLGDIPfn::AngleOfPoints(const TGPPointF& p1, const TGPPointF& p2) {
    if (SameValue(p1.X, p2.X)) {
        if (p1.Y > p2.Y)
            return kHalfPi;
        if (p1.Y < p2.Y)
            return kThreeHalvesPi;
        return 0.0f;
    }
    // The differences are taken exactly and rounded to single, as is the angle.
    const float dy = static_cast<float>(std::fabs(static_cast<double>(p1.Y) - p2.Y));
    const float dx = static_cast<float>(std::fabs(static_cast<double>(p1.X) - p2.X));
    const float a = static_cast<float>(std::atan(static_cast<long double>(dy) / dx));
    // First matching row wins; the order matters only for the exact-equality cases.
    if (p1.X > p2.X && p1.Y == p2.Y)
        return 0.0f;
    if (p1.X > p2.X && p1.Y < p2.Y)
        return static_cast<float>(2 * kPiExtended - a);
    if (p1.X < p2.X && p1.Y < p2.Y)
        return static_cast<float>(kPiExtended + a);
    if (p1.X < p2.X && p1.Y == p2.Y)
        return kPi;
    if (p1.X < p2.X && p1.Y > p2.Y)
        return static_cast<float>(kPiExtended - a);
    if (p1.X > p2.X && p1.Y > p2.Y)
        return a;
    return 0.0f; // not reached for ordered values; NaN coordinates end here
}

float TSLGDIPfn::Distance(const TGPPointF& p1, const TGPPointF& p2) {
    const double dx = static_cast<double>(p1.X) - p2.X;
    const double dy = static_cast<double>(p1.Y) - p2.Y;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

ARGB TSLGDIPfn::ColorToARGB(std::uint8_t alpha, std::int32_t color) {
    const auto bits = static_cast<std::uint32_t>(color);
    const std::uint32_t red = bits & kByteMask;
    const std::uint32_t green = (bits >> kWindowGreenShift) & kByteMask;
    const std::uint32_t blue = (bits >> kWindowBlueShift) & kByteMask;
    return (ARGB(alpha) << kAlphaShift) | (red << kRedShift) | (green << kGreenShift) | blue;
}

TGPSizeF TSLGDIPfn::MeasureText(const std::string& text, const TGPGraphics& graphics,
                                const TGPFont& font, const TGPStringFormat* format) {
    const TGPRectF box = graphics.MeasureString(text, font, TGPRectF(0, 0, 0, 0), format);
    return TGPSizeF(box.Width, box.Height);
}

void TSLGDIPfn::SetGraphicsQuality(TGPGraphics& graphics, bool high) {
    SetInterpolationQuality(graphics, high);
    SetTextQuality(graphics, high);
    SetSmoothingQuality(graphics, high);
}

void TSLGDIPfn::SetInterpolationQuality(TGPGraphics& graphics, bool high) {
    graphics.SetInterpolationMode(high ? InterpolationModeHighQualityBicubic
                                       : InterpolationModeNearestNeighbor);
}

void TSLGDIPfn::SetTextQuality(TGPGraphics& graphics, bool high) {
    graphics.SetTextRenderingHint(high ? TextRenderingHintAntiAlias
                                       : TextRenderingHintSystemDefault);
}

void TSLGDIPfn::SetSmoothingQuality(TGPGraphics& graphics, bool high) {
    graphics.SetSmoothingMode(high ? SmoothingModeAntiAlias : SmoothingModeNone);
}

const TClassInfo& TSLGDIPBaseEx::StaticClassInfo() {
    static const TClassInfo info{"TSLGDIPBaseEx", &TXmlPersistent::StaticClassInfo()};
    return info;
}

void TSLGDIPBaseEx::Changed() {
    Modified = true;
    TXmlPersistent::Changed();
}

TSLImageExGather& ImageExGather() {
    if (!ImageGather)
        ImageGather = std::make_unique<TSLImageExGather>();
    return *ImageGather;
}

TSLInstalledFontFamilies& InstalledFontFamilies() {
    if (!FontFamilies)
        FontFamilies = std::make_unique<TSLInstalledFontFamilies>();
    return *FontFamilies;
}

void FinalizeSLGDIPUtils() {
    // The gather first: the pictures it lists may still hold drawing objects.
    ImageGather.reset();
    FontFamilies.reset();
}
