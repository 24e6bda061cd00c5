// Drawing on bitmaps, checked pixel by pixel.
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPMatrix.h"
#include "platform/graphics/GPPen.h"
#include "platform/graphics/GPQtDrawAccess.h"

#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace {
constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;
constexpr ARGB kBlue = 0xFF0000FF;
constexpr ARGB kRed = 0xFFFF0000;

ARGB Pixel(const TGPBitmap& bitmap, int x, int y) {
    return bitmap.Native().Image.pixel(x, y);
}

// A bitmap cleared to one colour.
std::unique_ptr<TGPBitmap> Canvas(int width, int height, ARGB color) {
    auto bitmap = std::make_unique<TGPBitmap>(width, height);
    TGPGraphics(*bitmap).Clear(color);
    return bitmap;
}

int CountPixels(const TGPBitmap& bitmap, ARGB color) {
    int count = 0;
    for (int y = 0; y < int(bitmap.GetHeight()); ++y)
        for (int x = 0; x < int(bitmap.GetWidth()); ++x)
            count += Pixel(bitmap, x, y) == color;
    return count;
}
} // namespace

TEST(GPHatchBrush, PaintsForegroundLinesOverBackground) {
    auto canvas = Canvas(32, 32, kRed);
    {
        TGPGraphics graphics(*canvas);
        graphics.FillRectangle(TGPHatchBrush(HatchStyleHorizontal, kBlue, kWhite), 0, 0, 32, 32);
    }
    // One row in eight carries the line; the rest is the background, nothing is left red.
    EXPECT_EQ(CountPixels(*canvas, kBlue), 32 * 4);
    EXPECT_EQ(CountPixels(*canvas, kWhite), 32 * 28);
    EXPECT_EQ(Pixel(*canvas, 5, 8), kBlue);
    EXPECT_EQ(Pixel(*canvas, 5, 9), kWhite);
}

TEST(GPHatchBrush, PatternStaysUprightUnderATurnedWorld) {
    auto canvas = Canvas(40, 40, kRed);
    {
        TGPGraphics graphics(*canvas);
        graphics.TranslateTransform(20, 20);
        graphics.RotateTransform(30);
        graphics.FillRectangle(TGPHatchBrush(HatchStyleVertical, kBlue, kWhite), -100, -100, 200,
                               200);
    }
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(Pixel(*canvas, 16, y), kBlue) << y;
        EXPECT_EQ(Pixel(*canvas, 17, y), kWhite) << y;
    }
}

TEST(GPHatchBrush, EveryStyleHasItsOwnPartialPattern) {
    std::set<std::array<std::uint8_t, 8>> seen;
    for (int style = HatchStyleMin; style <= HatchStyleMax; ++style) {
        const auto rows = TGPHatchBrush::Pattern(HatchStyle(style));
        int lit = 0;
        for (auto row : rows)
            lit += std::popcount(row);
        EXPECT_GT(lit, 0) << "style " << style;
        EXPECT_LT(lit, 64) << "style " << style;
        EXPECT_TRUE(seen.insert(rows).second) << "style " << style << " repeats another";
    }
    EXPECT_EQ(seen.size(), std::size_t(HatchStyleTotal));
}

TEST(GPHatchBrush, PercentStylesGrowDenserInOrder) {
    int previous = 0;
    for (int style = HatchStyle05Percent; style <= HatchStyle90Percent; ++style) {
        int lit = 0;
        for (auto row : TGPHatchBrush::Pattern(HatchStyle(style)))
            lit += std::popcount(row);
        EXPECT_GT(lit, previous) << "style " << style;
        previous = lit;
    }
    // Half of the pixels, as a checkerboard.
    EXPECT_EQ(TGPHatchBrush::Pattern(HatchStyle50Percent)[0] ^
                  TGPHatchBrush::Pattern(HatchStyle50Percent)[1],
              0xFF);
}

TEST(GPBrush, BrushesThatHoldNothingLeaveTheSurfaceAlone) {
    auto canvas = Canvas(16, 16, kRed);
    {
        TGPGraphics graphics(*canvas);
        graphics.SetSmoothingMode(SmoothingModeAntiAlias);
        graphics.FillRectangle(TGPSolidBrush(0x00000000), 0, 0, 16, 16); // transparent black
        graphics.FillEllipse(TGPBrush(), 0, 0, 16, 16);
        graphics.FillRectangle(TGPHatchBrush(HatchStyle(HatchStyleTotal), kBlue, kWhite), 0, 0, 16,
                               16);
        TGPBitmap empty;
        graphics.FillRectangle(TGPTextureBrush(&empty), 0, 0, 16, 16);
    }
    EXPECT_EQ(CountPixels(*canvas, kRed), 16 * 16);
}

