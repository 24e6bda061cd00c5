#include "foundation/SLGDIPGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace {
constexpr double kPi = std::numbers::pi;

// Counts OnChange calls of one object.
struct ChangeCounter {
    int Count = 0;
    void Attach(TXmlPersistent& object) {
        object.OnChange = [this](TPersistent*) { ++Count; };
    }
};

void ExpectPoint(const TGPPointF& actual, const TGPPointF& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
}
} // namespace

TEST(SameValue, DefaultToleranceDependsOnPrecisionAndMagnitude) {
    struct Row {
        const char* name;
        bool actual, expected;
    };
    const std::array rows{
        Row{"singles near 1000 within 0.1", SameValue(1000.0f, 1000.05f), true},
        Row{"singles near 1000 apart by 0.2", SameValue(1000.0f, 1000.2f), false},
        Row{"singles near 0 within 1e-4", SameValue(0.0f, 0.00005f), true},
        Row{"singles near 0 apart by 2e-4", SameValue(0.0f, 0.0002f), false},
        Row{"doubles within 1e-12 of 0", SameValue(1e-12, 0.0), true},
        Row{"doubles 2e-12 from 0", SameValue(2e-12, 0.0), false},
        Row{"extended within 1e-16 of 0", SameValue(1e-16L, 0.0L), true},
        Row{"extended 1 and the next double are apart", SameValue(1.0L, 1.0L + 2.3e-16L), false},
        Row{"an own epsilon is used as given", SameValue(0.0, 0.0009, 0.001), true},
        Row{"an own epsilon is a hard limit", SameValue(0.0, 0.0011, 0.001), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.actual, row.expected);
    }
}

TEST(SameValue, SentinelIsTheSingleNearestToThreePointFourE38) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(SLIntersectSentinel), 0x7F7FC99Eu);
}

TEST(SLPointF, SettersNotifyOnlyOnARealChange) {
    TSLPointF point(TGPPointF(1000.0f, 5.0f));
    ChangeCounter changes;
    changes.Attach(point);

    point.SetX(1000.05f);
    EXPECT_EQ(point.GetX(), 1000.0f);
    EXPECT_EQ(changes.Count, 0);

    point.SetX(1000.2f);
    EXPECT_EQ(point.GetX(), 1000.2f);
    EXPECT_EQ(changes.Count, 1);

    point.SetPointF({0.0f, 0.0f}); // both coordinates change: two notifications
    EXPECT_EQ(changes.Count, 3);
    point.SetPoint({0, 7});
    EXPECT_EQ(changes.Count, 4);
    point.SetTime(point.GetTime());
    EXPECT_EQ(changes.Count, 4);
    point.SetTime(point.GetTime() + 1);
    EXPECT_EQ(changes.Count, 5);
}

TEST(SLPointF, RotationTurnsClockwiseOnTheScreen) {
    struct Row {
        const char* name;
        TGPPointF centre, point;
        double angle;
        TGPPointF expected;
    };
    const std::array rows{
        Row{"quarter turn takes +x to +y", {0, 0}, {10, 0}, kPi / 2, {0, 10}},
        Row{"half turn", {0, 0}, {10, 0}, kPi, {-10, 0}},
        Row{"negative quarter goes up", {0, 0}, {10, 0}, -kPi / 2, {0, -10}},
        Row{"about another centre", {100, 100}, {110, 100}, kPi / 2, {100, 110}},
        Row{"zero leaves the point", {5, 5}, {7, 9}, 0.0, {7, 9}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TGPPointF result;
        TSLPointF(row.centre).RotatePoint(row.point, result, row.angle);
        ExpectPoint(result, row.expected, 1e-4f);
    }

    TGPPointF quarter;
    TSLPointF().RotatePoint({10, 0}, quarter, kPi / 2);
    EXPECT_LT(std::abs(quarter.X), 1e-14f); // only the cosine's rounding remains
}

TEST(SLPointF, RotateAroundStoresThroughTheSetters) {
    TSLPointF point(TGPPointF(260.0f, 250.0f));
    ChangeCounter changes;
    changes.Attach(point);
    point.RotateAround({250.0f, 250.0f}, kPi / 2);
    ExpectPoint(point.GetPointF(), {250.0f, 260.0f}, 1e-4f);
    EXPECT_EQ(changes.Count, 2);
}

TEST(SLPointF, DistanceAngleAndClone) {
    TSLPointF point(TGPPointF(3.0f, 4.0f));
    EXPECT_DOUBLE_EQ(point.DistanceTo({0, 0}), 5.0);
    EXPECT_NEAR(point.AngleTo({3, 0}), kPi / 2, 1e-6); // seen from (3, 0), straight down
    point.SetTime(1234);
    const auto copy = point.Clone();
    auto* clone = dynamic_cast<TSLPointF*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetPointF(), point.GetPointF());
    EXPECT_EQ(clone->GetTime(), 1234u);
}

