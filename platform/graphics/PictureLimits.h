#pragma once
// The largest picture any reader of this program decodes. Every decoder checks the size a
// file claims against these before it allocates anything for the pixels, so a damaged or
// hostile header (a 45-byte GIF claiming 20000 x 20000) is refused at once and the file
// shows its desktop icon instead. Pixels are counted as 32-bit ARGB, the form every
// picture ends up in.

#include <cstddef>
#include <cstdint>

class QImage;
class QImageReader;

namespace platform {

inline constexpr std::int64_t kMaxPictureSide = 16384;                     // pixels
inline constexpr std::int64_t kMaxPicturePixelBytes = 256LL * 1024 * 1024; // 256 MiB
inline constexpr std::int64_t kPictureBytesPerPixel = 4;

// Whether a picture of width x height pixels may be decoded: both sides from 1 to
// kMaxPictureSide and its 32-bit pixels within kMaxPicturePixelBytes.
constexpr bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixelBytes / kPictureBytesPerPixel;
}

// Reads through one of Qt's image readers within the limits: the size the header claims is
// checked before any pixel is allocated, and Qt's own allocation limit stops a reader
// whose format tells its size only while decoding. A null image when refused or unread.
QImage ReadPictureWithinLimits(QImageReader& reader);

} // namespace platform
