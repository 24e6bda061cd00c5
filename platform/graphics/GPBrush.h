#pragma once
// Brushes that fill areas and paint text: a solid colour, one of the 53 hatch patterns
// (foreground lines over a background colour, 8 x 8 pixels, fixed to the device so that
// the pattern does not turn with the drawing), and a tiled image. A brush object may also
// hold nothing: filling with it draws nothing (see TGPBrush::IsEmpty).

#include "platform/graphics/GPTypes.h"

#include <array>
#include <cstdint>
#include <memory>

class TGPImage;

// The hatch patterns in their customary order; the value is what a saved brush stores.
enum HatchStyle : std::int32_t {
    HatchStyleHorizontal = 0,
    HatchStyleVertical,
    HatchStyleForwardDiagonal,
    HatchStyleBackwardDiagonal,
    HatchStyleCross,
    HatchStyleDiagonalCross,
    HatchStyle05Percent,
    HatchStyle10Percent,
    HatchStyle20Percent,
    HatchStyle25Percent,
    HatchStyle30Percent,
    HatchStyle40Percent,
    HatchStyle50Percent,
    HatchStyle60Percent,
    HatchStyle70Percent,
    HatchStyle75Percent,
    HatchStyle80Percent,
    HatchStyle90Percent,
    HatchStyleLightDownwardDiagonal,
    HatchStyleLightUpwardDiagonal,
    HatchStyleDarkDownwardDiagonal,
    HatchStyleDarkUpwardDiagonal,
    HatchStyleWideDownwardDiagonal,
    HatchStyleWideUpwardDiagonal,
    HatchStyleLightVertical,
    HatchStyleLightHorizontal,
    HatchStyleNarrowVertical,
    HatchStyleNarrowHorizontal,
    HatchStyleDarkVertical,
    HatchStyleDarkHorizontal,
    HatchStyleDashedDownwardDiagonal,
    HatchStyleDashedUpwardDiagonal,
    HatchStyleDashedHorizontal,
    HatchStyleDashedVertical,
    HatchStyleSmallConfetti,
    HatchStyleLargeConfetti,
    HatchStyleZigZag,
    HatchStyleWave,
    HatchStyleDiagonalBrick,
    HatchStyleHorizontalBrick,
    HatchStyleWeave,
    HatchStylePlaid,
    HatchStyleDivot,
    HatchStyleDottedGrid,
    HatchStyleDottedDiamond,
    HatchStyleShingle,
    HatchStyleTrellis,
    HatchStyleSphere,
    HatchStyleSmallGrid,
    HatchStyleSmallCheckerBoard,
    HatchStyleLargeCheckerBoard,
    HatchStyleOutlinedDiamond,
    HatchStyleSolidDiamond,
    HatchStyleTotal,
    HatchStyleLargeGrid = HatchStyleCross,
    HatchStyleMin = HatchStyleHorizontal,
    HatchStyleMax = HatchStyleSolidDiamond,
};

// How a texture repeats beyond the image's edges: side by side, unmirrored.
enum class TWrapMode : int { Tile = 0 };

class TGPBrush {
public:
    struct TImpl; // defined in platform/graphics/GPQtDrawAccess.h

    // A brush that holds nothing: fills and text drawn with it leave the surface as it was.
    TGPBrush();
    virtual ~TGPBrush();
    TGPBrush(const TGPBrush&) = delete;
    TGPBrush& operator=(const TGPBrush&) = delete;

    bool IsEmpty() const;

    const TImpl& Native() const { return *FImpl; }

protected:
    std::unique_ptr<TImpl> FImpl;
};

class TGPSolidBrush : public TGPBrush {
public:
    explicit TGPSolidBrush(ARGB color);

    ARGB GetColor() const { return FColor; }
    void SetColor(ARGB color);

private:
    ARGB FColor = 0;
};

class TGPHatchBrush : public TGPBrush {
public:
    // A style outside HatchStyleMin..HatchStyleMax makes a brush that holds nothing.
    TGPHatchBrush(HatchStyle hatchStyle, ARGB foreColor, ARGB backColor = 0xFF000000);

    // The pattern's 8 rows, top row first; bit 7 of a row is its leftmost pixel and a set
    // bit is painted in the foreground colour. All zero for a style out of range.
    static std::array<std::uint8_t, 8> Pattern(HatchStyle hatchStyle);
};

// Tiles a copy of the image taken when the brush is made, placed with its top-left corner
// at the origin of the drawing's world coordinates (it turns and moves with them). An
// empty image makes a brush that holds nothing.
class TGPTextureBrush : public TGPBrush {
public:
    explicit TGPTextureBrush(const TGPImage* image, TWrapMode wrapMode = TWrapMode::Tile);
};
