#include "platform/pictures/VclClipboard.h"

#include "platform/pictures/VclPicture.h"
#include "platform/pictures/VclPictureQt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool TClipboard::HasFormat(std::uint16_t format) const {
    if (format != CF_BITMAP)
        return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasImage();
}

void TClipboard::AssignTo(TBitmap& bitmap) const {
    const QImage image = QGuiApplication::clipboard()->image();
    bitmap.Native().Image =
        image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
}

void TClipboard::Assign(const TBitmap& bitmap) {
    QGuiApplication::clipboard()->setImage(bitmap.Native().Image);
}

TClipboard& Clipboard() {
    static TClipboard clipboard; // stateless: the clipboard itself is the system's
    return clipboard;
}
