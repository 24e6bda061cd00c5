// The ten transparency steps of the menu and the alpha values they stand for.

#include "app/Transparency.h"

#include <gtest/gtest.h>

namespace {

TEST(Transparency, EachStepHasItsAlphaAndMapsBack) {
    // Ties at 10, 30, 50, 70 and 90 % (229.5, 178.5, 127.5, 76.5, 25.5) go to the even side.
    const int expected[] = {255, 230, 204, 178, 153, 128, 102, 76, 51, 26};
    for (int step = 0; step < 10; ++step) {
        const int percent = step * 10;
        EXPECT_EQ(AlphaForTransparency(percent), expected[step]) << percent << " %";
        EXPECT_EQ(TransparencyOfAlpha(expected[step]), percent) << "alpha " << expected[step];
    }
}

TEST(Transparency, AlphaBetweenStepsMatchesNoStep) {
    EXPECT_EQ(TransparencyOfAlpha(200), 22); // the layout's value: no menu entry checked
    EXPECT_EQ(TransparencyOfAlpha(0), 100);
    EXPECT_EQ(AlphaForTransparency(-5), 255);
    EXPECT_EQ(AlphaForTransparency(150), 0);
}

} // namespace
