#pragma once
// The picture the main window shows: one instrument drawn on a fully transparent image
// as big as the window. The pixels the instrument covers (any alpha above zero) form the
// window's shape; everywhere else the window is neither visible nor clickable, so the
// desktop below shows through and takes the clicks. Black pixels of the instrument
// belong to it like any other colour.

#include <QImage>
#include <QRegion>
#include <QSize>

#include <functional>

class QPainter;

class TDesktopFrame {
public:
    // Draws a new picture of the given size (window pixels) with paint, which gets a
    // painter on the cleared image, and recomputes the shape.
    void Render(QSize size, const std::function<void(QPainter&)>& paint);

    const QImage& Image() const { return FImage; }
    // The covered pixels, in window coordinates; may be empty.
    const QRegion& Shape() const { return FShape; }
    bool IsEmpty() const { return FImage.isNull(); }

private:
    QImage FImage;
    QRegion FShape;
};

// The pixels of image whose alpha is above zero, as rectangles in image coordinates.
QRegion CoveredRegion(const QImage& image);