TEST(SLLineF, EquationIsScaledSoTheLargestCoefficientIsOne) {
    struct Row {
        const char* name;
        TGPPointF o, d;
        double a, b, c, length, angle;
    };
    const std::array rows{
        Row{"along +x", {0, 0}, {10, 0}, 0, -1, 0, 10, 0},
        Row{"down the screen", {0, 0}, {0, 10}, 1, 0, 0, 10, kPi / 2},
        Row{"far from the origin", {1000, 500}, {1010, 500}, 0, -0.002, 1, 10, 0},
        Row{"towards -x", {10, 0}, {0, 0}, 0, 1, 0, 10, kPi},
        Row{"coinciding points", {4, 4}, {4, 4}, 0, 0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TSLLineF line(row.o, row.d);
        EXPECT_NEAR(line.GetA(), row.a, 1e-12);
        EXPECT_NEAR(line.GetB(), row.b, 1e-12);
        EXPECT_NEAR(line.GetC(), row.c, 1e-12);
        EXPECT_NEAR(line.GetLength(), row.length, 1e-12);
        EXPECT_NEAR(line.GetAngle(), row.angle, 1e-6);
    }
}

TEST(SLLineF, CachedValuesFollowEveryChangeOfThePoints) {
    TSLLineF line;
    EXPECT_EQ(line.GetLength(), 0.0); // a new line is consistent as it stands
    line.SetPointsF({0, 0}, {10, 0});
    EXPECT_DOUBLE_EQ(line.GetLength(), 10.0);
    line.DirectionPoint().SetY(10.0f); // through the owned point directly
    EXPECT_NEAR(line.GetLength(), std::sqrt(200.0), 1e-9);
    line.SetPoints({0, 0}, {0, 7});
    EXPECT_DOUBLE_EQ(line.GetLength(), 7.0);
    line.OriginPoint().Assign(&line.DirectionPoint());
    EXPECT_EQ(line.GetLength(), 0.0);
}

TEST(SLLineF, OnlyThePublishedSettersFireTheLinesOnChange) {
    TSLLineF line;
    ChangeCounter changes;
    changes.Attach(line);
    line.SetOrigin({5, 5});
    line.SetPointsF({1, 1}, {2, 2});
    line.SetPoints({3, 3}, {4, 4});
    EXPECT_EQ(changes.Count, 0);

    line.SetOriginX(3.00001f); // same within the tolerance
    EXPECT_EQ(changes.Count, 0);
    line.SetOriginX(30.0f);
    line.SetDirectionY(-4.0f);
    EXPECT_EQ(changes.Count, 2);
    EXPECT_DOUBLE_EQ(line.GetLength(), std::hypot(26.0, 7.0));
}

TEST(SLLineF, IntersectionOfLines) {
    const TSLLineF xAxis({0, 0}, {10, 0});
    TGPPointF crossing;
    EXPECT_TRUE(xAxis.Intersect(TSLLineF({5, -5}, {5, 5}), crossing));
    ExpectPoint(crossing, {5, 0});

    EXPECT_TRUE(TSLLineF({0, 0}, {10, 10}).Intersect(TSLLineF({0, 10}, {10, 0}), crossing));
    ExpectPoint(crossing, {5, 5});

    EXPECT_FALSE(xAxis.Intersect(TSLLineF({0, 1}, {10, 1}), crossing));
    EXPECT_EQ(crossing, SLParallelLinePoint);

    EXPECT_FALSE(xAxis.Intersect(TSLLineF({20, 0}, {30, 0}), crossing));
    EXPECT_EQ(crossing, SLSameLinePoint);
}

TEST(SLLineF, PositionParameterAlongTheLine) {
    struct Row {
        const char* name;
        TGPPointF point;
        double expected;
    };
    const std::array rows{
        Row{"origin point", {0, 0}, 0.0},
        Row{"midpoint is nudged above 1", {5, 0}, 1.0005},
        Row{"a quarter of the way", {2, 0}, 0.25},
        Row{"direction point", {10, 0}, -1.0},
        Row{"before the origin", {-10, 0}, -0.5},
        Row{"beyond the direction point", {20, 0}, -2.0},
        Row{"off the line only x counts", {2, 50}, 0.25},
    };
    const TSLLineF line({0, 0}, {10, 0});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(line.PointParam(row.point), row.expected);
    }
    // A vertical line takes y instead.
    EXPECT_DOUBLE_EQ(TSLLineF({0, 0}, {0, 10}).PointParam({0, 2}), 0.25);
}

