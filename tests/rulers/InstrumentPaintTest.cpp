// Offscreen renders of the four instruments, checked at chosen pixels. One PNG of each
// is kept under the build folder's test artefacts for a person to look at.
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPImage.h"
#include "rulers/ProtractorRuler.h"
#include "rulers/RectangleRuler.h"
#include "rulers/TriangleRuler.h"

#include <QImage>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr ARGB kBodyColor = 0xFF87CEEB;
constexpr float kMargin = 20; // px of empty image around the instrument

// An instrument painted into a transparent ARGB bitmap, its local (0, 0) at
// (kMargin, kMargin) and unrotated.
class TRender {
public:
    TRender(TBaseRuler& ruler, const std::string& artefactName)
        : Bitmap(static_cast<int>(ruler.Width + 2 * kMargin),
                 static_cast<int>(ruler.Height + 2 * kMargin)) {
        ruler.OffsetX = kMargin;
        ruler.OffsetY = kMargin;
        {
            TGPGraphics graphics(Bitmap);
            ruler.Paint(graphics);
        }
        Bitmap.LockBits(TGPRect(0, 0, Bitmap.GetWidth(), Bitmap.GetHeight()), ImageLockModeRead,
                        PixelFormat32bppARGB, Pixels);
        if (!artefactName.empty())
            QImage(static_cast<const uchar*>(Pixels.Scan0), Pixels.Width, Pixels.Height,
                   Pixels.Stride, QImage::Format_ARGB32)
                .save(QString::fromStdString(std::string(TARSEL_TEST_ARTIFACTS) + "/" +
                                             artefactName + ".png"));
    }
    ~TRender() { Bitmap.UnlockBits(Pixels); }

    // The pixel whose centre is the local point (x, y).
    ARGB At(float x, float y) const {
        const int px = static_cast<int>(std::lround(x + kMargin));
        const int py = static_cast<int>(std::lround(y + kMargin));
        return reinterpret_cast<const ARGB*>(TGPBitmap::ScanLine(Pixels, py))[px];
    }

private:
    TGPBitmap Bitmap;
    TGPBitmapData Pixels;
};

int Alpha(ARGB color) {
    return static_cast<int>(color >> 24);
}
// Mean of red, green and blue: ticks are dark, the body is light.
int Brightness(ARGB color) {
    return static_cast<int>(((color >> 16) & 0xFF) + ((color >> 8) & 0xFF) + (color & 0xFF)) / 3;
}

MATCHER(IsBody, "is the body colour") {
    return arg == kBodyColor;
}
// A 1 px line that crosses pixels at a slant covers each only in part; it still shows
// clearly darker than the body (brightness 192).
MATCHER(IsDark, "is an opaque pixel of a black line") {
    return Alpha(arg) == 255 && Brightness(arg) < 150;
}
MATCHER(IsEmpty, "is untouched") {
    return arg == 0u;
}

} // namespace

TEST(InstrumentPaintTest, StraightRuler) {
    TRectangleRuler ruler;
    ruler.SetPixelsPerInch(96);
    const TRender render(ruler, "RectangleRuler");
    // Centimetre ticks where the walk puts them, on both edges.
    EXPECT_THAT(render.At(37, 5), IsDark());
    EXPECT_THAT(render.At(37, 58), IsDark());
    EXPECT_THAT(render.At(490, 5), IsDark());
    EXPECT_THAT(render.At(3, 2), IsDark()); // first millimetre
    // Between ticks and in the middle row: the body.
    EXPECT_THAT(render.At(47, 3), IsBody());
    EXPECT_THAT(render.At(131, 32), IsBody());
    // The first tick at -1 lies outside the outline and is clipped away.
    EXPECT_THAT(render.At(-1, 5), IsEmpty());
    // Nothing outside the outline.
    EXPECT_THAT(render.At(-10, -10), IsEmpty());
    EXPECT_THAT(render.At(505, 32), IsEmpty());
    EXPECT_THAT(render.At(250, 70), IsEmpty());
}

