#include "platform/pictures/ShellIcon.h"

#include "platform/pictures/VclPicture.h"
#include "platform/pictures/VclPictureQt.h"

#include <QApplication>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QStyle>

namespace {
QIcon IconForMimeType(const QMimeType& type) {
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}
} // namespace

void GetShellFileIcon(const std::string& fileName, int size, TIcon& icon) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(fileName));
    const QIcon themed = IconForMimeType(type);
    QImage image;
    if (!themed.isNull()) {
        // The icon's own pixmap may be smaller than asked; centre it on a transparent square.
        const QImage pixmap =
            themed.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        image = QImage(size, size, QImage::Format_ARGB32);
        image.fill(0);
        QPainter painter(&image);
        painter.drawImage((size - pixmap.width()) / 2, (size - pixmap.height()) / 2, pixmap);
    }
    icon.Native().Image = image;
}
