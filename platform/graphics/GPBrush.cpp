#include "platform/graphics/GPBrush.h"

#include "platform/graphics/GPQtAccess.h"
#include "platform/graphics/GPQtDrawAccess.h"

namespace {
constexpr int kHatchSize = 8; // pixels per side of a hatch pattern tile

using TPattern = std::array<std::uint8_t, 8>;

// 8 x 8 ordered-dither thresholds: a pixel is in an n-of-64 pattern when its threshold is
// below n. Every lower density is contained in every higher one, and the pixels of each
// density spread evenly.
constexpr std::array<std::array<int, 8>, 8> kDitherThresholds{{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};

constexpr TPattern Dither(int percent) {
    const int lit = (percent * 64 + 50) / 100;
    TPattern rows{};
    for (int y = 0; y < kHatchSize; ++y)
        for (int x = 0; x < kHatchSize; ++x)
            if (kDitherThresholds[y][x] < lit)
                rows[y] |= std::uint8_t(0x80 >> x);
    return rows;
}

constexpr std::uint8_t RotateRight(std::uint8_t bits, int count) {
    count &= 7;
    return std::uint8_t((bits >> count) | (bits << (8 - count)));
}

// Diagonal stripes: the row pattern moves one pixel right per row for lines running down to
// the right, one pixel left for lines running up to the right.
constexpr TPattern Diagonal(std::uint8_t firstRow, bool downward) {
    TPattern rows{};
    for (int y = 0; y < kHatchSize; ++y)
        rows[y] = RotateRight(firstRow, downward ? y : kHatchSize - y);
    return rows;
}

constexpr TPattern Rows(std::uint8_t even, std::uint8_t odd) {
    return {even, odd, even, odd, even, odd, even, odd};
}

constexpr std::array<TPattern, HatchStyleTotal> kPatterns{{
    {0xFF, 0, 0, 0, 0, 0, 0, 0},                      // Horizontal
    Rows(0x80, 0x80),                                 // Vertical
    Diagonal(0x80, true),                             // ForwardDiagonal
    Diagonal(0x01, false),                            // BackwardDiagonal
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80}, // Cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // DiagonalCross
    Dither(5),                                        // 05Percent
    Dither(10),                                       // 10Percent
    Dither(20),                                       // 20Percent
    Dither(25),                                       // 25Percent
    Dither(30),                                       // 30Percent
    Dither(40),                                       // 40Percent
    Dither(50),                                       // 50Percent
    Dither(60),                                       // 60Percent
    Dither(70),                                       // 70Percent
    Dither(75),                                       // 75Percent
    Dither(80),                                       // 80Percent
    Dither(90),                                       // 90Percent
    Diagonal(0x88, true),                             // LightDownwardDiagonal
    Diagonal(0x11, false),                            // LightUpwardDiagonal
    Diagonal(0xCC, true),                             // DarkDownwardDiagonal
    Diagonal(0x33, false),                            // DarkUpwardDiagonal
    Diagonal(0xE0, true),                             // WideDownwardDiagonal
    Diagonal(0x07, false),                            // WideUpwardDiagonal
    Rows(0x88, 0x88),                                 // LightVertical
    {0xFF, 0, 0, 0, 0xFF, 0, 0, 0},                   // LightHorizontal
    Rows(0xAA, 0xAA),                                 // NarrowVertical
    Rows(0xFF, 0x00),                                 // NarrowHorizontal
    Rows(0xCC, 0xCC),                                 // DarkVertical
    {0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0},             // DarkHorizontal
    {0, 0, 0, 0, 0x88, 0x44, 0x22, 0x11},             // DashedDownwardDiagonal
    {0, 0, 0, 0, 0x11, 0x22, 0x44, 0x88},             // DashedUpwardDiagonal
    {0xF0, 0, 0, 0, 0x0F, 0, 0, 0},                   // DashedHorizontal
    {0x80, 0x80, 0x80, 0x80, 0x08, 0x08, 0x08, 0x08}, // DashedVertical
    {0x80, 0x08, 0x40, 0x02, 0x10, 0x01, 0x20, 0x04}, // SmallConfetti
    {0x8D, 0x0C, 0xC0, 0xD8, 0x1B, 0x03, 0x30, 0xB1}, // LargeConfetti
    {0x81, 0x42, 0x24, 0x18, 0x81, 0x42, 0x24, 0x18}, // ZigZag
    {0x18, 0x24, 0xC3, 0, 0x18, 0x24, 0xC3, 0},       // Wave
    {0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81}, // DiagonalBrick
    {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08}, // HorizontalBrick
    {0x88, 0x54, 0x22, 0x45, 0x88, 0x14, 0x22, 0x51}, // Weave
    {0xAA, 0x55, 0xAA, 0x55, 0xF0, 0xF0, 0xF0, 0xF0}, // Plaid
    {0x00, 0x10, 0x08, 0x10, 0x00, 0x01, 0x80, 0x01}, // Divot
    {0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00}, // DottedGrid
    {0x80, 0x00, 0x22, 0x00, 0x08, 0x00, 0x22, 0x00}, // DottedDiamond
    {0x03, 0x84, 0x48, 0x30, 0x0C, 0x02, 0x01, 0x01}, // Shingle
    {0xFF, 0x66, 0xFF, 0x99, 0xFF, 0x66, 0xFF, 0x99}, // Trellis
    {0x77, 0x89, 0x8F, 0x8F, 0x77, 0x98, 0xF8, 0xF8}, // Sphere
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88}, // SmallGrid
    {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33}, // SmallCheckerBoard
    {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F}, // LargeCheckerBoard
    {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41, 0x80}, // OutlinedDiamond
    {0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00}, // SolidDiamond
}};

bool IsHatchStyle(HatchStyle style) {
    return style >= HatchStyleMin && style <= HatchStyleMax;
}

QImage HatchTile(const TPattern& rows, ARGB foreColor, ARGB backColor) {
    QImage tile(kHatchSize, kHatchSize, QImage::Format_ARGB32);
    for (int y = 0; y < kHatchSize; ++y)
        for (int x = 0; x < kHatchSize; ++x)
            tile.setPixel(x, y, (rows[y] & (0x80 >> x)) ? foreColor : backColor);
    return tile.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
} // namespace

TGPBrush::TGPBrush() : FImpl(std::make_unique<TImpl>()) {}

TGPBrush::~TGPBrush() = default;

bool TGPBrush::IsEmpty() const {
    return !FImpl->Brush.has_value();
}

TGPSolidBrush::TGPSolidBrush(ARGB color) {
    SetColor(color);
}

void TGPSolidBrush::SetColor(ARGB color) {
    FColor = color;
    FImpl->Brush = QBrush(QtColor(color));
}

TGPHatchBrush::TGPHatchBrush(HatchStyle hatchStyle, ARGB foreColor, ARGB backColor) {
    if (!IsHatchStyle(hatchStyle))
        return;
    FImpl->Brush = QBrush(HatchTile(Pattern(hatchStyle), foreColor, backColor));
    FImpl->DeviceAligned = true;
}

std::array<std::uint8_t, 8> TGPHatchBrush::Pattern(HatchStyle hatchStyle) {
    return IsHatchStyle(hatchStyle) ? kPatterns[hatchStyle] : TPattern{};
}

// Every wrap mode tiles here.
TGPTextureBrush::TGPTextureBrush(const TGPImage* image, TWrapMode) {
    if (!image || image->Native().Image.isNull())
        return;
    FImpl->Brush = QBrush(image->Native().Image);
}