TEST(InstrumentPaintTest, StraightRulerAt120PixelsPerInch) {
    TRectangleRuler ruler;
    ruler.SetPixelsPerInch(120);
    const TRender render(ruler, "");
    EXPECT_THAT(render.At(46, 5), IsDark());
    EXPECT_THAT(render.At(37, 8), IsBody()); // where the 96 ppi tick would be (below the mm tick)
    EXPECT_THAT(render.At(471, 58), IsDark());
}

TEST(InstrumentPaintTest, SetSquare) {
    TTriangleRuler square;
    square.SetPixelsPerInch(96);
    const TRender render(square, "TriangleRuler");
    EXPECT_THAT(render.At(37, 5), IsDark());     // top leg
    EXPECT_THAT(render.At(5, 37), IsDark());     // left leg
    EXPECT_THAT(render.At(47, 3), IsBody());     // band between top-leg ticks
    EXPECT_THAT(render.At(3, 47), IsBody());     // band between left-leg ticks
    EXPECT_THAT(render.At(100, 80), IsEmpty());  // the middle stays see-through
    EXPECT_THAT(render.At(400, 200), IsEmpty()); // beyond the hypotenuse
    EXPECT_THAT(render.At(-1, 5), IsEmpty());
    // Near the acute corner the top leg's ticks are cut at the hypotenuse.
    EXPECT_THAT(render.At(490, 8), IsEmpty());
}

TEST(InstrumentPaintTest, FullCircleProtractor) {
    TProtractorRuler360 protractor;
    const TRender render(protractor, "ProtractorRuler360");
    const float c = 250;
    const float inner = InnerCircleRadius(protractor.Width);
    const auto along = [&](float degrees, float distance) {
        const double a = degrees * std::numbers::pi / 180;
        return std::pair<float, float>(c + distance * std::cos(a), c + distance * std::sin(a));
    };
    // The 10-degree line at 30 degrees ("330") runs from the rim towards the centre but
    // stops at the inner circle.
    auto [lx, ly] = along(30, inner + 12);
    EXPECT_THAT(render.At(lx, ly), IsDark());
    auto [ix, iy] = along(30, inner / 2);
    EXPECT_THAT(render.At(ix, iy), IsBody());
    // A one-degree tick at 1 degree: 10 px long from the rim.
    auto [t1x, t1y] = along(1, 245);
    EXPECT_THAT(render.At(t1x, t1y), IsDark());
    auto [b1x, b1y] = along(1, 230);
    EXPECT_THAT(render.At(b1x, b1y), IsBody());
    // The centre cross.
    EXPECT_THAT(render.At(c, c - inner / 2), IsDark());
    // Outside the circle, inside its box.
    EXPECT_THAT(render.At(10, 10), IsEmpty());
    EXPECT_THAT(render.At(490, 490), IsEmpty());
}

TEST(InstrumentPaintTest, HalfCircleProtractor) {
    TProtractorRuler180 protractor;
    const TRender render(protractor, "ProtractorRuler180");
    const float c = 250;
    const float inner = InnerCircleRadius(protractor.Width);
    // The "120" line points up and to the left (240 degrees clockwise from +x); inside
    // the upper half of the inner circle there is none of it.
    const double a = 240 * std::numbers::pi / 180;
    EXPECT_THAT(render.At(c + (inner + 12) * std::cos(a), c + (inner + 12) * std::sin(a)),
                IsDark());
    EXPECT_THAT(render.At(c + inner / 2 * std::cos(a), c + inner / 2 * std::sin(a)), IsBody());
    // The thin strip below the diameter is body; below the chord nothing.
    EXPECT_THAT(render.At(150, protractor.ChordY() - 4), IsBody());
    EXPECT_THAT(render.At(150, protractor.ChordY() + 3), IsEmpty());
    EXPECT_THAT(render.At(250, 400), IsEmpty());
}
