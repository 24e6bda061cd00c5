#include "rulers/RectangleRuler.h"

#include "platform/Screen.h"

#include <algorithm>
#include <cmath>

namespace {

// One inch is 2.54 cm; the scale uses the rounded 39.37 inches per metre.
constexpr long double kInchesPerMeter = 39.37L;
constexpr long double kCentimetersPerMeter = 100.0L;

constexpr float kScaleStart = -1.0f; // first centimetre tick, just outside the body
constexpr float kCentimeterTickLength = 10.0f;
constexpr float kHalfTickLength = 8.0f;
constexpr float kMillimeterTickLength = 5.0f;
constexpr int kMillimetersPerCentimeter = 10;
constexpr int kLabelGap = 2; // a label must start more than this beyond the previous one

// The longest stretch a walk covers, in pixels: far beyond any desktop, small enough
// that a paint stays quick whatever size a settings file claims.
constexpr float kScaleWalkBound = 100000.0f;

// Below one pixel per centimetre the scale would be a smear; it also keeps the walk
// from standing still on a zero or negative step.
constexpr float kMinPixelsPerCentimeter = 1.0f;

// Nearest integer, halves to the even neighbour (the default floating-point mode).
int RoundHalfEven(long double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

float PixelsPerCentimeter(int pixelsPerInch) {
    if (pixelsPerInch <= 0)
        pixelsPerInch = kDefaultPixelsPerInch;
    return static_cast<float>(pixelsPerInch * kInchesPerMeter / kCentimetersPerMeter);
}

float ScreenPixelsPerCentimeter() {
    return PixelsPerCentimeter(platform::PixelsPerInch());
}

TScaleLayout WalkCentimeterScale(float limit, float pixelsPerCentimeter, TScaleAxis axis,
                                 const TScaleLabelMeasure& measure) {
    TScaleLayout layout;
    if (std::isnan(limit) || !(pixelsPerCentimeter >= kMinPixelsPerCentimeter))
        return layout;
    limit = std::min(limit, kScaleWalkBound);

    const long double ppcm = pixelsPerCentimeter;
    float pos = kScaleStart;
    int labelCount = 0;
    int lastLabelEnd = 0;
    while (pos < limit) {
        const int centimeter = RoundHalfEven(pos);
        layout.Ticks.push_back({centimeter, TScaleTickKind::Centimeter, kCentimeterTickLength});

        if (centimeter > 0) {
            ++labelCount;
            TScaleLabel label{centimeter, std::to_string(labelCount), {}};
            if (measure)
                label.Box = measure(label.Text);
            const int extent = axis == TScaleAxis::Horizontal ? label.Box.Width : label.Box.Height;
            const int start = centimeter - extent / 2; // integer halving, toward zero
            if (lastLabelEnd + kLabelGap < start) {
                if (static_cast<float>(start + extent) < limit)
                    layout.Labels.push_back(std::move(label));
                lastLabelEnd = start + extent;
            }
        }

        layout.Ticks.push_back(
            {RoundHalfEven(ppcm / 2 + pos), TScaleTickKind::HalfCentimeter, kHalfTickLength});
        for (int i = 1; i < kMillimetersPerCentimeter; ++i)
            layout.Ticks.push_back({RoundHalfEven(pos + i * ppcm / kMillimetersPerCentimeter),
                                    TScaleTickKind::Millimeter, kMillimeterTickLength});

        pos = static_cast<float>(pos + ppcm);
    }
    return layout;
}
