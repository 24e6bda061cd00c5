#include "app/Transparency.h"

#include <algorithm>

namespace {

constexpr int kOpaque = 255;
constexpr int kHundred = 100;

// numerator / denominator (both >= 0) rounded to nearest, halves to even. Exact in
// integers, where a floating-point 0.1 * 255 could fall either side of the half.
int RoundHalfEven(int numerator, int denominator) {
    const int quotient = numerator / denominator;
    const int twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

} // namespace

std::uint8_t AlphaForTransparency(int percent) {
    const int clamped = std::clamp(percent, 0, kHundred);
    return static_cast<std::uint8_t>(RoundHalfEven(kOpaque * (kHundred - clamped), kHundred));
}

int TransparencyOfAlpha(std::uint8_t alpha) {
    return RoundHalfEven((kOpaque - alpha) * kHundred, kOpaque);
}
