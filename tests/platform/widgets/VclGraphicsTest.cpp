// Window fonts as Qt draws them: any height a language file may give, the most negative
// one included, becomes a usable pixel size.

#include "platform/widgets/VclGraphics.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(VclFont, EveryHeightGivesAPositivePixelSize) {
    TFont font;
    for (const int height : {-11, 13, 0, INT_MIN, INT_MAX, -INT_MAX}) {
        font.SetHeight(height);
        const QFont drawn = font.ToQFont();
        EXPECT_GE(drawn.pixelSize(), 1) << height;
        EXPECT_LE(drawn.pixelSize(), 10000) << height;
    }
    font.SetHeight(-11);
    EXPECT_EQ(font.ToQFont().pixelSize(), 11);
}

} // namespace