TEST(SLLineF, PointAtDistance) {
    struct Row {
        const char* name;
        TGPPointF o, d;
        double distance;
        TGPPointF expected;
    };
    const std::array rows{
        Row{"towards the direction point", {0, 0}, {10, 0}, 3, {3, 0}},
        Row{"negative goes away from it", {0, 0}, {10, 0}, -3, {-3, 0}},
        Row{"zero is the origin", {7, 8}, {10, 0}, 0, {7, 8}},
        Row{"beyond the direction point", {0, 0}, {0, 10}, 3000, {0, 3000}},
        Row{"zero length gives the coordinate origin", {4, 4}, {4, 4}, 5, {0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TGPPointF point(-99, -99);
        TSLLineF(row.o, row.d).PointAtDistance(row.distance, point);
        ExpectPoint(point, row.expected);
        ExpectPoint(TSLLineF(row.o, row.d).PointAtDistance(row.distance), row.expected);
    }
}

TEST(SLLineF, ContainmentToleranceGrowsWithDistanceFromTheOrigin) {
    const TSLLineF nearOrigin({0, 0}, {10, 0});
    EXPECT_TRUE(nearOrigin.ContainsPoint({5, 0.0005f}));
    EXPECT_FALSE(nearOrigin.ContainsPoint({5, 0.002f}));

    const TSLLineF far({1000, 500}, {1010, 500});
    EXPECT_TRUE(far.ContainsPoint({1005, 500.4f}));
    EXPECT_FALSE(far.ContainsPoint({1005, 500.6f}));
}

TEST(SLSegmentF, HalfOpenMembership) {
    struct Row {
        const char* name;
        TGPPointF point;
        bool onSegment;
    };
    const std::array rows{
        Row{"direction end belongs", {10, 0}, true},
        Row{"origin end does not", {0, 0}, false},
        Row{"middle", {5, 0}, true},
        Row{"just after the origin", {0.001f, 0}, true},
        Row{"before the origin", {-1, 0}, false},
        Row{"beyond the direction end", {11, 0}, false},
        Row{"within the equation tolerance", {5, 0.0005f}, true},
        Row{"off the line", {5, 1}, false},
        Row{"twenty thousand lengths beyond", {200010, 0}, true},
    };
    const TSLSegmentF segment({0, 0}, {10, 0});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(segment.IsOnSegment(row.point), row.onSegment);
    }
}

TEST(SLSegmentF, ZeroLengthSegmentHoldsEveryPointAndCrossesNothing) {
    const TSLSegmentF dot({4, 4}, {4, 4});
    EXPECT_TRUE(dot.IsOnSegment({4, 4}));
    EXPECT_TRUE(dot.IsOnSegment({-100, 37}));
    TGPPointF crossing;
    EXPECT_FALSE(dot.Intersect(TSLLineF({0, 0}, {10, 10}), crossing));
}

TEST(SLSegmentF, IntersectionMustLieOnThisSegment) {
    const TSLSegmentF segment({0, 0}, {10, 0});
    TGPPointF crossing;
    EXPECT_TRUE(segment.Intersect(TSLLineF({10, -5}, {10, 5}), crossing));
    ExpectPoint(crossing, {10, 0});
    EXPECT_FALSE(segment.Intersect(TSLLineF({0, -5}, {0, 5}), crossing));
    ExpectPoint(crossing, {0, 0}); // the crossing is still reported
    EXPECT_FALSE(segment.Intersect(TSLLineF({20, -5}, {20, 5}), crossing));
    ExpectPoint(crossing, {20, 0});
    EXPECT_FALSE(segment.Intersect(TSLLineF({0, 3}, {10, 3}), crossing));
    EXPECT_EQ(crossing, SLParallelLinePoint);
}

TEST(SLSegmentF, MidPointFollowsThePoints) {
    TSLSegmentF segment({500, 0}, {0, 250});
    ExpectPoint(segment.GetMidPoint(), {250, 125});
    segment.SetOrigin({0, 0});
    ExpectPoint(segment.GetMidPoint(), {0, 125});
    // Reading the equation first must not leave the midpoint behind.
    segment.SetDirection({10, 10});
    EXPECT_NEAR(segment.GetLength(), std::sqrt(200.0), 1e-9);
    ExpectPoint(segment.GetMidPoint(), {5, 5});
}

TEST(SLLineF, SavedFormRoundTripsThroughAFile) {
    const std::filesystem::path file =
        std::filesystem::path(TARSEL_BINARY_DIR) / "SLGDIPGeometryTest-line.xml";
    TSLSegmentF saved({1.5f, -2.25f}, {300, 400});
    saved.SaveToFile(file.string());

    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("DirectionX=\"300\" DirectionY=\"400\" OriginX=\"1.5\" OriginY=\"-2.25\""),
              std::string::npos)
        << text;

    TSLSegmentF loaded;
    ChangeCounter changes;
    changes.Attach(loaded);
    loaded.LoadFromFile(file.string());
    EXPECT_EQ(loaded.GetOrigin(), TGPPointF(1.5f, -2.25f));
    EXPECT_EQ(loaded.GetDirection(), TGPPointF(300, 400));
    EXPECT_DOUBLE_EQ(loaded.GetLength(), saved.GetLength());
    EXPECT_EQ(changes.Count, 1); // one notification for the whole read
    std::filesystem::remove(file);
}

TEST(SLPointF, SavedFormHoldsTimeAndCoordinates) {
    TSLPointF point(TGPPointF(0.5f, 2.0f));
    point.SetTime(4287090411u); // above the signed range: saved as a negative number
    std::stringstream stream;
    point.SaveToStream(stream);
    EXPECT_NE(stream.str().find("Time=\"-7876885\" X=\"0.5\" Y=\"2\""), std::string::npos)
        << stream.str();

    TSLPointF loaded;
    stream.seekg(0);
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.GetTime(), 4287090411u);
    EXPECT_EQ(loaded.GetPointF(), TGPPointF(0.5f, 2.0f));
}
