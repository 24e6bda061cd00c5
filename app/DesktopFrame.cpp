#include "app/DesktopFrame.h"

#include <QPainter>

#include <vector>

void TDesktopFrame::Render(QSize size, const std::function<void(QPainter&)>& paint) {
    if (FImage.size() != size)
        FImage = QImage(size, QImage::Format_ARGB32_Premultiplied);
    FImage.fill(Qt::transparent);
    {
        QPainter painter(&FImage);
        paint(painter);
    }
    FShape = CoveredRegion(FImage);
}

QRegion CoveredRegion(const QImage& source) {
    const QImage image = source.format() == QImage::Format_ARGB32_Premultiplied ||
                                 source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // One rectangle per run of covered pixels in a row: rows top to bottom, runs left to
    // right, never touching, which is the banded order QRegion::setRects expects.
    std::vector<QRect> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && qAlpha(row[x]) == 0)
                ++x;
            const int start = x;
            while (x < image.width() && qAlpha(row[x]) != 0)
                ++x;
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}
