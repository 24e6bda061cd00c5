#pragma once
// A pen: colour, width in pixels, alignment and the way corners are joined. It strokes
// outlines when drawing and gives the width of the band when a path is widened. Line ends
// are flat.

#include "platform/graphics/GPTypes.h"

#include <memory>

class TGPPen {
public:
    // Corners are mitred, cut to a bevel where the miter would reach farther than
    // this many pen widths.
    static constexpr float DefaultMiterLimit = 10.0f;

    explicit TGPPen(ARGB color, float width = 1.0f) : FColor(color), FWidth(width) {}

    ARGB GetColor() const { return FColor; }
    float GetWidth() const { return FWidth; }
    TPenAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TPenAlignment alignment) { FAlignment = alignment; }
    TLineJoin GetLineJoin() const { return FLineJoin; }
    float GetMiterLimit() const { return FMiterLimit; }

private:
    ARGB FColor = 0xFF000000;
    float FWidth = 1.0f;
    TPenAlignment FAlignment = TPenAlignment::Center;
    TLineJoin FLineJoin = TLineJoin::Miter;
    float FMiterLimit = DefaultMiterLimit;
};
