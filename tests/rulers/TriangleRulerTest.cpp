// The set square: size rules, handles, outline, snapping and its two scales.
#include "rulers/TriangleRuler.h"

#include "platform/graphics/GPGraphicsPath.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>

namespace {

void ExpectPoint(const TGPPointF& actual, float x, float y, float tolerance = 0.05f) {
    EXPECT_NEAR(actual.X, x, tolerance);
    EXPECT_NEAR(actual.Y, y, tolerance);
}

std::vector<int> CentimeterTicks(const TScaleLayout& layout) {
    std::vector<int> result;
    for (const TScaleTick& tick : layout.Ticks)
        if (tick.Kind == TScaleTickKind::Centimeter)
            result.push_back(tick.Position);
    return result;
}

} // namespace

TEST(TriangleRulerTest, SizeRuleKeepsEachMinimumApart) {
    TTriangleRuler square;
    EXPECT_EQ(square.Width, 500.0f);
    EXPECT_EQ(square.Height, 250.0f);
    square.SetSize(150, 400);
    EXPECT_EQ(square.Width, 200.0f);
    EXPECT_EQ(square.Height, 400.0f);
    square.SetSize(800, 20);
    EXPECT_EQ(square.Width, 800.0f);
    EXPECT_EQ(square.Height, 100.0f);
}

TEST(TriangleRulerTest, LoadedSizeStandsUntilTheNextResize) {
    pugi::xml_document document;
    pugi::xml_node element = document.append_child("TTriangleRuler");
    element.append_attribute("Width") = "150";
    element.append_attribute("Height") = "50";
    TTriangleRuler square;
    square.ReadFromXmlNode(element);
    EXPECT_EQ(square.Width, 150.0f);
    EXPECT_EQ(square.Height, 50.0f);
    square.SetSize(square.Width, square.Height);
    EXPECT_EQ(square.Width, 200.0f);
    EXPECT_EQ(square.Height, 100.0f);
}

TEST(TriangleRulerTest, HandlesSitInTheBandNearTheHypotenuse) {
    TTriangleRuler square;
    ExpectPoint(square.GetResizeHandle(), 217.8f, 108.9f);
    ExpectPoint(square.GetRotateHandle(), 190.9f, 120.1f);
    ExpectPoint(square.GetOrigin(), 0, 0);
    square.SetSize(200, 100);
    ExpectPoint(square.GetResizeHandle(), 67.8f, 33.9f);
    ExpectPoint(square.GetRotateHandle(), 44.6f, 40.2f);
}

TEST(TriangleRulerTest, OutlineStopsAPixelShortOfTheFarCorners) {
    const TTriangleRuler square;
    TGPGraphicsPath path;
    square.GetOutline(path);
    EXPECT_EQ(path.GetBounds(), TGPRectF(0, 0, 499, 249));
    EXPECT_TRUE(path.IsVisible(100, 100));
    EXPECT_FALSE(path.IsVisible(300, 150)); // beyond the hypotenuse
}

TEST(TriangleRulerTest, SnapsOntoLegsAndBeyondTheHypotenuse) {
    const TTriangleRuler square; // 500 x 250, rays from (125, 62.5)
    struct Row {
        const char* why;
        TGPPointF p;
        TGPPointF expected;
    };
    const Row rows[] = {
        {"near the top leg", {100, 5}, {100, -2}},
        {"near the left leg", {5, 200}, {-2, 200}},
        {"on the hypotenuse moves along the ray", {300, 100}, {301.96f, 100.42f}},
        {"the ray's own start goes to the left leg", {125, 62.5f}, {-2, 62.5f}},
        {"the right angle belongs to the left leg", {0, 0}, {-2, 0}},
    };
    for (const Row& row : rows) {
        const TGPPointF r = square.SnapPoint(row.p);
        EXPECT_NEAR(r.X, row.expected.X, 0.01) << row.why;
        EXPECT_NEAR(r.Y, row.expected.Y, 0.01) << row.why;
    }
}

TEST(TriangleRulerTest, FarBeyondTheHypotenuseComesBackAlongTheRay) {
    const TTriangleRuler square;
    const TGPPointF c{125, 62.5f}, p{450, 200};
    // Where the ray from c through p crosses x / 500 + y / 250 = 1.
    const double dx = p.X - c.X, dy = p.Y - c.Y;
    const double t = (1 - c.X / 500.0 - c.Y / 250.0) / (dx / 500 + dy / 250);
    const double crossingDistance = t * std::hypot(dx, dy);
    const TGPPointF r = square.SnapPoint(p);
    EXPECT_NEAR(std::hypot(r.X - c.X, r.Y - c.Y), crossingDistance + 2, 0.01);
    EXPECT_NEAR((r.X - c.X) * dy - (r.Y - c.Y) * dx, 0, 0.5); // still on the ray
}

TEST(TriangleRulerTest, HugeSetSquareLeavesFarPointsAlone) {
    TTriangleRuler square;
    square.SetSize(10000, 10000); // rays from (2500, 2500) stop 2000 px out
    const TGPPointF p{2600, 2600};
    EXPECT_EQ(square.SnapPoint(p), p);
}

TEST(TriangleRulerTest, EachLegHasItsOwnScale) {
    const auto wide = [](const std::string&) { return TScaleLabelBox{40, 14}; };
    TTriangleRuler square;
    square.SetPixelsPerInch(96);
    const TScaleLayout top = square.TopScaleLayout(wide);
    const TScaleLayout left = square.LeftScaleLayout(wide);
    EXPECT_EQ(CentimeterTicks(top), (std::vector<int>{-1, 37, 75, 112, 150, 188, 226, 264, 301, 339,
                                                      377, 415, 453, 490}));
    EXPECT_EQ(CentimeterTicks(left), (std::vector<int>{-1, 37, 75, 112, 150, 188, 226}));
    // Along the top leg 40 px wide labels crowd out every other one; down the left leg
    // only their 14 px height counts, and the numbering starts again at 1.
    ASSERT_EQ(top.Labels.size(), 6u);
    EXPECT_EQ(top.Labels[1].Text, "3");
    ASSERT_EQ(left.Labels.size(), 6u);
    EXPECT_EQ(left.Labels[0].Text, "1");
    EXPECT_EQ(left.Labels[1].Text, "2");

    square.SetPixelsPerInch(120);
    EXPECT_EQ(CentimeterTicks(square.LeftScaleLayout(wide)),
              (std::vector<int>{-1, 46, 93, 141, 188, 235}));
}
