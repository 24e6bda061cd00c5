#include "platform/graphics/GPRegion.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPMatrix.h"
#include "platform/graphics/GPPen.h"

#include <gtest/gtest.h>

TEST(GPRegion, NewRegionIsInfiniteUntilMadeEmpty) {
    TGPRegion region;
    EXPECT_TRUE(region.IsInfinite());
    EXPECT_TRUE(region.IsVisible(-1e6f, 1e6f));
    region.MakeEmpty();
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_FALSE(region.IsVisible(0.0f, 0.0f));
}

TEST(GPRegion, UnionOfAnEmptyRegionWithAWidenedOutlineIsTheBand) {
    TGPRegion region;
    region.MakeEmpty();
    TGPGraphicsPath outline(TFillMode::Alternate);
    outline.AddRectangle({0, 0, 500, 64});
    outline.Widen(TGPPen(0xFF000000, 16.0f), nullptr, 0.25f);
    region.Union(outline);
    EXPECT_TRUE(region.IsVisible(100.0f, -7.0f));
    EXPECT_TRUE(region.IsVisible(100.0f, 7.0f));
    EXPECT_FALSE(region.IsVisible(100.0f, 9.0f));
    EXPECT_FALSE(region.IsVisible(100.0f, 32.0f));
}

TEST(GPRegion, CombinationsOfTwoSquares) {
    // a = (0, 0)-(100, 100), b = (50, 50)-(150, 150); probe only in a, both, only in b.
    struct Row {
        const char* name;
        TCombineMode mode;
        bool onlyA, both, onlyB;
    };
    const Row rows[] = {
        {"union", TCombineMode::Union, true, true, true},
        {"intersect", TCombineMode::Intersect, false, true, false},
        {"exclude", TCombineMode::Exclude, true, false, false},
        {"xor", TCombineMode::Xor, true, false, true},
        {"complement", TCombineMode::Complement, false, false, true},
        {"replace", TCombineMode::Replace, false, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TGPRegion a(TGPRectF(0, 0, 100, 100));
        a.Combine(TGPRegion(TGPRectF(50, 50, 100, 100)), row.mode);
        EXPECT_EQ(a.IsVisible(25.0f, 25.0f), row.onlyA);
        EXPECT_EQ(a.IsVisible(75.0f, 75.0f), row.both);
        EXPECT_EQ(a.IsVisible(125.0f, 125.0f), row.onlyB);
        EXPECT_FALSE(a.IsVisible(500.0f, 500.0f));
    }
}

TEST(GPRegion, InfiniteRegionsCombine) {
    TGPRegion everything;
    everything.Intersect(TGPRectF(0, 0, 10, 10));
    EXPECT_FALSE(everything.IsInfinite());
    EXPECT_TRUE(everything.IsVisible(5.0f, 5.0f));
    EXPECT_FALSE(everything.IsVisible(50.0f, 5.0f));

    TGPRegion holed;
    holed.Exclude(TGPRectF(0, 0, 10, 10));
    EXPECT_FALSE(holed.IsVisible(5.0f, 5.0f));
    EXPECT_TRUE(holed.IsVisible(50.0f, 5.0f));

    TGPRegion small(TGPRectF(0, 0, 10, 10));
    small.Union(TGPRegion());
    EXPECT_TRUE(small.IsInfinite());
    EXPECT_EQ(small.GetBounds(), TGPRegion::InfiniteBounds);
}

TEST(GPRegion, HandleCircleFromAPath) {
    TGPGraphicsPath circle;
    circle.AddEllipse(468.0f - 8.0f, 32.0f - 8.0f, 16.0f, 16.0f);
    TGPRegion region(circle);
    EXPECT_TRUE(region.IsVisible(468.0f, 32.0f));
    EXPECT_TRUE(region.IsVisible(468.0f + 7.5f, 32.0f));
    EXPECT_FALSE(region.IsVisible(468.0f + 6.0f, 32.0f + 6.0f)); // 8.5 px away
    EXPECT_FALSE(region.IsVisible(436.0f, 32.0f));

    TGPMatrix m;
    m.Translate(-468.0f, -32.0f);
    region.Transform(m);
    EXPECT_TRUE(region.IsVisible(0.0f, 0.0f));
    const TGPRectF bounds = region.GetBounds();
    EXPECT_NEAR(bounds.X, -8.0f, 1e-3f);
    EXPECT_NEAR(bounds.Width, 16.0f, 1e-3f);
}

TEST(GPRegion, UnionKeepsEachOperandsFillMode) {
    TGPGraphicsPath band; // winding after widening
    band.AddRectangle({0, 0, 500, 64});
    band.Widen(TGPPen(0xFF000000, 16.0f), nullptr, 0.25f);
    TGPGraphicsPath nested(TFillMode::Alternate); // a frame: the inner square is a hole
    nested.AddRectangle({1000, 0, 100, 100});
    nested.AddRectangle({1025, 25, 50, 50});

    TGPRegion region(TGPRectF(-100, -100, 10, 10));
    region.Union(band);
    region.Union(nested);
    EXPECT_TRUE(region.IsVisible(-95.0f, -95.0f));
    EXPECT_TRUE(region.IsVisible(100.0f, 5.0f));
    EXPECT_FALSE(region.IsVisible(100.0f, 32.0f));
    EXPECT_TRUE(region.IsVisible(1010.0f, 50.0f));
    EXPECT_FALSE(region.IsVisible(1050.0f, 50.0f));
}
