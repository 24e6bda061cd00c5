#include "foundation/SLGDIPUtils.h"

#include "foundation/SLGDIPGeometry.h"

#include <cmath>
#include <numbers>

namespace {
// Exact quarter, half and three-quarter turns as singles.
constexpr float kHalfPi = static_cast<float>(std::numbers::pi_v<long double> / 2);
constexpr float kPi = static_cast<float>(std::numbers::pi_v<long double>);
constexpr float kThreeHalvesPi = static_cast<float>(3 * std::numbers::pi_v<long double> / 2);
constexpr long double kPiExtended = std::numbers::pi_v<long double>;
} // namespace

float TSLGDIPfn::AngleOfPoints(const TGPPointF& p1, const TGPPointF& p2) {
    if (SameValue(p1.X, p2.X)) {
        if (p1.Y > p2.Y)
            return kHalfPi;
        if (p1.Y < p2.Y)
            return kThreeHalvesPi;
        return 0.0f;
    }
    // The differences are taken exactly and rounded to single, as is the angle.
    const float dy = static_cast<float>(std::fabs(static_cast<double>(p1.Y) - p2.Y));
    const float dx = static_cast<float>(std::fabs(static_cast<double>(p1.X) - p2.X));
    const float a = static_cast<float>(std::atan(static_cast<long double>(dy) / dx));
    // First matching row wins; the order matters only for the exact-equality cases.
    if (p1.X > p2.X && p1.Y == p2.Y)
        return 0.0f;
    if (p1.X > p2.X && p1.Y < p2.Y)
        return static_cast<float>(2 * kPiExtended - a);
    if (p1.X < p2.X && p1.Y < p2.Y)
        return static_cast<float>(kPiExtended + a);
    if (p1.X < p2.X && p1.Y == p2.Y)
        return kPi;
    if (p1.X < p2.X && p1.Y > p2.Y)
        return static_cast<float>(kPiExtended - a);
    if (p1.X > p2.X && p1.Y > p2.Y)
        return a;
    return 0.0f; // not reached for ordered values; NaN coordinates end here
}

float TSLGDIPfn::Distance(const TGPPointF& p1, const TGPPointF& p2) {
    const double dx = static_cast<double>(p1.X) - p2.X;
    const double dy = static_cast<double>(p1.Y) - p2.Y;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}
