#include "platform/graphics/GPImage.h"

#include "platform/graphics/GPQtDrawAccess.h"
#include "platform/graphics/PictureLimits.h"

#include <QImageReader>
#include <cstring>
#include <iterator>
#include <optional>

namespace {
std::optional<QImage::Format> QtFormat(TPixelFormat format) {
    switch (format) {
    case PixelFormat24bppRGB:
        return QImage::Format_BGR888; // memory order blue, green, red
    case PixelFormat32bppRGB:
        return QImage::Format_RGB32;
    case PixelFormat32bppARGB:
        return QImage::Format_ARGB32;
    case PixelFormat32bppPARGB:
        return QImage::Format_ARGB32_Premultiplied;
    default:
        return std::nullopt;
    }
}

TPixelFormat FormatOf(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_Invalid:
        return PixelFormatUndefined;
    case QImage::Format_BGR888:
        return PixelFormat24bppRGB;
    case QImage::Format_RGB32:
        return PixelFormat32bppRGB;
    case QImage::Format_ARGB32_Premultiplied:
        return PixelFormat32bppPARGB;
    default:
        // Everything else is handed out as 32-bit ARGB (see Normalized).
        return PixelFormat32bppARGB;
    }
}

// Pictures are kept in one of the formats above; anything a reader gives in another
// format (palettes, 16-bit, grey) becomes 32-bit ARGB.
QImage Normalized(QImage image) {
    switch (image.format()) {
    case QImage::Format_Invalid:
    case QImage::Format_BGR888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        return image.convertToFormat(QImage::Format_ARGB32);
    }
}

TGPStatus ReadStatus(QImageReader::ImageReaderError error) {
    switch (error) {
    case QImageReader::FileNotFoundError:
        return TGPStatus::FileNotFound;
    case QImageReader::UnsupportedFormatError:
        return TGPStatus::UnknownImageFormat;
    default:
        return TGPStatus::GenericError;
    }
}

// The lock rectangle must be non-empty and inside the image.
bool LiesWithin(const TGPRect& rect, const QImage& image) {
    return rect.Width > 0 && rect.Height > 0 && rect.X >= 0 && rect.Y >= 0 &&
           rect.X <= image.width() - rect.Width && rect.Y <= image.height() - rect.Height;
}

QRect QtRect(const TGPRect& rect) {
    return QRect(rect.X, rect.Y, rect.Width, rect.Height);
}
} // namespace

TGPImage::TGPImage() : FImpl(std::make_unique<TImpl>()) {}

TGPImage::TGPImage(const std::string& fileName) : TGPImage() {
    ReadFile(fileName);
}

TGPImage::~TGPImage() = default;

std::unique_ptr<TGPImage> TGPImage::FromFile(const std::string& fileName) {
    return std::make_unique<TGPImage>(fileName);
}

std::unique_ptr<TGPImage> TGPImage::Clone() const {
    auto copy = std::make_unique<TGPImage>();
    copy->FImpl->Image = FImpl->Image.copy();
    return copy;
}

std::uint32_t TGPImage::GetWidth() const {
    return static_cast<std::uint32_t>(FImpl->Image.width());
}

std::uint32_t TGPImage::GetHeight() const {
    return static_cast<std::uint32_t>(FImpl->Image.height());
}

TPixelFormat TGPImage::GetPixelFormat() const {
    return FormatOf(FImpl->Image);
}

void TGPImage::ReadFile(const std::string& fileName) {
    QImageReader reader(QString::fromStdString(fileName));
    QImage image = platform::ReadPictureWithinLimits(reader);
    if (image.isNull()) {
        FImpl->Image = QImage();
        SetStatus(ReadStatus(reader.error()));
        return;
    }
    FImpl->Image = Normalized(std::move(image));
    SetStatus(TGPStatus::Ok);
}

struct TGPBitmap::TLock {
    QRect Rect;
    bool Write = false;
    // The converted copy handed out when the lock's format is not the bitmap's own.
    std::optional<QImage> Copy;
};

TGPBitmap::TGPBitmap(std::int32_t width, std::int32_t height, TPixelFormat format) {
    const auto qtFormat = QtFormat(format);
    if (!qtFormat || width < 0 || height < 0) {
        SetStatus(TGPStatus::InvalidParameter);
        return;
    }
    if (width == 0 || height == 0)
        return;
    QImage image(width, height, *qtFormat);
    if (image.isNull()) {
        SetStatus(TGPStatus::OutOfMemory);
        return;
    }
    image.fill(0);
    FImpl->Image = std::move(image);
}

TGPBitmap::TGPBitmap(const std::string& fileName) {
    ReadFile(fileName);
}

std::unique_ptr<TGPImage> TGPBitmap::Clone() const {
    auto copy = std::make_unique<TGPBitmap>();
    copy->FImpl->Image = FImpl->Image.copy();
    return copy;
}

TGPStatus TGPBitmap::LockBits(const TGPRect& rect, std::uint32_t flags, TPixelFormat format,
                              TGPBitmapData& lockedData) {
    if (FLock)
        return SetStatus(TGPStatus::WrongState);
    const auto qtFormat = QtFormat(format);
    QImage& image = FImpl->Image;
    if (!qtFormat || !LiesWithin(rect, image))
        return SetStatus(TGPStatus::InvalidParameter);

    auto lock = std::make_shared<TLock>();
    lock->Rect = QtRect(rect);
    lock->Write = (flags & ImageLockModeWrite) != 0;
    std::uint8_t* scan0 = nullptr;
    qsizetype stride = 0;
    if (image.format() == *qtFormat) {
        stride = image.bytesPerLine();
        scan0 = image.bits() + rect.Y * stride + rect.X * (image.depth() / 8);
    } else {
        lock->Copy = image.copy(lock->Rect).convertToFormat(*qtFormat);
        stride = lock->Copy->bytesPerLine();
        scan0 = lock->Copy->bits();
    }
    lockedData = TGPBitmapData{static_cast<std::uint32_t>(rect.Width),
                               static_cast<std::uint32_t>(rect.Height),
                               static_cast<std::int32_t>(stride),
                               format,
                               scan0,
                               0};
    FLock = std::move(lock);
    return SetStatus(TGPStatus::Ok);
}

TGPStatus TGPBitmap::UnlockBits(TGPBitmapData& lockedData) {
    if (!FLock)
        return SetStatus(TGPStatus::WrongState);
    if (FLock->Copy && FLock->Write) {
        // Copy the rows back as they are, alpha included, not blended.
        QImage& image = FImpl->Image;
        const QImage rows = FLock->Copy->convertToFormat(image.format());
        const int bytesPerPixel = image.depth() / 8;
        const QRect& rect = FLock->Rect;
        for (int y = 0; y < rect.height(); ++y)
            std::memcpy(image.scanLine(rect.y() + y) + rect.x() * bytesPerPixel,
                        rows.constScanLine(y), std::size_t(rect.width()) * bytesPerPixel);
    }
    FLock.reset();
    lockedData.Scan0 = nullptr;
    return SetStatus(TGPStatus::Ok);
}
