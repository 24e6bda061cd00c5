#include "platform/graphics/GPMatrix.h"

#include <gtest/gtest.h>

#include <array>

namespace {
constexpr float kTolerance = 1e-4f;

void ExpectPoint(const TGPPointF& actual, const TGPPointF& expected) {
    EXPECT_NEAR(actual.X, expected.X, kTolerance);
    EXPECT_NEAR(actual.Y, expected.Y, kTolerance);
}
} // namespace

TEST(GPMatrix, PrependAppliesTheNewStepFirstAndAppendLast) {
    TGPMatrix prepended;
    prepended.Translate(100.0f, 50.0f);
    prepended.Rotate(90.0f); // prepended: rotate, then translate
    ExpectPoint(prepended.TransformPoint({10.0f, 0.0f}), {100.0f, 60.0f});

    TGPMatrix appended;
    appended.Translate(100.0f, 50.0f);
    appended.Rotate(90.0f, TMatrixOrder::Append); // translate, then rotate about (0, 0)
    ExpectPoint(appended.TransformPoint({10.0f, 0.0f}), {-50.0f, 110.0f});
}

TEST(GPMatrix, PositiveAnglesTurnClockwiseOnTheScreen) {
    struct Row {
        const char* name;
        float angle;
        TGPPointF expected;
    };
    const std::array rows{
        Row{"zero leaves the point", 0.0f, {10.0f, 0.0f}},
        Row{"quarter turn goes down the screen", 90.0f, {0.0f, 10.0f}},
        Row{"half turn", 180.0f, {-10.0f, 0.0f}},
        Row{"three quarters goes up", 270.0f, {0.0f, -10.0f}},
        Row{"minus a quarter goes up", -90.0f, {0.0f, -10.0f}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TGPMatrix m;
        m.Rotate(row.angle);
        ExpectPoint(m.TransformPoint({10.0f, 0.0f}), row.expected);
    }
}

TEST(GPMatrix, RotateAtKeepsTheCentreFixed) {
    TGPMatrix m;
    m.RotateAt(90.0f, {250.0f, 250.0f});
    ExpectPoint(m.TransformPoint({250.0f, 250.0f}), {250.0f, 250.0f});
    ExpectPoint(m.TransformPoint({500.0f, 250.0f}), {250.0f, 500.0f});
}

TEST(GPMatrix, InstrumentPlacementRotatesAboutThePivotThenTranslates) {
    // Offsets (100, 50), pivot at local (250, 250), as an instrument's paint builds it.
    TGPMatrix m;
    m.Translate(100.0f, 50.0f);
    m.RotateAt(0.0f, {250.0f, 250.0f});
    ExpectPoint(m.TransformPoint({10.0f, 20.0f}), {110.0f, 70.0f});

    m.Reset();
    m.Translate(100.0f, 50.0f);
    m.RotateAt(90.0f, {250.0f, 250.0f});
    ExpectPoint(m.TransformPoint({250.0f, 250.0f}), {350.0f, 300.0f}); // the pivot stays put
    ExpectPoint(m.TransformPoint({500.0f, 250.0f}), {350.0f, 550.0f});
}
