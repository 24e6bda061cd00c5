#include "platform/pictures/VclPicture.h"

#include "platform/graphics/GPQtDrawAccess.h"
#include "platform/graphics/MetafileDecoder.h"
#include "platform/graphics/PictureLimits.h"
#include "platform/pictures/VclPictureQt.h"
#include "platform/system/TextRules.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <ostream>

namespace {
constexpr char kIconFormat[] = "ico";
// The first four bytes of a placeable Windows metafile; the type and header size words of a
// plain one.
constexpr std::uint32_t kPlaceableMetafileKey = 0x9AC6CDD7;
constexpr std::uint16_t kMetafileInMemory = 1;
constexpr std::uint16_t kMetafileOnDisk = 2;
constexpr std::uint16_t kMetafileHeaderWords = 9; // an enhanced one has record type 1 as a DWORD

QImage::Format QtFormatOf(TPixelFormatVcl format) {
    return format == TPixelFormatVcl::pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

void WriteBytes(std::ostream& stream, const QByteArray& bytes) {
    stream.write(bytes.constData(), static_cast<std::streamsize>(bytes.size()));
}

class TQtGraphic : public TGraphic {
public:
    explicit TQtGraphic(QImage image) : FImage(std::move(image)) {}
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    std::unique_ptr<TGPBitmap> Rendered() const override { return BitmapOfQImage(FImage); }

private:
    QImage FImage;
};
} // namespace

std::unique_ptr<TGPBitmap> BitmapOfQImage(const QImage& image) {
    auto bitmap = std::make_unique<TGPBitmap>();
    if (!image.isNull())
        bitmap->Native().Image = image.convertToFormat(QImage::Format_ARGB32);
    return bitmap;
}

QImage QImageOfBitmap(const TGPBitmap& bitmap) {
    const QImage& image = bitmap.Native().Image;
    return image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
}

// --- TBitmap -------------------------------------------------------------------------------------

TBitmap::TBitmap() : FImpl(std::make_unique<TImpl>()) {}

TBitmap::~TBitmap() = default;

int TBitmap::Width() const {
    return FImpl->Image.width();
}

int TBitmap::Height() const {
    return FImpl->Image.height();
}

void TBitmap::SetSize(int width, int height) {
    const QImage::Format format = QtFormatOf(PixelFormat());
    if (width <= 0 || height <= 0) {
        FImpl->EmptyFormat = format;
        FImpl->Image = QImage();
        return;
    }
    QImage sized(width, height, format);
    sized.fill(format == QImage::Format_ARGB32 ? 0x00000000u : 0xFF000000u);
    if (!FImpl->Image.isNull()) {
        QPainter painter(&sized);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, FImpl->Image);
    }
    FImpl->Image = std::move(sized);
}

TPixelFormatVcl TBitmap::PixelFormat() const {
    const QImage::Format format =
        FImpl->Image.isNull() ? FImpl->EmptyFormat : FImpl->Image.format();
    return format == QImage::Format_ARGB32 ? TPixelFormatVcl::pf32bit : TPixelFormatVcl::pf24bit;
}

void TBitmap::SetPixelFormat(TPixelFormatVcl format) {
    if (FImpl->Image.isNull()) {
        // Remembered for the size set later.
        FImpl->EmptyFormat = QtFormatOf(format);
        return;
    }
    FImpl->Image = FImpl->Image.convertToFormat(QtFormatOf(format));
}

void TBitmap::Draw(int x, int y, const TGraphic& graphic) {
    if (FImpl->Image.isNull() || graphic.Empty())
        return;
    const QImage source = QImageOfBitmap(*graphic.Rendered());
    QPainter painter(&FImpl->Image);
    painter.drawImage(x, y, source);
}

void TBitmap::Assign(const TGPBitmap& pixels) {
    FImpl->Image = QImageOfBitmap(pixels);
}

std::unique_ptr<TGPBitmap> TBitmap::Rendered() const {
    return BitmapOfQImage(FImpl->Image);
}

// --- TIcon ---------------------------------------------------------------------------------------

TIcon::TIcon() : FImpl(std::make_unique<TImpl>()) {}

TIcon::~TIcon() = default;

int TIcon::Width() const {
    return FImpl->Image.width();
}

int TIcon::Height() const {
    return FImpl->Image.height();
}

bool TIcon::HandleAllocated() const {
    return !FImpl->Image.isNull();
}

void TIcon::SaveToStream(std::ostream& stream) const {
    if (!HandleAllocated())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, kIconFormat);
    writer.write(FImpl->Image);
    WriteBytes(stream, bytes);
}

std::unique_ptr<TGPBitmap> TIcon::Rendered() const {
    return BitmapOfQImage(FImpl->Image);
}

// --- TMetafile -----------------------------------------------------------------------------------

void TMetafile::SetBytes(std::string bytes) {
    FBytes = std::move(bytes);
    const auto byteAt = [this](std::size_t i) {
        return i < FBytes.size() ? std::uint32_t(static_cast<unsigned char>(FBytes[i])) : 0u;
    };
    const std::uint32_t key = byteAt(0) | byteAt(1) << 8 | byteAt(2) << 16 | byteAt(3) << 24;
    const std::uint32_t type = byteAt(0) | byteAt(1) << 8;
    const std::uint32_t headerWords = byteAt(2) | byteAt(3) << 8;
    const bool windowsMetafile =
        key == kPlaceableMetafileKey || ((type == kMetafileInMemory || type == kMetafileOnDisk) &&
                                         headerWords == kMetafileHeaderWords);
    FEnhanced = !windowsMetafile;
    FPicture = BitmapOfQImage(DecodeWindowsMetafile(QByteArray::fromStdString(FBytes)));
}

int TMetafile::Width() const {
    return int(FPicture->GetWidth());
}

int TMetafile::Height() const {
    return int(FPicture->GetHeight());
}

void TMetafile::SaveToStream(std::ostream& stream) const {
    stream.write(FBytes.data(), static_cast<std::streamsize>(FBytes.size()));
}

std::unique_ptr<TGPBitmap> TMetafile::Rendered() const {
    return BitmapOfQImage(FPicture->Native().Image);
}

// --- TPicture ------------------------------------------------------------------------------------

bool TPicture::LoadFromFile(const std::string& fileName) {
    FGraphic.reset();
    // Image format names are ASCII, and a file's extension is matched in ASCII case.
    const QByteArray suffix = QByteArray::fromStdString(platform::LowerCaseAscii(
        QFileInfo(QString::fromStdString(fileName)).suffix().toStdString()));
    if (suffix.isEmpty() || !QImageReader::supportedImageFormats().contains(suffix))
        return false;
    QImageReader reader(QString::fromStdString(fileName), suffix);
    QImage image = platform::ReadPictureWithinLimits(reader);
    if (image.isNull())
        return false;
    FGraphic = std::make_unique<TQtGraphic>(std::move(image));
    return true;
}
