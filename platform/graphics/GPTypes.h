#pragma once
// Value types and enumerations of the drawing engine's interface: points, rectangles and
// sizes in pixels (x to the right, y downward), ARGB colours, and the option values that
// paths, regions, matrices and pens take. No Qt type appears here.

#include <cstdint>

// 32-bit colour: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using ARGB = std::uint32_t;

struct TGPPointF {
    float X = 0.0f;
    float Y = 0.0f;

    constexpr TGPPointF() = default;
    constexpr TGPPointF(float x, float y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TGPPointF&, const TGPPointF&) = default;
};

struct TGPPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;

    constexpr TGPPoint() = default;
    constexpr TGPPoint(std::int32_t x, std::int32_t y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TGPPoint&, const TGPPoint&) = default;
};

struct TGPSizeF {
    float Width = 0.0f;
    float Height = 0.0f;

    constexpr TGPSizeF() = default;
    constexpr TGPSizeF(float width, float height) : Width(width), Height(height) {}
    friend constexpr bool operator==(const TGPSizeF&, const TGPSizeF&) = default;
};

struct TGPRectF {
    float X = 0.0f;
    float Y = 0.0f;
    float Width = 0.0f;
    float Height = 0.0f;

    constexpr TGPRectF() = default;
    constexpr TGPRectF(float x, float y, float width, float height)
        : X(x), Y(y), Width(width), Height(height) {}
    constexpr float GetLeft() const { return X; }
    constexpr float GetTop() const { return Y; }
    constexpr float GetRight() const { return X + Width; }
    constexpr float GetBottom() const { return Y + Height; }
    constexpr bool IsEmptyArea() const { return Width <= 0.0f || Height <= 0.0f; }
    friend constexpr bool operator==(const TGPRectF&, const TGPRectF&) = default;
};

struct TGPRect {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    constexpr TGPRect() = default;
    constexpr TGPRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
        : X(x), Y(y), Width(width), Height(height) {}
    friend constexpr bool operator==(const TGPRect&, const TGPRect&) = default;
};

// How overlapping figures of a path are filled: alternate (even-odd) or winding (non-zero).
enum class TFillMode : int { Alternate = 0, Winding = 1 };

// Where a new transformation goes relative to a matrix's present one. Prepend applies the new
// step first (before the present transformation), Append applies it last.
enum class TMatrixOrder : int { Prepend = 0, Append = 1 };

// Center puts a pen's stroke half on either side of the figure; Inset keeps it inside a
// closed figure.
enum class TPenAlignment : int { Center = 0, Inset = 1 };

enum class TLineJoin : int { Miter = 0, Bevel = 1, Round = 2, MiterClipped = 3 };

// How a new area combines with an existing clip or region.
enum class TCombineMode : int {
    Replace = 0,
    Intersect = 1,
    Union = 2,
    Xor = 3,
    Exclude = 4,
    Complement = 5
};
