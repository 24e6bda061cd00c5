#include "platform/graphics/PictureLimits.h"

#include <QImage>
#include <QImageReader>

namespace platform {

QImage ReadPictureWithinLimits(QImageReader& reader) {
    constexpr std::int64_t kBytesPerMegabyte = 1024 * 1024;
    reader.setAllocationLimit(int(kMaxPicturePixelBytes / kBytesPerMegabyte));
    const QSize claimed = reader.size();
    if (claimed.isValid() && !PictureSizeAllowed(claimed.width(), claimed.height()))
        return QImage();
    // A reader may claim less than it decodes: Qt's GIF reader tells the size of the first
    // frame and then delivers the whole logical screen (4 x 2 claimed, 40965 x 2 read). The
    // picture read is checked as well, so that none beyond the limits is ever handed on.
    QImage image = reader.read();
    if (!image.isNull() && !PictureSizeAllowed(image.width(), image.height()))
        return QImage();
    return image;
}

} // namespace platform
