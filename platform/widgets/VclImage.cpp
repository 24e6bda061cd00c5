#include "platform/widgets/VclImage.h"

#include <QLabel>
#include <QPixmap>

namespace {
QLabel* Label(QWidget* widget) {
    return static_cast<QLabel*>(widget);
}
} // namespace

TImage::TImage(TComponent* owner) : TControl(owner, new QLabel) {
    Label(Widget())->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

bool TImage::LoadPicture(const std::string& fileName) {
    if (!Widget())
        return false;
    const QPixmap picture(QString::fromStdString(fileName));
    Label(Widget())->setPixmap(picture);
    FitPicture();
    return !picture.isNull();
}

bool TImage::HasPicture() const {
    return Widget() && !Label(Widget())->pixmap().isNull();
}

int TImage::PictureWidth() const {
    return HasPicture() ? Label(Widget())->pixmap().width() : 0;
}

int TImage::PictureHeight() const {
    return HasPicture() ? Label(Widget())->pixmap().height() : 0;
}

void TImage::SetAutoSize(bool value) {
    AutoSize_ = value;
    FitPicture();
}

void TImage::SetStretch(bool value) {
    Stretch_ = value;
    if (Widget())
        Label(Widget())->setScaledContents(value);
}

void TImage::SetTransparent(bool value) {
    if (Widget())
        Widget()->setAutoFillBackground(!value);
}

void TImage::FitPicture() {
    if (AutoSize_ && HasPicture())
        SetBounds(Left(), Top(), PictureWidth(), PictureHeight());
}
