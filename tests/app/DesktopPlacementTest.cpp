// The rule that keeps instruments within reach: one that no monitor shows is brought
// wholly onto the primary monitor, as near to where it was as it fits; one that shows at
// least one pixel stays exactly where it is.

#include "app/DesktopPlacement.h"
#include "rulers/RectangleRuler.h"

#include <gtest/gtest.h>

namespace {

const QRect kSmall(0, 0, 800, 600);

TEST(DesktopPlacement, AnInstrumentOffEveryMonitorIsBroughtWhollyIntoView) {
    // Saved on a 3840 x 2160 desktop near its bottom-right corner.
    const QRect ruler(3320, 2080, 500, 64);
    const QPoint shift = OffsetIntoView(ruler, {kSmall}, kSmall);
    EXPECT_EQ(ruler.translated(shift), QRect(300, 536, 500, 64));
    // Beyond the left and top edges: to the top-left corner.
    EXPECT_EQ(QRect(-900, -700, 500, 64)
                  .translated(OffsetIntoView({-900, -700, 500, 64}, {kSmall}, kSmall)),
              QRect(0, 0, 500, 64));
    // Beside the screen only in x: y is kept.
    EXPECT_EQ(OffsetIntoView({1000, 200, 500, 64}, {kSmall}, kSmall), QPoint(-700, 0));
    // Larger than the monitor: its top-left corner shows.
    EXPECT_EQ(OffsetIntoView({2000, 2000, 1000, 700}, {kSmall}, kSmall), QPoint(-2000, -2000));
}

TEST(DesktopPlacement, AnInstrumentThatShowsAtAllIsNeverMoved) {
    EXPECT_EQ(OffsetIntoView({799, 599, 500, 64}, {kSmall}, kSmall), QPoint()) << "one pixel";
    EXPECT_EQ(OffsetIntoView({-499, 10, 500, 64}, {kSmall}, kSmall), QPoint());
    EXPECT_EQ(OffsetIntoView({100, 100, 500, 64}, {kSmall}, kSmall), QPoint());
    // On a second monitor right of the primary one: shown there, so left alone.
    const QRect second(800, 0, 1024, 768);
    EXPECT_EQ(OffsetIntoView({1200, 300, 500, 64}, {kSmall, second}, kSmall), QPoint());
    // Just beyond the last pixel is off.
    EXPECT_NE(OffsetIntoView({800, 0, 500, 64}, {kSmall}, kSmall), QPoint());
}

TEST(DesktopPlacement, BoundsFollowTheInstrumentsTurn) {
    TRectangleRuler ruler;
    ruler.SetSize(500, 64);
    ruler.OffsetX = 100;
    ruler.OffsetY = 50;
    EXPECT_EQ(RulerBounds(ruler), QRect(100, 50, 500, 64));
    // A quarter turn clockwise about its pivot, the top-left corner: it hangs down and to
    // the left of the pivot.
    ruler.Angle = 90;
    const QRect turned = RulerBounds(ruler);
    EXPECT_NEAR(turned.left(), 100 - 64, 1);
    EXPECT_NEAR(turned.top(), 50, 1);
    EXPECT_NEAR(turned.width(), 64, 1);
    EXPECT_NEAR(turned.height(), 500, 1);
}

} // namespace
