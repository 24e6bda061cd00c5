// The centimetre scale walk: tick and label positions without any painting.
#include "rulers/RectangleRuler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

std::vector<int> PositionsOf(const TScaleLayout& layout, TScaleTickKind kind) {
    std::vector<int> result;
    for (const TScaleTick& tick : layout.Ticks)
        if (tick.Kind == kind)
            result.push_back(tick.Position);
    return result;
}

std::vector<std::string> TextsOf(const TScaleLayout& layout) {
    std::vector<std::string> result;
    for (const TScaleLabel& label : layout.Labels)
        result.push_back(label.Text);
    return result;
}

// Every label has the same box, like digits of a fixed-width font would.
TScaleLabelMeasure FixedBox(int width, int height) {
    return [=](const std::string&) { return TScaleLabelBox{width, height}; };
}

// A box that grows with the number of digits, 7 px per digit.
TScaleLabelBox DigitBox(const std::string& text) {
    return {static_cast<int>(text.size()) * 7, 14};
}

} // namespace

TEST(PixelsPerCentimeterTest, FollowsTheLogicalResolution) {
    EXPECT_FLOAT_EQ(PixelsPerCentimeter(96), 37.7952f);
    EXPECT_FLOAT_EQ(PixelsPerCentimeter(120), 47.244f);
    // A screen that reports nothing sensible is treated as an unscaled one.
    EXPECT_FLOAT_EQ(PixelsPerCentimeter(0), 37.7952f);
    EXPECT_FLOAT_EQ(PixelsPerCentimeter(-120), 37.7952f);
}

TEST(CentimeterScaleTest, TicksAt96PixelsPerInch) {
    const TScaleLayout layout =
        WalkCentimeterScale(500, PixelsPerCentimeter(96), TScaleAxis::Horizontal, DigitBox);
    EXPECT_EQ(
        PositionsOf(layout, TScaleTickKind::Centimeter),
        (std::vector<int>{-1, 37, 75, 112, 150, 188, 226, 264, 301, 339, 377, 415, 453, 490}));
    const std::vector<int> halves = PositionsOf(layout, TScaleTickKind::HalfCentimeter);
    ASSERT_EQ(halves.size(), 14u);
    EXPECT_EQ(std::vector<int>(halves.begin(), halves.begin() + 4),
              (std::vector<int>{18, 56, 93, 131}));
    const std::vector<int> millimeters = PositionsOf(layout, TScaleTickKind::Millimeter);
    ASSERT_EQ(millimeters.size(), 14u * 9);
    EXPECT_EQ(
        std::vector<int>(millimeters.begin(), millimeters.begin() + 18),
        (std::vector<int>{3, 7, 10, 14, 18, 22, 25, 29, 33, 41, 44, 48, 52, 56, 59, 63, 67, 71}));
}

TEST(CentimeterScaleTest, TicksAt120PixelsPerInch) {
    const TScaleLayout layout =
        WalkCentimeterScale(500, PixelsPerCentimeter(120), TScaleAxis::Horizontal, DigitBox);
    EXPECT_EQ(PositionsOf(layout, TScaleTickKind::Centimeter),
              (std::vector<int>{-1, 46, 93, 141, 188, 235, 282, 330, 377, 424, 471}));
    const std::vector<int> halves = PositionsOf(layout, TScaleTickKind::HalfCentimeter);
    EXPECT_EQ(std::vector<int>(halves.begin(), halves.begin() + 4),
              (std::vector<int>{23, 70, 117, 164}));
    const std::vector<int> millimeters = PositionsOf(layout, TScaleTickKind::Millimeter);
    EXPECT_EQ(std::vector<int>(millimeters.begin(), millimeters.begin() + 9),
              (std::vector<int>{4, 8, 13, 18, 23, 27, 32, 37, 42}));
}

TEST(CentimeterScaleTest, TickOrderAndLengthsPerCentimeter) {
    // Centimetre tick, then the half tick, then nine millimetre ticks; the fifth
    // millimetre tick lands on the half tick and is drawn after it.
    const TScaleLayout layout =
        WalkCentimeterScale(30, PixelsPerCentimeter(96), TScaleAxis::Horizontal, DigitBox);
    ASSERT_EQ(layout.Ticks.size(), 11u);
    EXPECT_EQ(layout.Ticks[0].Length, 10.0f);
    EXPECT_EQ(layout.Ticks[1].Length, 8.0f);
    for (size_t i = 2; i < layout.Ticks.size(); ++i)
        EXPECT_EQ(layout.Ticks[i].Length, 5.0f);
    EXPECT_EQ(layout.Ticks[1].Position, layout.Ticks[6].Position);
}

