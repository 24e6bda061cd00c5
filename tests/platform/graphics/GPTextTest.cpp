// Font families, fonts and text on bitmaps.
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPQtDrawAccess.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;
constexpr float kLabelPoints = 9.0f;

// The box around every pixel that is no longer white; empty when there is none.
QRect InkBox(const TGPBitmap& bitmap) {
    const QImage& image = bitmap.Native().Image;
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite)
                box |= QRect(x, y, 1, 1);
    return box;
}

std::unique_ptr<TGPBitmap> WhiteCanvas(int width, int height) {
    auto bitmap = std::make_unique<TGPBitmap>(width, height);
    TGPGraphics(*bitmap).Clear(kWhite);
    return bitmap;
}

TGPFontFamily AnyInstalledFamily() {
    return TGPFontFamily::Substitute("sans-serif");
}
} // namespace

TEST(GPFontFamily, FindsInstalledFamiliesWithoutRegardToCase) {
    const TGPInstalledFontCollection installed;
    ASSERT_FALSE(installed.GetFamilies().empty());
    const std::string name = installed.GetFamilies().front().GetFamilyName();
    std::string shouted = name;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    const TGPFontFamily family(shouted);
    ASSERT_TRUE(family.IsAvailable());
    EXPECT_EQ(family.GetFamilyName(), name); // the installed spelling

    EXPECT_FALSE(TGPFontFamily("No Such Family 7f3e").IsAvailable());
}

TEST(GPFontFamily, SubstituteFindsARealFamilyForAMissingName) {
    const TGPFontFamily substitute = TGPFontFamily::Substitute("No Such Family 7f3e");
    ASSERT_TRUE(substitute.IsAvailable());
    EXPECT_TRUE(TGPFontFamily(substitute.GetFamilyName()).IsAvailable());
}

TEST(GPFont, WithoutFamilyTheFontDrawsNothing) {
    const TGPFontFamily none("No Such Family 7f3e");
    const TGPFont font(&none, kLabelPoints);
    EXPECT_FALSE(font.IsAvailable());
    auto canvas = WhiteCanvas(60, 30);
    TGPGraphics graphics(*canvas);
    graphics.DrawString("123", font, {2, 2}, TGPSolidBrush(kBlack));
    EXPECT_TRUE(InkBox(*canvas).isEmpty());
    EXPECT_EQ(graphics.MeasureString("123", font, {}).Width, 0.0f);
}

TEST(GPText, DrawsInsideTheMeasuredBoxAtTheOrigin) {
    const TGPFontFamily family = AnyInstalledFamily();
    const TGPFont font(&family, kLabelPoints, FontStyleBold);
    ASSERT_TRUE(font.IsAvailable());
    auto canvas = WhiteCanvas(100, 50);
    TGPGraphics graphics(*canvas);
    graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
    const TGPRectF box = graphics.MeasureString("360", font, TGPRectF(0, 0, 0, 0));
    // 9 points at 96 dpi are 12 pixels: three digits are wider than tall, about one em high.
    EXPECT_GT(box.Width, box.Height);
    EXPECT_GT(box.Height, 11.0f);
    EXPECT_LT(box.Height, 20.0f);

    graphics.DrawString("360", font, {20, 10}, TGPSolidBrush(kBlack));
    const QRect ink = InkBox(*canvas);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 20);
    EXPECT_GE(ink.top(), 10);
    EXPECT_LE(ink.right(), 20 + box.Width);
    EXPECT_LE(ink.bottom(), 10 + box.Height);
}

TEST(GPText, VerticalFormatStandsTheBoxUpright) {
    const TGPFontFamily family = AnyInstalledFamily();
    const TGPFont font(&family, kLabelPoints);
    const TGPStringFormat vertical(StringFormatFlagsDirectionVertical);
    auto canvas = WhiteCanvas(60, 80);
    TGPGraphics graphics(*canvas);
    const TGPRectF across = graphics.MeasureString("180", font, {});
    const TGPRectF upright = graphics.MeasureString("180", font, {}, &vertical);
    EXPECT_FLOAT_EQ(upright.Width, across.Height);
    EXPECT_FLOAT_EQ(upright.Height, across.Width);

    graphics.DrawString("180", font, {20, 10}, &vertical, TGPSolidBrush(kBlack));
    const QRect ink = InkBox(*canvas);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), ink.width());
    EXPECT_GE(ink.left(), 20);
    EXPECT_GE(ink.top(), 10);
    EXPECT_LE(ink.right(), 20 + upright.Width);
    EXPECT_LE(ink.bottom(), 10 + upright.Height);
}

TEST(GPText, UsesTheBrushAndItsTransparency) {
    const TGPFontFamily family = AnyInstalledFamily();
    const TGPFont font(&family, 20.0f, FontStyleBold, UnitPixel);
    auto canvas = WhiteCanvas(80, 40);
    TGPGraphics graphics(*canvas);
    graphics.SetTextRenderingHint(TextRenderingHintSingleBitPerPixel);
    graphics.DrawString("88", font, {2, 2}, TGPSolidBrush(0x00000000));
    EXPECT_TRUE(InkBox(*canvas).isEmpty());
    graphics.DrawString("88", font, {2, 2}, TGPSolidBrush(0xFF0000FF));
    const QRect ink = InkBox(*canvas);
    ASSERT_FALSE(ink.isEmpty());
    // Single-bit text: every inked pixel is the brush colour itself.
    const QImage& image = canvas->Native().Image;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            EXPECT_TRUE(image.pixel(x, y) == kWhite || image.pixel(x, y) == 0xFF0000FFu);
}
