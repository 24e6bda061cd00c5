#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPMatrix.h"
#include "platform/graphics/GPPen.h"
#include "platform/graphics/GPQtAccess.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

namespace {
constexpr float kTolerance = 1e-3f;
constexpr float kEdgeBandPen = 16.0f; // covers 8 px either side of an outline

TGPPointF FirstPoint(const TGPGraphicsPath& path) {
    const QPainterPath& qp = QtPath(path);
    return {static_cast<float>(qp.elementAt(0).x), static_cast<float>(qp.elementAt(0).y)};
}

TGPPointF LastPoint(const TGPGraphicsPath& path) {
    const QPointF p = QtPath(path).currentPosition();
    return {static_cast<float>(p.x()), static_cast<float>(p.y())};
}

void ExpectPoint(const TGPPointF& actual, const TGPPointF& expected) {
    EXPECT_NEAR(actual.X, expected.X, kTolerance);
    EXPECT_NEAR(actual.Y, expected.Y, kTolerance);
}

TGPPointF OnCircle(float cx, float cy, float r, double degrees) {
    const double rad = degrees * std::numbers::pi / 180.0;
    return {static_cast<float>(cx + r * std::cos(rad)), static_cast<float>(cy + r * std::sin(rad))};
}
} // namespace

TEST(GPGraphicsPath, ArcsRunClockwiseOnTheScreen) {
    struct Row {
        const char* name;
        float start, sweep;
        TGPPointF first, last;
    };
    const std::array rows{
        Row{"quarter from 3 to 6 o'clock", 0.0f, 90.0f, {100.0f, 50.0f}, {50.0f, 100.0f}},
        Row{"negative sweep goes up", 0.0f, -90.0f, {100.0f, 50.0f}, {50.0f, 0.0f}},
        Row{"start at 180 is the left end", 180.0f, 90.0f, {0.0f, 50.0f}, {50.0f, 0.0f}},
        Row{"start at 270 is the top", 270.0f, 90.0f, {50.0f, 0.0f}, {100.0f, 50.0f}},
        Row{"start at 359", 359.0f, 2.0f, OnCircle(50, 50, 50, 359), OnCircle(50, 50, 50, 1)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TGPGraphicsPath path;
        path.AddArc(0.0f, 0.0f, 100.0f, 100.0f, row.start, row.sweep);
        ExpectPoint(FirstPoint(path), row.first);
        ExpectPoint(LastPoint(path), row.last);
    }

    TGPGraphicsPath quarter;
    quarter.AddArc(0.0f, 0.0f, 100.0f, 100.0f, 0.0f, 90.0f);
    const TGPRectF bounds = quarter.GetBounds();
    EXPECT_NEAR(bounds.X, 50.0f, kTolerance); // the lower right quarter only
    EXPECT_NEAR(bounds.Y, 50.0f, kTolerance);
}

TEST(GPGraphicsPath, EllipseArcAnglesAreDirectionsFromTheCentre) {
    TGPGraphicsPath path;
    path.AddArc(0.0f, 0.0f, 200.0f, 100.0f, 45.0f, 90.0f);
    const TGPPointF first = FirstPoint(path);
    const TGPPointF last = LastPoint(path);
    EXPECT_NEAR(first.X - 100.0f, first.Y - 50.0f, kTolerance);  // on the 45 degree ray
    EXPECT_NEAR(last.X - 100.0f, -(last.Y - 50.0f), kTolerance); // on the 135 degree ray
    EXPECT_GT(first.X, 100.0f);
    EXPECT_LT(last.X, 100.0f);
    // and on the ellipse
    EXPECT_NEAR(std::pow((first.X - 100) / 100, 2) + std::pow((first.Y - 50) / 50, 2), 1.0, 1e-4);
}

TEST(GPGraphicsPath, LinesAndArcsContinueTheOpenFigure) {
    TGPGraphicsPath path;
    path.AddLine(0.0f, 0.0f, 10.0f, 0.0f);
    path.AddLine(10.0f, 10.0f, 0.0f, 10.0f); // joined by (10, 0) - (10, 10)
    EXPECT_TRUE(path.IsVisible(5.0f, 5.0f)); // open figure counts as closed as an area
    EXPECT_EQ(QtPath(path).elementCount(), 4);

    path.StartFigure();
    path.AddLine(100.0f, 100.0f, 110.0f, 100.0f); // a figure of its own
    EXPECT_EQ(QtPath(path).elementCount(), 6);
    EXPECT_FALSE(path.IsVisible(50.0f, 50.0f));
}

TEST(GPGraphicsPath, ClosedShapesContainTheirInside) {
    struct Row {
        const char* name;
        TGPPointF point;
        bool inside;
    };
    TGPGraphicsPath pie;
    pie.AddPie(0.0f, 0.0f, 100.0f, 100.0f, 0.0f, 90.0f);
    for (const auto& row :
         {Row{"lower right quarter", {70, 70}, true}, Row{"upper right quarter", {70, 30}, false},
          Row{"upper left quarter", {30, 30}, false}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pie.IsVisible(row.point), row.inside);
    }

    // The half-circle outline: an arc from 176 over the top to 364, closed by the chord.
    TGPGraphicsPath half;
    half.AddArc(0.0f, 0.0f, 500.0f, 500.0f, 176.0f, 188.0f);
    half.CloseFigure();
    const float chordY =
        250.0f + 250.0f * static_cast<float>(std::sin(4.0 * std::numbers::pi / 180));
    for (const auto& row :
         {Row{"just above the chord", {250, chordY - 1}, true},
          Row{"2 px below the chord", {250, chordY + 2}, false},
          Row{"near the top", {250, 10}, true}, Row{"near the bottom", {250, 490}, false}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(half.IsVisible(row.point), row.inside);
    }

    TGPGraphicsPath polygon;
    const std::array<TGPPointF, 3> corners{TGPPointF(0, 0), TGPPointF(499, 0), TGPPointF(0, 249)};
    polygon.AddPolygon(corners);
    EXPECT_TRUE(polygon.IsVisible(100.0f, 100.0f));
    EXPECT_FALSE(polygon.IsVisible(400.0f, 200.0f));
}

TEST(GPGraphicsPath, AlternateAndWindingFillDifferOnNestedFigures) {
    for (const auto mode : {TFillMode::Alternate, TFillMode::Winding}) {
        TGPGraphicsPath path(mode);
        path.AddRectangle({0, 0, 100, 100});
        path.AddRectangle({25, 25, 50, 50}); // same orientation
        EXPECT_EQ(path.IsVisible(50.0f, 50.0f), mode == TFillMode::Winding);
        EXPECT_TRUE(path.IsVisible(10.0f, 10.0f));
    }
    TGPGraphicsPath path(TFillMode::Winding);
    path.Reset();
    EXPECT_EQ(path.GetFillMode(), TFillMode::Alternate);
    EXPECT_TRUE(path.IsEmpty());
}

TEST(GPGraphicsPath, WidenedRectangleCoversEightPixelsEitherSide) {
    struct Row {
        const char* name;
        TGPPointF point;
        bool near;
    };
    const std::array rows{
        Row{"7 px above the top edge", {100, -7}, true},
        Row{"7 px below the top edge", {100, 7}, true},
        Row{"9 px above the top edge", {100, -9}, false},
        Row{"9 px below the top edge", {100, 9}, false},
        Row{"middle of the body", {250, 32}, false},
        Row{"7 px right of the right edge", {507, 32}, true},
        Row{"9 px right of the right edge", {509, 32}, false},
        Row{"outside the mitred corner", {-7, -7}, true},
        Row{"far away", {1000, 1000}, false},
    };
    for (const auto mode : {TFillMode::Alternate, TFillMode::Winding}) {
        TGPGraphicsPath path(mode);
        path.AddRectangle({0, 0, 500, 64});
        path.Widen(TGPPen(0xFF000000, kEdgeBandPen), nullptr, 0.25f);
        EXPECT_EQ(path.GetFillMode(), TFillMode::Winding);
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(path.IsVisible(row.point), row.near);
        }
    }
}

TEST(GPGraphicsPath, WidenedCircleFollowsTheCurve) {
    TGPGraphicsPath path;
    path.AddArc(0.0f, 0.0f, 500.0f, 500.0f, 0.0f, 360.0f);
    path.CloseFigure();
    path.Widen(TGPPen(0xFF000000, kEdgeBandPen), nullptr, 0.25f);
    for (double degrees = 0.0; degrees < 360.0; degrees += 17.0) {
        SCOPED_TRACE(degrees);
        EXPECT_TRUE(path.IsVisible(OnCircle(250, 250, 257, degrees)));
        EXPECT_TRUE(path.IsVisible(OnCircle(250, 250, 243, degrees)));
        EXPECT_FALSE(path.IsVisible(OnCircle(250, 250, 259, degrees)));
        EXPECT_FALSE(path.IsVisible(OnCircle(250, 250, 241, degrees)));
    }
}

TEST(GPGraphicsPath, InsetWideningKeepsTheBandInside) {
    TGPGraphicsPath path;
    const std::array<TGPPointF, 3> corners{TGPPointF(0, 0), TGPPointF(499, 0), TGPPointF(0, 249)};
    path.AddPolygon(corners);
    TGPPen pen(0xFF000000, 64.0f);
    pen.SetAlignment(TPenAlignment::Inset);
    path.Widen(pen, nullptr, 0.25f);
    EXPECT_TRUE(path.IsVisible(150.0f, 40.0f));   // 40 px inside the top leg
    EXPECT_TRUE(path.IsVisible(30.0f, 150.0f));   // 30 px inside the left leg
    EXPECT_FALSE(path.IsVisible(150.0f, -5.0f));  // outside the top leg
    EXPECT_FALSE(path.IsVisible(100.0f, 70.0f));  // more than 64 px from every side
    EXPECT_FALSE(path.IsVisible(-10.0f, 100.0f)); // outside the left leg
}

TEST(GPGraphicsPath, WidenAppliesTheMatrixFirst) {
    TGPGraphicsPath path;
    path.AddRectangle({0, 0, 100, 100});
    TGPMatrix shift;
    shift.Translate(1000.0f, 0.0f);
    path.Widen(TGPPen(0xFF000000, kEdgeBandPen), &shift, 0.25f);
    EXPECT_TRUE(path.IsVisible(1000.0f, 50.0f));
    EXPECT_FALSE(path.IsVisible(0.0f, 50.0f));
}

TEST(GPGraphicsPath, TransformAndBounds) {
    TGPGraphicsPath path;
    path.AddEllipse(0.0f, 0.0f, 16.0f, 16.0f);
    TGPMatrix m;
    m.Translate(100.0f, 50.0f);
    const TGPRectF moved = path.GetBounds(&m);
    EXPECT_NEAR(moved.X, 100.0f, kTolerance);
    EXPECT_NEAR(moved.Y, 50.0f, kTolerance);
    EXPECT_NEAR(moved.Width, 16.0f, kTolerance);

    path.Transform(m);
    EXPECT_TRUE(path.IsVisible(108.0f, 58.0f));
    EXPECT_FALSE(path.IsVisible(8.0f, 8.0f));

    TGPGraphicsPath copy(path);
    copy.Reset();
    EXPECT_TRUE(path.IsVisible(108.0f, 58.0f)); // copies are independent
}

TEST(GPGraphicsPath, FullTurnsCloseWithoutAnExtraLine) {
    TGPGraphicsPath path;
    path.AddEllipse(3.0f, 7.0f, 123.0f, 77.0f);
    const QPainterPath& qp = QtPath(path);
    EXPECT_EQ(qp.elementAt(0).x, qp.elementAt(qp.elementCount() - 1).x);
    EXPECT_EQ(qp.elementAt(0).y, qp.elementAt(qp.elementCount() - 1).y);
    EXPECT_EQ(qp.elementCount(), 1 + 4 * 3); // the start and four quarter curves
}
