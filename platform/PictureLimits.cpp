#include "platform/PictureLimits.h"

#include <QImage>
#include <QImageReader>

namespace platform {

QImage ReadPictureWithinLimits(QImageReader& reader) {
    constexpr std::int64_t kBytesPerMegabyte = 1024 * 1024;
    reader.setAllocationLimit(int(kMaxPicturePixelBytes / kBytesPerMegabyte));
    const QSize claimed = reader.size();
    if (claimed.isValid() && !PictureSizeAllowed(claimed.width(), claimed.height()))
        return QImage();
    return reader.read();
}

} // namespace platform
