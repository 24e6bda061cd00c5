#pragma once
// Small services of the drawing code, as class functions of TSLGDIPfn. Coordinates are
// pixels, x to the right and y downward; angles are radians measured from +x toward +y,
// so a growing angle turns clockwise on the screen.

#include "platform/GPTypes.h"

#include <cstdint>

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
};
