#pragma once
// Inside the platform layer only: the Qt objects behind the brush, font, string format,
// image and graphics classes, for the code that draws with them. Never include this from
// another layer.

#include "platform/graphics/GPBrush.h"
#include "platform/graphics/GPFont.h"
#include "platform/graphics/GPImage.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <optional>

struct TGPBrush::TImpl {
    // Empty when the brush holds nothing.
    std::optional<QBrush> Brush;
    // A hatch pattern stays put on the device however the world transform turns.
    bool DeviceAligned = false;
};

struct TGPFont::TImpl {
    // Empty when the font could not be made (no family).
    std::optional<QFont> Font;
};

struct TGPImage::TImpl {
    QImage Image;
};

// The Qt font that draws font on a device of dpiY dots per inch (vertical): the size in
// points there equals the font's em size.
QFont QtFontForDevice(const TGPFont& font, double dpiY);
