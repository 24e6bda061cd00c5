// The straight ruler: size rules, loading, handles, snapping and its scale.
#include "rulers/RectangleRuler.h"

#include "platform/desktop/Screen.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

void ExpectPoint(const TGPPointF& actual, float x, float y, float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.X, x, tolerance);
    EXPECT_NEAR(actual.Y, y, tolerance);
}

} // namespace

TEST(RectangleRulerTest, NewRulerKeepsTheSquaresCorner) {
    const TRectangleRuler ruler;
    EXPECT_EQ(ruler.Width, 500.0f);
    EXPECT_EQ(ruler.Height, 64.0f);
    EXPECT_EQ(ruler.Angle, 0.0f);
    // The offsets centre a 500 x 500 square; the strip is not centred again.
    const QSize screen = platform::PrimaryScreenSize();
    EXPECT_EQ(ruler.OffsetX, (screen.width() - 500) / 2.0f);
    EXPECT_EQ(ruler.OffsetY, (screen.height() - 500) / 2.0f);
}

TEST(RectangleRulerTest, SizeRuleForcesTheStripHeight) {
    struct Row {
        const char* why;
        float width, height, expectedWidth;
    };
    const Row rows[] = {
        {"height request ignored", 300, 200, 300},
        {"both below the minimum", 50, 10, 128},
        {"exactly the minimum", 128, 64, 128},
        {"long ruler", 1500.5f, 1, 1500.5f},
    };
    for (const Row& row : rows) {
        TRectangleRuler ruler;
        ruler.SetSize(row.width, row.height);
        EXPECT_EQ(ruler.Width, row.expectedWidth) << row.why;
        EXPECT_EQ(ruler.Height, 64.0f) << row.why;
    }
    EXPECT_EQ(TRectangleRuler().GetMinSize(), TGPPoint(128, 64));
}

TEST(RectangleRulerTest, LoadingAppliesTheSizeRule) {
    struct Row {
        const char* width;
        const char* height;
        float expectedWidth;
    };
    const Row rows[] = {{"90", "30", 128}, {"700", "100", 700}, {"300", "64", 300}};
    for (const Row& row : rows) {
        pugi::xml_document document;
        pugi::xml_node element = document.append_child("TRectangleRuler");
        element.append_attribute("Width") = row.width;
        element.append_attribute("Height") = row.height;
        element.append_attribute("OffsetX") = "10";
        TRectangleRuler ruler;
        ruler.ReadFromXmlNode(element);
        EXPECT_EQ(ruler.Width, row.expectedWidth) << row.width << " x " << row.height;
        EXPECT_EQ(ruler.Height, 64.0f) << row.width << " x " << row.height;
        EXPECT_EQ(ruler.OffsetX, 10.0f);
    }
}

TEST(RectangleRulerTest, HandlesAndPivot) {
    TRectangleRuler ruler;
    ExpectPoint(ruler.GetResizeHandle(), 468, 32);
    ExpectPoint(ruler.GetRotateHandle(), 436, 32);
    ExpectPoint(ruler.GetOrigin(), 0, 0);
    ruler.SetSize(128, 64);
    ExpectPoint(ruler.GetResizeHandle(), 96, 32);
    ExpectPoint(ruler.GetRotateHandle(), 64, 32);
}

TEST(RectangleRulerTest, SnapsOntoTheEdgeTheRayLeavesBy) {
    const TRectangleRuler ruler; // 500 x 64, centre (250, 32)
    struct Row {
        const char* why;
        TGPPointF p;
        TGPPointF expected;
    };
    const Row rows[] = {
        {"near the top", {100, 10}, {100, -2}},
        {"near the left end", {10, 30}, {-2, 30}},
        {"near the right end", {490, 60}, {502, 60}},
        {"near the bottom", {300, 63}, {300, 66}},
        {"far outside above", {-900, -400}, {-900, -2}},
        {"far outside right", {5000, 40}, {502, 40}},
        {"the centre has no direction and goes left", {250, 32}, {-2, 32}},
        {"the top-right corner belongs to the top", {500, 0}, {500, -2}},
        {"the bottom-right corner belongs to the right", {500, 64}, {502, 64}},
        {"the bottom-left corner belongs to the bottom", {0, 64}, {0, 66}},
        {"the top-left corner belongs to the left", {0, 0}, {-2, 0}},
    };
    for (const Row& row : rows) {
        const TGPPointF r = ruler.SnapPoint(row.p);
        EXPECT_NEAR(r.X, row.expected.X, 1e-3) << row.why;
        EXPECT_NEAR(r.Y, row.expected.Y, 1e-3) << row.why;
    }
}

TEST(RectangleRulerTest, VeryLongRulerLeavesFarPointsAlone) {
    TRectangleRuler ruler;
    ruler.SetSize(7000, 64); // the 3000 px ray from (3500, 32) ends inside
    const TGPPointF p{6900, 40};
    EXPECT_EQ(ruler.SnapPoint(p), p);
    ExpectPoint(ruler.SnapPoint({3600, 5}), 3600, -2);
}

TEST(RectangleRulerTest, ScaleFollowsTheResolutionAndTheWidth) {
    const auto narrow = [](const std::string& text) {
        return TScaleLabelBox{static_cast<int>(text.size()) * 7, 14};
    };
    TRectangleRuler ruler;
    ruler.SetPixelsPerInch(96);
    TScaleLayout layout = ruler.ScaleLayout(narrow);
    EXPECT_EQ(layout.Ticks.size(), 14u * 11);
    EXPECT_EQ(layout.Labels.size(), 13u);

    ruler.SetPixelsPerInch(120);
    ruler.SetSize(300, 64);
    layout = ruler.ScaleLayout(narrow);
    ASSERT_EQ(layout.Labels.size(), 6u); // ticks at 46, 93, ..., 282
    EXPECT_EQ(layout.Labels.back().Position, 282);

    // A width far beyond any screen, as a damaged file could hold it, is walked only up
    // to the shared bound.
    ruler.Width = 3.0e9f;
    layout = ruler.ScaleLayout(narrow);
    EXPECT_LT(layout.Ticks.size(), 11u * (static_cast<size_t>(kMaxScaleLength / 47) + 2));
}