TEST(GPTextureBrush, TilesTheImageFromTheWorldOrigin) {
    auto tile = Canvas(2, 1, kBlue);
    TGPGraphics(*tile).FillRectangle(TGPSolidBrush(kWhite), 1, 0, 1, 1);
    auto canvas = Canvas(6, 2, kRed);
    TGPGraphics(*canvas).FillRectangle(TGPTextureBrush(tile.get()), 0, 0, 6, 2);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(Pixel(*canvas, x, 1), x % 2 ? kWhite : kBlue) << x;
}

TEST(GPGraphics, WholeCoordinatesFallOnPixelCentres) {
    for (const TSmoothingMode mode : {SmoothingModeNone, SmoothingModeAntiAlias}) {
        auto canvas = Canvas(20, 20, kWhite);
        {
            TGPGraphics graphics(*canvas);
            graphics.SetSmoothingMode(mode);
            graphics.DrawLine(TGPPen(kBlack), 0, 5, 9, 5);
            graphics.FillRectangle(TGPSolidBrush(kBlue), 10, 10, 5, 5);
        }
        for (int x = 1; x < 9; ++x) {
            EXPECT_EQ(Pixel(*canvas, x, 5), kBlack) << "mode " << mode << " x " << x;
            EXPECT_EQ(Pixel(*canvas, x, 4), kWhite) << "mode " << mode << " x " << x;
            EXPECT_EQ(Pixel(*canvas, x, 6), kWhite) << "mode " << mode << " x " << x;
        }
        if (mode == SmoothingModeNone) {
            // The rectangle covers pixels 10 to 14 in each direction, no more.
            EXPECT_EQ(CountPixels(*canvas, kBlue), 25);
            EXPECT_EQ(Pixel(*canvas, 10, 10), kBlue);
            EXPECT_EQ(Pixel(*canvas, 14, 14), kBlue);
        }
    }
}

TEST(GPGraphics, PrependedStepsActOnLocalPointsFirst) {
    auto canvas = Canvas(200, 100, kWhite);
    {
        TGPGraphics graphics(*canvas);
        graphics.TranslateTransform(100, 50);
        graphics.RotateTransform(90); // local (10, 20) -> (-20, 10) -> window (80, 60)
        graphics.FillRectangle(TGPSolidBrush(kBlack), 10, 20, 4, 4); // window x 76..80, y 60..64
        TGPMatrix world;
        graphics.GetTransform(world);
        const TGPPointF mapped = world.TransformPoint({10, 20});
        EXPECT_NEAR(mapped.X, 80, 1e-4);
        EXPECT_NEAR(mapped.Y, 60, 1e-4);
    }
    EXPECT_EQ(CountPixels(*canvas, kBlack), 16);
    EXPECT_EQ(Pixel(*canvas, 78, 62), kBlack);
}

TEST(GPGraphicsClip, ExcludeKeepsStrokesOutOfTheArea) {
    auto canvas = Canvas(60, 60, kWhite);
    {
        TGPGraphics graphics(*canvas);
        graphics.SetSmoothingMode(SmoothingModeAntiAlias);
        TGPGraphicsPath outline;
        outline.AddRectangle(TGPRectF(10, 10, 40, 40));
        graphics.SetClip(outline);
        TGPGraphicsPath hole;
        hole.AddEllipse(20, 20, 20, 20);
        graphics.SetClip(hole, TCombineMode::Exclude);
        for (int y = 0; y < 60; ++y)
            graphics.DrawLine(TGPPen(kBlack), 0, float(y), 59, float(y));
    }
    EXPECT_EQ(Pixel(*canvas, 30, 30), kWhite); // in the hole
    EXPECT_EQ(Pixel(*canvas, 25, 30), kWhite);
    EXPECT_EQ(Pixel(*canvas, 5, 30), kWhite); // outside the outline
    EXPECT_EQ(Pixel(*canvas, 55, 55), kWhite);
    EXPECT_EQ(Pixel(*canvas, 12, 30), kBlack); // in the outline, beside the hole
    EXPECT_EQ(Pixel(*canvas, 30, 15), kBlack);
}

