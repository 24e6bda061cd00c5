#pragma once
// The system clipboard as the picture code sees it: which of the two picture formats it
// offers, and the picture itself. X11 clipboards carry no Windows metafiles, so the
// metafile format is never offered here.

#include <cstdint>

class TBitmap;

constexpr std::uint16_t CF_BITMAP = 2;
constexpr std::uint16_t CF_METAFILEPICT = 3;

class TClipboard {
public:
    bool HasFormat(std::uint16_t format) const;
    // The clipboard's picture; an empty bitmap when it holds none.
    void AssignTo(TBitmap& bitmap) const;
    // Puts the bitmap's pixels on the clipboard as a picture.
    void Assign(const TBitmap& bitmap);
};

// The process's clipboard object.
TClipboard& Clipboard();
