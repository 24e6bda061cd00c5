// The protractors: size rule, handles, outline, degree scale and snapping.
#include "rulers/ProtractorRuler.h"

#include "platform/graphics/GPGraphicsPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kSin4 = 0.0697564737441253;

void ExpectPoint(const TGPPointF& actual, float x, float y, float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.X, x, tolerance);
    EXPECT_NEAR(actual.Y, y, tolerance);
}

std::vector<std::string> LabelsOf(const std::vector<TDegreeTick>& ticks) {
    std::vector<std::string> result;
    for (const TDegreeTick& tick : ticks)
        if (tick.Kind == TDegreeTickKind::Labelled)
            result.push_back(tick.Label);
    return result;
}

size_t CountOf(const std::vector<TDegreeTick>& ticks, TDegreeTickKind kind) {
    return std::count_if(ticks.begin(), ticks.end(),
                         [kind](const TDegreeTick& tick) { return tick.Kind == kind; });
}

} // namespace

TEST(ProtractorRulerTest, BothKindsStartAsACentredSquare) {
    const TProtractorRuler180 half;
    const TProtractorRuler360 full;
    const TProtractorRuler plain;
    EXPECT_TRUE(half.IsHalfCircle);
    EXPECT_FALSE(full.IsHalfCircle);
    EXPECT_TRUE(plain.IsHalfCircle);
    for (const TProtractorRuler* ruler : {static_cast<const TProtractorRuler*>(&half),
                                          static_cast<const TProtractorRuler*>(&full)}) {
        EXPECT_EQ(ruler->Width, 500.0f);
        EXPECT_EQ(ruler->Height, 500.0f);
        ExpectPoint(ruler->GetOrigin(), 250, 250);
    }
    EXPECT_EQ(half.ClassName(), "TProtractorRuler180");
    EXPECT_EQ(full.ClassName(), "TProtractorRuler360");
}

TEST(ProtractorRulerTest, SizeRuleKeepsItSquare) {
    struct Row {
        float width, height, expected;
    };
    const Row rows[] = {{600, 400, 500}, {200, 250, 300}, {300, 300, 300}, {1000, 201, 600.5f}};
    for (const Row& row : rows) {
        TProtractorRuler360 ruler;
        ruler.SetSize(row.width, row.height);
        EXPECT_EQ(ruler.Width, row.expected) << row.width << " x " << row.height;
        EXPECT_EQ(ruler.Height, row.expected) << row.width << " x " << row.height;
    }
    EXPECT_EQ(TProtractorRuler180().GetMinSize(), TGPPoint(300, 300));
}

TEST(ProtractorRulerTest, HandlesOnTheHorizontalDiameter) {
    TProtractorRuler180 ruler;
    ExpectPoint(ruler.GetResizeHandle(), 428, 250);
    ExpectPoint(ruler.GetRotateHandle(), 396, 250);
    ruler.SetSize(300, 300);
    ExpectPoint(ruler.GetResizeHandle(), 228, 150);
    ExpectPoint(ruler.GetRotateHandle(), 196, 150);
}

TEST(ProtractorRulerTest, HalfCircleOutlineEndsJustBelowTheChord) {
    const TProtractorRuler180 half;
    const TProtractorRuler360 full;
    TGPGraphicsPath halfPath, fullPath;
    half.GetOutline(halfPath);
    full.GetOutline(fullPath);
    const float chord = 250 + 250 * kSin4;
    EXPECT_NEAR(half.ChordY(), chord, 1e-3);
    EXPECT_TRUE(halfPath.IsVisible(250, chord - 1));
    EXPECT_FALSE(halfPath.IsVisible(250, chord + 2));
    EXPECT_TRUE(halfPath.IsVisible(250, 5));
    EXPECT_TRUE(fullPath.IsVisible(250, 495));
    EXPECT_FALSE(fullPath.IsVisible(5, 5)); // the box corner lies outside the circle
}

TEST(ProtractorRulerTest, DegreeScales) {
    const std::vector<TDegreeTick> full = WalkDegreeScale(false);
    ASSERT_EQ(full.size(), 360u);
    std::vector<std::string> expectedFull;
    for (int value = 360; value >= 10; value -= 10)
        expectedFull.push_back(std::to_string(value));
    EXPECT_EQ(LabelsOf(full), expectedFull); // 0 itself is never printed
    EXPECT_EQ(CountOf(full, TDegreeTickKind::Five), 36u);
    EXPECT_EQ(CountOf(full, TDegreeTickKind::One), 288u);
    EXPECT_EQ(full[90].Degree, 90); // "270" at the bottom (y grows downward)
    EXPECT_EQ(full[90].Label, "270");

    const std::vector<TDegreeTick> half = WalkDegreeScale(true);
    ASSERT_EQ(half.size(), 181u); // both ends
    std::vector<std::string> expectedHalf;
    for (int value = 180; value >= 0; value -= 10)
        expectedHalf.push_back(std::to_string(value));
    EXPECT_EQ(LabelsOf(half), expectedHalf);
    EXPECT_EQ(half.front().Degree, 180); // "180" at the left end
    EXPECT_EQ(half[90].Degree, 270);     // "90" at the top
    EXPECT_EQ(half[90].Label, "90");
    EXPECT_EQ(half.back().Degree, 360); // "0" at the right end

    EXPECT_NEAR(InnerCircleRadius(500), 34.79, 0.01);
}

TEST(ProtractorRulerTest, HalfCircleSnapsToChordOrArc) {
    const TProtractorRuler180 half; // centre (250, 250), R 250
    const float chord = half.ChordY();
    struct Row {
        const char* why;
        TGPPointF p;
        TGPPointF expected;
    };
    const Row rows[] = {
        {"straight below the centre", {250, 400}, {250, chord + 2}},
        {"below and to the side drops straight down", {200, 300}, {200, chord + 2}},
        {"straight above the centre", {250, 100}, {250, -2}},
        {"to the right on the diameter goes to the arc", {450, 250}, {502, 250}},
        {"the centre goes towards the top-left corner",
         {250, 250},
         {static_cast<float>(250 - 252 / std::numbers::sqrt2),
          static_cast<float>(250 - 252 / std::numbers::sqrt2)}},
    };
    for (const Row& row : rows) {
        const TGPPointF r = half.SnapPoint(row.p);
        EXPECT_NEAR(r.X, row.expected.X, 0.01) << row.why;
        EXPECT_NEAR(r.Y, row.expected.Y, 0.01) << row.why;
    }
}

TEST(ProtractorRulerTest, FullCircleAlwaysSnapsToTheRim) {
    const TProtractorRuler360 full;
    for (const TGPPointF p : {TGPPointF(250, 400), TGPPointF(10, 10), TGPPointF(251, 250),
                              TGPPointF(-3000, 700), TGPPointF(250, 250)}) {
        const TGPPointF r = full.SnapPoint(p);
        EXPECT_NEAR(std::hypot(r.X - 250, r.Y - 250), 252, 0.01) << p.X << ", " << p.Y;
        if (!(p == TGPPointF(250, 250))) {
            // Same direction from the centre as the pointer.
            const double cross = (r.X - 250) * (p.Y - 250) - (r.Y - 250) * (p.X - 250);
            EXPECT_NEAR(cross / std::hypot(p.X - 250, p.Y - 250), 0, 0.05);
        }
    }
}
