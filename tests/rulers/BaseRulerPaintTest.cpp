// The paint sequence of the instrument base, checked pixel by pixel on a bitmap.
#include "rulers/BaseRuler.h"

#include "foundation/Exceptions.h"
#include "foundation/SLGDIPBrushFont.h"
#include "platform/graphics/GPBrush.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPImage.h"
#include "platform/graphics/GPMatrix.h"
#include "platform/graphics/GPPen.h"
#include "platform/graphics/GPQtDrawAccess.h"
#include "platform/widgets/VclGraphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBody = 0xFF87CEEB;
constexpr ARGB kRim = 0xFF000000;
constexpr ARGB kMark = 0xFFFF0000;
constexpr ARGB kScale = 0xFF00AA00;

// A 100 x 80 box whose resize handle sits 4 px inside its right edge, so that its circle
// sticks out of the outline. The background is white-on-nothing (not drawn), so the
// body colour only shows where the handles are. The scale paints everything green,
// far beyond the outline; the clip must cut it back to the box.
class TPaintedRuler : public TBaseRuler {
public:
    bool FailInScale = false;
    TGPPointF Mark{-1000, -1000}; // a local point drawn as one red pixel

    TPaintedRuler() { SetSize(100, 80); }
    const TSLFontEx& LabelFont() const { return *Font; }

    void GetOutline(TGPGraphicsPath& path) const override {
        path.AddRectangle(TGPRectF(0, 0, Width, Height));
    }
    TGPPointF GetResizeHandle() const override { return {Width - 4, Height / 2}; }
    TGPPointF GetOrigin() const override { return {Width / 2, Height / 2}; }

    void DrawBackground(TGPGraphics& graphics) override {
        const TGPSolidBrush red(kMark);
        graphics.FillRectangle(red, Mark.X - 0.5f, Mark.Y - 0.5f, 1, 1);
    }
    void DrawScale(TGPGraphics& graphics) override {
        const TGPSolidBrush green(kScale);
        graphics.FillRectangle(green, -1000, 60, 3000, 4); // a band across the whole box
        if (FailInScale)
            throw EInvalidOperation("scale failed");
    }
};

ARGB Pixel(const TGPBitmap& bitmap, int x, int y) {
    return bitmap.Native().Image.pixel(x, y);
}

bool IsDark(ARGB color) {
    return ((color >> 16) & 0xFF) < 128 && ((color >> 8) & 0xFF) < 128 && (color & 0xFF) < 128;
}

std::unique_ptr<TGPBitmap> WhiteCanvas() {
    auto bitmap = std::make_unique<TGPBitmap>(400, 300);
    TGPGraphics(*bitmap).Clear(kWhite);
    return bitmap;
}

} // namespace

TEST(BaseRulerPaint, DrawsLocalPointsThroughOffsetsAndTurnsAboutThePivot) {
    auto canvas = WhiteCanvas();
    TPaintedRuler ruler;
    ruler.OffsetX = 100;
    ruler.OffsetY = 50;
    ruler.Mark = {10, 20};
    {
        TGPGraphics graphics(*canvas);
        ruler.Paint(graphics);
    }
    EXPECT_EQ(Pixel(*canvas, 110, 70), kMark);

    // Turned half a turn about its centre (150, 90): the centre stays, (10, 20) lands
    // mirrored through it.
    auto turned = WhiteCanvas();
    ruler.Angle = 180;
    ruler.Mark = {50, 40};
    {
        TGPGraphics graphics(*turned);
        ruler.Paint(graphics);
    }
    EXPECT_EQ(Pixel(*turned, 150, 90), kMark);
    ruler.Mark = {10, 20};
    auto again = WhiteCanvas();
    {
        TGPGraphics graphics(*again);
        ruler.Paint(graphics);
    }
    EXPECT_EQ(Pixel(*again, 190, 110), kMark);
}

TEST(BaseRulerPaint, TheScaleIsClippedToTheOutlineButTheHandlesAreNot) {
    auto canvas = WhiteCanvas();
    TPaintedRuler ruler;
    ruler.OffsetX = 100;
    ruler.OffsetY = 50;
    {
        TGPGraphics graphics(*canvas);
        ruler.Paint(graphics);
        EXPECT_FALSE(graphics.IsClipped()) << "the clip is reset after painting";
        TGPMatrix expected;
        expected.Translate(100, 50);
        expected.RotateAt(0, ruler.GetOrigin());
        TGPMatrix actual;
        graphics.GetTransform(actual);
        EXPECT_TRUE(actual.Equals(expected)) << "the world transform stays the instrument's";
    }
    // The scale band (local y 60..63) inside the box, not beside it.
    EXPECT_EQ(Pixel(*canvas, 120, 111), kScale);
    EXPECT_EQ(Pixel(*canvas, 98, 111), kWhite);
    EXPECT_EQ(Pixel(*canvas, 202, 111), kWhite);
    // Rotate handle centre local (64, 40) -> window (164, 90): body colour, a dark rim
    // 8 px away (anti-aliased).
    EXPECT_EQ(Pixel(*canvas, 164, 90), kBody);
    EXPECT_EQ(Pixel(*canvas, 164, 96), kBody);
    EXPECT_TRUE(IsDark(Pixel(*canvas, 164, 98)));
    // The resize handle at local (96, 40) reaches 4 px beyond the right edge, and that
    // part is drawn too; its cross runs through the centre.
    EXPECT_EQ(Pixel(*canvas, 202, 93), kBody);
    EXPECT_EQ(Pixel(*canvas, 196, 95), kRim);
    EXPECT_EQ(Pixel(*canvas, 199, 90), kRim);
}

TEST(BaseRulerPaint, AFailingScaleStillResetsTheClipAndTheErrorGoesOn) {
    auto canvas = WhiteCanvas();
    TPaintedRuler ruler;
    ruler.FailInScale = true;
    TGPGraphics graphics(*canvas);
    EXPECT_THROW(ruler.Paint(graphics), EInvalidOperation);
    EXPECT_FALSE(graphics.IsClipped());
}

TEST(BaseRulerFont, TheWindowsFontIsTakenOnceAndLaterChangesDoNotReachIt) {
    TPaintedRuler ruler;
    TFont window;
    window.SetName("Courier New");
    window.SetSize(14);
    window.SetStyle({.Bold = true});
    window.SetColor(clRed);
    ruler.EnsureFont(window);
    EXPECT_EQ(ruler.LabelFont().GetFontName(), "Courier New");
    EXPECT_EQ(ruler.LabelFont().GetSize(), 14);
    EXPECT_TRUE(ruler.LabelFont().GetBold());

    window.SetName("Tahoma");
    window.SetSize(30);
    window.SetStyle({});
    ruler.EnsureFont(window);
    EXPECT_EQ(ruler.LabelFont().GetFontName(), "Courier New");
    EXPECT_EQ(ruler.LabelFont().GetSize(), 14);
    EXPECT_TRUE(ruler.LabelFont().GetBold());

    // A new instrument (a new run) takes the font again.
    TPaintedRuler fresh;
    fresh.EnsureFont(window);
    EXPECT_EQ(fresh.LabelFont().GetSize(), 30);
}