TEST(CentimeterScaleTest, NarrowLabelsEveryCentimetreExceptTheClippedFirst) {
    const TScaleLayout layout =
        WalkCentimeterScale(500, PixelsPerCentimeter(96), TScaleAxis::Horizontal, DigitBox);
    EXPECT_EQ(TextsOf(layout), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8",
                                                         "9", "10", "11", "12", "13"}));
    EXPECT_EQ(layout.Labels.front().Position, 37);
    EXPECT_EQ(layout.Labels.back().Position, 490);
}

TEST(CentimeterScaleTest, WideLabelsSkipEveryOther) {
    // 40 px labels: "1" spans 17..57, "2" would start at 55 (not beyond 59), "3" at 92.
    const TScaleLayout layout =
        WalkCentimeterScale(500, PixelsPerCentimeter(96), TScaleAxis::Horizontal, FixedBox(40, 14));
    // "13" at 490 would end at 510, beyond the far end: placed, but not drawn.
    EXPECT_EQ(TextsOf(layout), (std::vector<std::string>{"1", "3", "5", "7", "9", "11"}));
}

TEST(CentimeterScaleTest, LabelMustEndShortOfTheFarEnd) {
    // "13" sits on the tick at 490 and spans 483..497 with 7 px digits.
    const float ppcm = PixelsPerCentimeter(96);
    const TScaleLayout touching = WalkCentimeterScale(497, ppcm, TScaleAxis::Horizontal, DigitBox);
    ASSERT_FALSE(touching.Labels.empty());
    EXPECT_EQ(touching.Labels.back().Text, "12");
    EXPECT_EQ(PositionsOf(touching, TScaleTickKind::Centimeter).back(), 490);
    // The fit test compares as floats: half a pixel more room is enough.
    const TScaleLayout fitting =
        WalkCentimeterScale(497.5f, ppcm, TScaleAxis::Horizontal, DigitBox);
    EXPECT_EQ(fitting.Labels.back().Text, "13");
}

TEST(CentimeterScaleTest, VerticalScaleSpacesLabelsByHeight) {
    // Wide but low labels: along a vertical leg only their height counts.
    const TScaleLayout layout =
        WalkCentimeterScale(250, PixelsPerCentimeter(96), TScaleAxis::Vertical, FixedBox(40, 14));
    EXPECT_EQ(TextsOf(layout), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
    const TScaleLayout tall =
        WalkCentimeterScale(250, PixelsPerCentimeter(96), TScaleAxis::Vertical, FixedBox(7, 40));
    EXPECT_EQ(TextsOf(tall), (std::vector<std::string>{"1", "3", "5"}));
}

TEST(CentimeterScaleTest, DamagedLengthsStayBounded) {
    const float ppcm = PixelsPerCentimeter(96);
    // One centimetre tick, one half tick and nine millimetre ticks per step.
    const size_t boundedTicks =
        11 * (static_cast<size_t>(std::ceil((kMaxScaleLength + 1) / ppcm)) + 1);
    for (float limit : {1.0e9f, 1.0e30f, INFINITY}) {
        const TScaleLayout layout =
            WalkCentimeterScale(limit, ppcm, TScaleAxis::Horizontal, FixedBox(7, 14));
        EXPECT_LE(layout.Ticks.size(), boundedTicks) << limit;
        EXPECT_GT(layout.Ticks.size(), 1000u) << limit;
    }
    EXPECT_TRUE(WalkCentimeterScale(NAN, ppcm, TScaleAxis::Horizontal, {}).Ticks.empty());
    EXPECT_TRUE(WalkCentimeterScale(-50, ppcm, TScaleAxis::Horizontal, {}).Ticks.empty());
    // A zero or negative step would never reach the end.
    EXPECT_TRUE(WalkCentimeterScale(500, 0.0f, TScaleAxis::Horizontal, {}).Ticks.empty());
    EXPECT_TRUE(WalkCentimeterScale(500, -3.0f, TScaleAxis::Horizontal, {}).Ticks.empty());
    EXPECT_TRUE(WalkCentimeterScale(500, NAN, TScaleAxis::Horizontal, {}).Ticks.empty());
}