// An outline on whole coordinates holds exactly its pixels, under anti-aliasing too: a
// tick drawn on its right edge (x = width) is cut away, one on its left edge is kept.
TEST(GPGraphicsClip, AnAntiAliasedRectangleHoldsExactlyItsWholePixels) {
    auto canvas = Canvas(30, 20, kWhite);
    {
        TGPGraphics graphics(*canvas);
        graphics.SetSmoothingMode(SmoothingModeAntiAlias);
        graphics.TranslateTransform(5, 5);
        TGPGraphicsPath outline;
        outline.AddRectangle(TGPRectF(0, 0, 20, 10));
        graphics.SetClip(outline);
        for (const float x : {0.0f, 19.0f, 20.0f})
            graphics.DrawLine(TGPPen(kBlack), x, 0, x, 5);
    }
    EXPECT_EQ(Pixel(*canvas, 5, 7), kBlack) << "the first column of the outline";
    EXPECT_EQ(Pixel(*canvas, 24, 7), kBlack) << "its last column";
    EXPECT_EQ(Pixel(*canvas, 25, 7), kWhite) << "the column beyond it";
    for (int y = 0; y < 20; ++y)
        EXPECT_EQ(Pixel(*canvas, 25, y), kWhite) << "row " << y;
}

TEST(GPGraphicsClip, ExcludeWithoutClipLeavesEverythingElse) {
    auto canvas = Canvas(20, 20, kWhite);
    {
        TGPGraphics graphics(*canvas);
        TGPGraphicsPath hole;
        hole.AddRectangle(TGPRectF(5, 5, 10, 10));
        graphics.SetClip(hole, TCombineMode::Exclude);
        graphics.FillRectangle(TGPSolidBrush(kBlack), 0, 0, 20, 20);
    }
    EXPECT_EQ(CountPixels(*canvas, kWhite), 100);
    EXPECT_EQ(Pixel(*canvas, 0, 0), kBlack);
    EXPECT_EQ(Pixel(*canvas, 19, 19), kBlack);
}

TEST(GPGraphicsClip, StaysWhereItWasSetWhenTheTransformMoves) {
    auto canvas = Canvas(40, 20, kWhite);
    {
        TGPGraphics graphics(*canvas);
        TGPGraphicsPath area;
        area.AddRectangle(TGPRectF(0, 0, 10, 20));
        graphics.SetClip(area);
        graphics.TranslateTransform(20, 0);
        graphics.FillRectangle(TGPSolidBrush(kBlack), -20, 0, 40, 20);
        graphics.ResetClip();
        graphics.FillRectangle(TGPSolidBrush(kBlue), 10, 0, 1, 1); // at window (30, 0)
    }
    EXPECT_EQ(Pixel(*canvas, 5, 5), kBlack);
    EXPECT_EQ(Pixel(*canvas, 15, 5), kWhite);
    EXPECT_EQ(Pixel(*canvas, 30, 0), kBlue);
}

TEST(GPGraphicsState, RestoreBringsBackTransformClipAndQualityAndDropsLaterStates) {
    auto canvas = Canvas(20, 20, kWhite);
    TGPGraphics graphics(*canvas);
    const TGraphicsState outer = graphics.Save();
    graphics.TranslateTransform(5, 5);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    TGPGraphicsPath area;
    area.AddRectangle(TGPRectF(0, 0, 1, 1));
    graphics.SetClip(area);
    const TGraphicsState inner = graphics.Save();
    graphics.RotateTransform(45);

    graphics.Restore(outer);
    TGPMatrix world;
    graphics.GetTransform(world);
    EXPECT_TRUE(world.IsIdentity());
    EXPECT_FALSE(graphics.IsClipped());
    EXPECT_EQ(graphics.GetSmoothingMode(), SmoothingModeDefault);

    // The inner state went with the outer one.
    graphics.TranslateTransform(1, 1);
    graphics.Restore(inner);
    graphics.GetTransform(world);
    EXPECT_FALSE(world.IsIdentity());

    graphics.FillRectangle(TGPSolidBrush(kBlack), 0, 0, 20, 20);
    EXPECT_EQ(Pixel(*canvas, 1, 1), kBlack); // unclipped after the restore
}

