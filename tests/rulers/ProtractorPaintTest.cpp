// The protractors keep their graduation laid out between paints and draw their scale
// without clipping it to the outline. Both must stay invisible: a kept graduation has
// to follow the size and the surface's dots per inch, and nothing may reach past the
// body, whatever the font.
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPPen.h"
#include "platform/graphics/GPQtDrawAccess.h"
#include "platform/widgets/VclGraphics.h"
#include "rulers/ProtractorRuler.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kSide = 560; // px, room for the largest protractor below and its handles
constexpr double kMetresPerInch = 0.0254;

// A transparent premultiplied surface (as the window's picture is) at dpi dots per inch.
std::unique_ptr<TGPBitmap> Surface(int dpi) {
    auto bitmap = std::make_unique<TGPBitmap>(kSide, kSide, PixelFormat32bppPARGB);
    QImage& image = bitmap->Native().Image;
    image.fill(Qt::transparent);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / kMetresPerInch)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / kMetresPerInch)));
    return bitmap;
}

// The instrument turned a little, its box at (20, 20), painted on a fresh surface.
QImage Painted(TProtractorRuler& protractor, int dpi = 96) {
    protractor.OffsetX = 20.25f;
    protractor.OffsetY = 20.5f;
    protractor.Angle = 15;
    auto surface = Surface(dpi);
    {
        TGPGraphics graphics(*surface);
        protractor.Paint(graphics);
    }
    return surface->Native().Image;
}

template <class TKind> std::unique_ptr<TKind> Sized(float side) {
    auto protractor = std::make_unique<TKind>();
    protractor->SetSize(side, side);
    return protractor;
}

template <class TKind> void ExpectTheGraduationFollowsTheSize() {
    auto kept = Sized<TKind>(500);
    const QImage before = Painted(*kept);
    kept->SetSize(400, 400);
    const QImage after = Painted(*kept);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, Painted(*Sized<TKind>(400)));
}

template <class TKind> void ExpectTheGraduationFollowsTheDotsPerInch() {
    auto kept = Sized<TKind>(500);
    const QImage at96 = Painted(*kept, 96);
    const QImage at144 = Painted(*kept, 144); // the numbers grow with the points' pixels
    EXPECT_NE(at144, at96);
    EXPECT_EQ(at144, Painted(*Sized<TKind>(500), 144));
    EXPECT_EQ(Painted(*kept, 96), at96);
}

// Pixels the instrument drew that lie outside its outline by more than the pen and its
// anti-aliased fringe (1.5 px).
int PixelsPastTheOutline(const TProtractorRuler& protractor, const QImage& image) {
    TGPGraphicsPath outline;
    protractor.GetOutline(outline);
    TGPPen widener(0xFF000000, 3.0f);
    TGPGraphicsPath fringe;
    protractor.GetOutline(fringe);
    fringe.Widen(widener);
    int past = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                continue;
            float localX = static_cast<float>(x), localY = static_cast<float>(y);
            protractor.ScreenToRuler(localX, localY);
            if (!outline.IsVisible(localX, localY) && !fringe.IsVisible(localX, localY))
                ++past;
        }
    return past;
}

} // namespace

TEST(ProtractorGraduation, APictureAfterAResizeEqualsAFreshOneOfThatSize) {
    ExpectTheGraduationFollowsTheSize<TProtractorRuler180>();
    ExpectTheGraduationFollowsTheSize<TProtractorRuler360>();
}

TEST(ProtractorGraduation, APictureOnASurfaceOfOtherDotsPerInchEqualsAFreshOne) {
    ExpectTheGraduationFollowsTheDotsPerInch<TProtractorRuler180>();
    ExpectTheGraduationFollowsTheDotsPerInch<TProtractorRuler360>();
}

TEST(ProtractorPaint, NothingReachesPastTheBody) {
    TProtractorRuler180 half;
    EXPECT_EQ(PixelsPastTheOutline(half, Painted(half)), 0);
    TProtractorRuler360 full;
    EXPECT_EQ(PixelsPastTheOutline(full, Painted(full)), 0);
}

// Numbers of a large font reach below the half circle's chord at 0 and 180 degrees and,
// on a small protractor, out to the rim; they are cut to the body like the rest.
TEST(ProtractorPaint, NumbersOfALargeFontAreCutToTheBody) {
    TFont large;
    large.SetSize(36);
    for (const float side : {500.0f, 300.0f}) {
        SCOPED_TRACE(side);
        auto half = Sized<TProtractorRuler180>(side);
        half->EnsureFont(large);
        EXPECT_EQ(PixelsPastTheOutline(*half, Painted(*half)), 0);
        auto full = Sized<TProtractorRuler360>(side);
        full->EnsureFont(large);
        EXPECT_EQ(PixelsPastTheOutline(*full, Painted(*full)), 0);
    }
}
