#pragma once
// A drawing surface: a window being painted or a bitmap. Coordinates are world
// coordinates (pixels, x to the right, y downward) carried onto the surface by the world
// transform. As in the drawing engine the program was designed for, a pixel's centre has
// whole-number world coordinates: a 1-pixel line from (0, 5) to (9, 5) lies exactly on
// pixel row 5, and a filled rectangle (0, 0, 10, 10) without anti-aliasing covers pixels 0
// to 9. Images and text are placed with their top-left corner at the given point.
//
// The clip is kept in surface coordinates: it is placed by the world transform in force
// when it is set and stays put when the transform changes later.

#include "platform/graphics/GPBrush.h"
#include "platform/graphics/GPFont.h"
#include "platform/graphics/GPTypes.h"

#include <cstdint>
#include <memory>
#include <string>

class TGPGraphicsPath;
class TGPImage;
class TGPMatrix;
class TGPPen;

enum TSmoothingMode : std::int32_t {
    SmoothingModeInvalid = -1,
    SmoothingModeDefault = 0,
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4,
    SmoothingModeAntiAlias8x8 = 5,
};

enum TInterpolationMode : std::int32_t {
    InterpolationModeInvalid = -1,
    InterpolationModeDefault = 0,
    InterpolationModeLowQuality = 1,
    InterpolationModeHighQuality = 2,
    InterpolationModeBilinear = 3,
    InterpolationModeBicubic = 4,
    InterpolationModeNearestNeighbor = 5,
    InterpolationModeHighQualityBilinear = 6,
    InterpolationModeHighQualityBicubic = 7,
};

enum TTextRenderingHint : std::int32_t {
    TextRenderingHintSystemDefault = 0,
    TextRenderingHintSingleBitPerPixelGridFit = 1,
    TextRenderingHintSingleBitPerPixel = 2,
    TextRenderingHintAntiAliasGridFit = 3,
    TextRenderingHintAntiAlias = 4,
    TextRenderingHintClearTypeGridFit = 5,
};

// Names a state saved by TGPGraphics::Save.
using TGraphicsState = std::uint32_t;

class TGPGraphics {
public:
    struct TImpl;

    // Draws on the image's pixels. On an image without pixels nothing is drawn and
    // IsValid is false.
    explicit TGPGraphics(TGPImage& image);
    // For the window layer: see platform/graphics/GPGraphicsQt.h.
    explicit TGPGraphics(std::unique_ptr<TImpl> impl);
    ~TGPGraphics();
    TGPGraphics(const TGPGraphics&) = delete;
    TGPGraphics& operator=(const TGPGraphics&) = delete;

    bool IsValid() const;
    // Dots per inch of the surface; font sizes in points are converted with the vertical one.
    float GetDpiY() const;

    // --- Quality ---
    void SetSmoothingMode(TSmoothingMode mode);
    TSmoothingMode GetSmoothingMode() const;
    void SetInterpolationMode(TInterpolationMode mode);
    TInterpolationMode GetInterpolationMode() const;
    void SetTextRenderingHint(TTextRenderingHint hint);
    TTextRenderingHint GetTextRenderingHint() const;

    // --- World transform ---
    void SetTransform(const TGPMatrix& matrix);
    void GetTransform(TGPMatrix& matrix) const;
    void TranslateTransform(float dx, float dy, TMatrixOrder order = TMatrixOrder::Prepend);
    // Degrees, clockwise on the surface.
    void RotateTransform(float angle, TMatrixOrder order = TMatrixOrder::Prepend);

    // --- Clip ---
    // Combines the area of the path (filled by its fill mode, placed by the present world
    // transform) with the clip. Without a clip everything is inside it.
    void SetClip(const TGPGraphicsPath& path, TCombineMode mode = TCombineMode::Replace);
    void ResetClip();
    // Whether a clip is set at all.
    bool IsClipped() const;

    // --- Saved state: world transform, clip and the quality modes ---
    TGraphicsState Save();
    // Goes back to the state saved under state and forgets it and every later one; an
    // unknown state changes nothing.
    void Restore(TGraphicsState state);

    // --- Drawing ---
    // Sets every pixel inside the clip to color, alpha included (nothing is blended).
    void Clear(ARGB color);

    void FillRectangle(const TGPBrush& brush, const TGPRectF& rect);
    void FillRectangle(const TGPBrush& brush, float x, float y, float width, float height);
    void DrawRectangle(const TGPPen& pen, const TGPRectF& rect);
    void DrawRectangle(const TGPPen& pen, float x, float y, float width, float height);
    void FillEllipse(const TGPBrush& brush, const TGPRectF& rect);
    void FillEllipse(const TGPBrush& brush, float x, float y, float width, float height);
    void DrawEllipse(const TGPPen& pen, const TGPRectF& rect);
    void DrawEllipse(const TGPPen& pen, float x, float y, float width, float height);
    void FillPath(const TGPBrush& brush, const TGPGraphicsPath& path);
    void DrawPath(const TGPPen& pen, const TGPGraphicsPath& path);
    void DrawLine(const TGPPen& pen, float x1, float y1, float x2, float y2);
    void DrawLine(const TGPPen& pen, const TGPPointF& pt1, const TGPPointF& pt2);

    // One image pixel per world unit, top-left corner at (x, y).
    void DrawImage(const TGPImage& image, float x, float y);
    // The source rectangle of the image (in pixels; srcUnit is taken as pixels) stretched
    // into the destination rectangle, sampled by the interpolation mode.
    void DrawImage(const TGPImage& image, const TGPRectF& destRect, float srcX, float srcY,
                   float srcWidth, float srcHeight, TUnit srcUnit = UnitPixel);

    // Text (UTF-8) with the top-left corner of its box at origin. Lines are separated by
    // "\n". With a vertical format the box stands upright and the glyphs are turned a
    // quarter clockwise. A font that is not available or a brush that holds nothing draws
    // nothing.
    void DrawString(const std::string& text, const TGPFont& font, const TGPPointF& origin,
                    const TGPStringFormat* format, const TGPBrush& brush);
    void DrawString(const std::string& text, const TGPFont& font, const TGPPointF& origin,
                    const TGPBrush& brush);
    // The box that DrawString fills for the text at the layout rectangle's corner (its size
    // is not used for wrapping). Empty for an empty text or a font that is not available.
    TGPRectF MeasureString(const std::string& text, const TGPFont& font, const TGPRectF& layoutRect,
                           const TGPStringFormat* format = nullptr) const;

    TImpl& Native() { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};
