#pragma once
// Inside the platform layer only: the Qt images behind the window layer's pictures.

#include "platform/pictures/VclPicture.h"

#include <QImage>

struct TBitmap::TImpl {
    QImage Image; // Format_ARGB32 for 32 bits, Format_RGB32 for 24 bits
    // The format of an empty bitmap (a null image has none of its own), taken by the
    // image that a later size makes.
    QImage::Format EmptyFormat = QImage::Format_RGB32;
};

struct TIcon::TImpl {
    QImage Image; // Format_ARGB32; null when the icon has no handle
};

// A 32-bit ARGB bitmap holding a copy of the image.
std::unique_ptr<TGPBitmap> BitmapOfQImage(const QImage& image);
// The pixels of a bitmap as a Format_ARGB32 image.
QImage QImageOfBitmap(const TGPBitmap& bitmap);
