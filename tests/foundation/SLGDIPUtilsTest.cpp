#include "foundation/SLGDIPUtils.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <numbers>

namespace {
constexpr float kPi = std::numbers::pi_v<float>;
} // namespace

TEST(SLGDIPfn, AngleOfPointsGivesTheDirectionFromTheSecondPointToTheFirst) {
    struct Row {
        const char* name;
        TGPPointF p1, p2;
        float expected;
    };
    const std::array rows{
        Row{"right is 0", {1, 0}, {0, 0}, 0.0f},
        Row{"down the screen is a quarter turn", {0, 1}, {0, 0}, kPi / 2},
        Row{"left is a half turn", {-1, 0}, {0, 0}, kPi},
        Row{"up the screen is three quarters", {0, -1}, {0, 0}, 3 * kPi / 2},
        Row{"down right", {1, 1}, {0, 0}, kPi / 4},
        Row{"up right", {1, -1}, {0, 0}, 7 * kPi / 4},
        Row{"down left", {-1, 1}, {0, 0}, 3 * kPi / 4},
        Row{"up left", {-1, -1}, {0, 0}, 5 * kPi / 4},
        Row{"X within the tolerance counts as vertical", {1000.05f, 5}, {1000, 0}, kPi / 2},
        Row{"coinciding points", {3, 4}, {3, 4}, 0.0f},
        Row{"just below the x axis is nearly a full turn", {10, -0.01f}, {0, 0}, 2 * kPi - 0.001f},
        Row{"away from the origin", {1010, 500}, {1000, 490}, kPi / 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const float angle = TSLGDIPfn::AngleOfPoints(row.p1, row.p2);
        EXPECT_NEAR(angle, row.expected, 1e-5f);
        EXPECT_GE(angle, 0.0f);
        EXPECT_LT(angle, 2 * kPi);
    }
}

TEST(SLGDIPfn, AngleOfPointsGivesTheAxisDirectionsExactly) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(TSLGDIPfn::AngleOfPoints({0, 1}, {0, 0})),
              std::bit_cast<std::uint32_t>(1.5707964f));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(TSLGDIPfn::AngleOfPoints({-5, 0}, {0, 0})),
              std::bit_cast<std::uint32_t>(3.1415927f));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(TSLGDIPfn::AngleOfPoints({0, -1}, {0, 0})),
              std::bit_cast<std::uint32_t>(4.712389f));
}

TEST(SLGDIPfn, DistanceAndBuilders) {
    EXPECT_FLOAT_EQ(TSLGDIPfn::Distance({3, 4}, {0, 0}), 5.0f);
    EXPECT_FLOAT_EQ(TSLGDIPfn::Distance({-3, -4}, {0, 0}), 5.0f);
    EXPECT_EQ(TSLGDIPfn::Distance({7, 7}, {7, 7}), 0.0f);
    EXPECT_EQ(TSLGDIPfn::MakePointF(1.5f, -2.0f), TGPPointF(1.5f, -2.0f));
    EXPECT_EQ(TSLGDIPfn::MakeRect(-1, 2, 30, 40), TGPRect(-1, 2, 30, 40));
}