// The clip that is in force is the one last set or restored, however often the same area
// comes back: after a state with another clip is restored, and after a reset.
TEST(GPGraphicsClip, TheSameAreaSetOrRestoredAgainIsInForce) {
    TGPGraphicsPath left;
    left.AddRectangle(TGPRectF(0, 0, 10, 20));
    TGPGraphicsPath right;
    right.AddRectangle(TGPRectF(30, 0, 10, 20));
    auto canvas = Canvas(40, 20, kWhite);
    {
        TGPGraphics graphics(*canvas);
        graphics.SetClip(left);
        const TGraphicsState state = graphics.Save();
        graphics.SetClip(right);
        graphics.Restore(state);
        graphics.FillRectangle(TGPSolidBrush(kBlack), 0, 0, 40, 10);

        graphics.ResetClip();
        graphics.SetClip(left);
        graphics.SetClip(left);
        graphics.FillRectangle(TGPSolidBrush(kBlue), 0, 10, 40, 10);

        graphics.ResetClip();
        graphics.FillRectangle(TGPSolidBrush(kRed), 20, 0, 1, 1); // unclipped again
    }
    EXPECT_EQ(Pixel(*canvas, 5, 5), kBlack);
    EXPECT_EQ(Pixel(*canvas, 35, 5), kWhite);
    EXPECT_EQ(Pixel(*canvas, 5, 15), kBlue);
    EXPECT_EQ(Pixel(*canvas, 35, 15), kWhite);
    EXPECT_EQ(Pixel(*canvas, 20, 0), kRed);
}

// The painter is clipped only when something is drawn: every kind of drawing must find
// the clip that was set just before it, also after other clips came and went unused.
TEST(GPGraphicsClip, EveryKindOfDrawingHonoursTheClipSetJustBefore) {
    const TGPFontFamily family = TGPFontFamily::Substitute("sans-serif");
    const TGPFont font(&family, 40, FontStyleBold, UnitPixel);
    auto picture = Canvas(40, 40, kBlack);
    const std::function<void(TGPGraphics&)> drawings[] = {
        [](TGPGraphics& g) { g.FillRectangle(TGPSolidBrush(kBlue), 0, 0, 40, 40); },
        [](TGPGraphics& g) { g.DrawRectangle(TGPPen(kBlue, 12), 4, 4, 32, 32); },
        [](TGPGraphics& g) { g.DrawLine(TGPPen(kBlue, 40), 0, 20, 40, 20); },
        [](TGPGraphics& g) { g.Clear(kBlue); },
        [&](TGPGraphics& g) { g.DrawImage(*picture, 0, 0); },
        [&](TGPGraphics& g) { g.DrawString("WW", font, TGPPointF(0, -5), TGPSolidBrush(kBlue)); },
    };
    TGPGraphicsPath left;
    left.AddRectangle(TGPRectF(0, 0, 20, 40));
    TGPGraphicsPath right;
    right.AddRectangle(TGPRectF(20, 0, 20, 40));
    for (std::size_t i = 0; i < std::size(drawings); ++i) {
        SCOPED_TRACE(i);
        auto canvas = Canvas(40, 40, kWhite);
        {
            TGPGraphics graphics(*canvas);
            graphics.SetClip(right);
            graphics.ResetClip();
            graphics.SetClip(left);
            drawings[i](graphics);
        }
        int changedLeft = 0, changedRight = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                (x < 20 ? changedLeft : changedRight) += Pixel(*canvas, x, y) != kWhite;
        EXPECT_GT(changedLeft, 0);
        EXPECT_EQ(changedRight, 0);
    }
}

TEST(GPGraphics, ClearReplacesPixelsInsideTheClipOnly) {
    auto canvas = Canvas(10, 10, kRed);
    {
        TGPGraphics graphics(*canvas);
        TGPGraphicsPath area;
        area.AddRectangle(TGPRectF(0, 0, 5, 10));
        graphics.SetClip(area);
        graphics.Clear(0x00000000);
    }
    EXPECT_EQ(Pixel(*canvas, 2, 2), 0x00000000u); // not blended: fully transparent
    EXPECT_EQ(Pixel(*canvas, 7, 2), kRed);
}

TEST(GPGraphics, NothingHappensOnAnImageWithoutPixels) {
    TGPBitmap empty;
    TGPGraphics graphics(empty);
    EXPECT_FALSE(graphics.IsValid());
    graphics.Clear(kBlack);
    graphics.DrawLine(TGPPen(kBlack), 0, 0, 10, 10);
    EXPECT_EQ(empty.GetWidth(), 0u);
}
