#include "app/InstrumentFrame.h"

#include "platform/graphics/GPGraphicsQt.h"
#include "rulers/BaseRuler.h"

#include <QPainter>

#include <cmath>
#include <vector>

TInstrumentFrame::TLook TInstrumentFrame::LookOf(const TBaseRuler& ruler) {
    return {&ruler,
            ruler.Width,
            ruler.Height,
            ruler.Angle,
            ruler.OffsetX - std::floor(ruler.OffsetX),
            ruler.OffsetY - std::floor(ruler.OffsetY)};
}

QPoint TInstrumentFrame::AnchorOf(const TBaseRuler& ruler) {
    return QPoint(static_cast<int>(std::floor(ruler.OffsetX)),
                  static_cast<int>(std::floor(ruler.OffsetY)));
}

bool TInstrumentFrame::Shows(const TBaseRuler& ruler, const QRect& window) const {
    return !FPicture.isNull() && FLook == LookOf(ruler) && FAnchor == AnchorOf(ruler) &&
           FWindow == window;
}

QRect TInstrumentFrame::VisiblePart(QPoint anchor, const QRect& window) const {
    return FPaintBounds & window.translated(-anchor);
}

QRect TInstrumentFrame::Update(TBaseRuler& ruler, const TFont& font, const QRect& window) {
    ruler.EnsureFont(font);
    const QPoint anchor = AnchorOf(ruler);
    if (!FPicture.isNull() && FLook == LookOf(ruler) && VisiblePart(anchor, window) == FVisible) {
        // Moved by whole pixels, the same part of it on the window: the same picture at
        // another place.
        FOrigin += anchor - FAnchor;
        FAnchor = anchor;
        FWindow = window;
    } else {
        Render(ruler, window);
    }
    return Bounds();
}

void TInstrumentFrame::Clear() {
    FPicture = QImage();
    FShape = QRegion();
    FLook = TLook();
}

void TInstrumentFrame::Render(TBaseRuler& ruler, const QRect& window) {
    // Whole pixels around the painted area; a degenerate placement (an offset no
    // screen reaches) paints nothing rather than overflow the pixel arithmetic.
    const TGPRectF paint = ruler.GetPaintBounds();
    const QRectF area(paint.X, paint.Y, paint.Width, paint.Height);
    const QRect painted = area.isValid() && area.width() <= 4 * kMaxRulerExtent &&
                                  area.height() <= 4 * kMaxRulerExtent
                              ? area.toAlignedRect()
                              : QRect();
    FLook = LookOf(ruler);
    FAnchor = AnchorOf(ruler);
    FWindow = window;
    FPaintBounds = painted.translated(-FAnchor);
    // Only what lies on the window can ever show: the picture holds that part alone, so
    // an instrument larger than the desktop costs the desktop's pixels, not its own.
    const QRect bounds = painted & window;
    FVisible = bounds.translated(-FAnchor);
    FOrigin = bounds.topLeft();
    // A picture of the same size is drawn over: turning a protractor keeps its bounding
    // box, and its pixels stay where they were, in memory and in the caches.
    const QSize size = bounds.size().expandedTo(QSize(1, 1));
    if (FPicture.size() != size)
        FPicture = QImage(size, QImage::Format_ARGB32_Premultiplied);
    FPicture.fill(Qt::transparent);
    if (!bounds.isEmpty()) {
        // Whole-pixel translation: every pixel comes out as in a picture of the whole
        // instrument; the painter leaves out what falls beyond the picture.
        QPainter painter(&FPicture);
        painter.translate(-bounds.topLeft());
        const std::unique_ptr<TGPGraphics> graphics = CreateGraphics(painter);
        ruler.Paint(*graphics);
    }
    FShape = CoveredRegion(FPicture);
}

namespace {
// In premultiplied or straight ARGB alike, a pixel is uncovered exactly when its alpha
// byte (the top one) is zero.
constexpr QRgb kAlphaMask = 0xFF000000u;
// Pixels looked at together: a run of an instrument's picture is mostly hundreds of
// pixels long, and four at a time the scan costs a fraction of the paint.
constexpr int kBlock = 4;

bool AllUncovered(const QRgb* pixels) {
    return ((pixels[0] | pixels[1] | pixels[2] | pixels[3]) & kAlphaMask) == 0;
}

bool AllCovered(const QRgb* pixels) {
    return (pixels[0] & kAlphaMask) != 0 && (pixels[1] & kAlphaMask) != 0 &&
           (pixels[2] & kAlphaMask) != 0 && (pixels[3] & kAlphaMask) != 0;
}

// Where the run of pixels like row[x] (covered or not) ends, at most width.
int RunEnd(const QRgb* row, int x, int width, bool covered) {
    if (covered) {
        while (x + kBlock <= width && AllCovered(row + x))
            x += kBlock;
        while (x < width && (row[x] & kAlphaMask) != 0)
            ++x;
    } else {
        while (x + kBlock <= width && AllUncovered(row + x))
            x += kBlock;
        while (x < width && (row[x] & kAlphaMask) == 0)
            ++x;
    }
    return x;
}
} // namespace

QRegion CoveredRegion(const QImage& source) {
    const QImage image = source.format() == QImage::Format_ARGB32_Premultiplied ||
                                 source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // One rectangle per run of covered pixels in a row: rows top to bottom, runs left to
    // right, never touching, which is the banded order QRegion::setRects expects.
    const int width = image.width();
    const int height = image.height();
    std::vector<QRect> runs;
    runs.reserve(static_cast<std::size_t>(height) * 2);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            const int start = RunEnd(row, x, width, false);
            x = RunEnd(row, start, width, true);
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}
