// The program's cursors: loaded on first use, shown by number, freed at shut-down.
#include "foundation/VBCursor.h"

#include "platform/widgets/CursorQt.h"

#include <QImage>
#include <QPixmap>
#include <cmath>
#include <gtest/gtest.h>

namespace {
class VBCursorTest : public ::testing::Test {
protected:
    void TearDown() override { FinalizeVBCursor(); }
};

// Distance of (x, y) from the rotate cursor's hot spot.
double FromHotSpot(int x, int y) {
    return std::hypot(x - 10, y - 10);
}
} // namespace

TEST_F(VBCursorTest, LoadsAllCursorsOnFirstUseOnly) {
    EXPECT_EQ(platform::GetScreenCursor(312), nullptr);
    TVBCursor& first = VBCursor();
    const platform::HCURSOR rotate = platform::GetScreenCursor(312);
    ASSERT_NE(rotate, nullptr);
    for (std::int16_t number = 300; number <= 331; ++number) {
        const platform::TCursorInfo info =
            platform::GetCursorInfo(platform::GetScreenCursor(number));
        EXPECT_EQ(info.Width, 32) << number;
        EXPECT_EQ(info.Height, 32) << number;
    }
    EXPECT_EQ(platform::GetScreenCursor(299), nullptr);
    EXPECT_EQ(platform::GetScreenCursor(332), nullptr);

    EXPECT_EQ(&VBCursor(), &first);
    EXPECT_EQ(platform::GetScreenCursor(312), rotate); // not loaded again
    EXPECT_EQ(first.GetCursor(312), 312);
}

TEST_F(VBCursorTest, RotateCursorIsOutlinedArrowsRoundTheHotSpot) {
    VBCursor();
    const QCursor cursor = platform::QtCursorForNumber(312);
    EXPECT_EQ(cursor.hotSpot(), QPoint(10, 10));
    const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));

    int nearRing = 0, onArcs = 0, farAway = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            // Monochrome: opaque pixels are black or white.
            ASSERT_TRUE(pixel == 0xFF000000 || pixel == 0xFFFFFFFF) << x << "," << y;
            if (pixel != 0xFF000000)
                continue;
            const double r = FromHotSpot(x, y);
            nearRing += r < 3.5;
            onArcs += r > 5.5 && r < 9;
            farAway += r > 12;
            // The white outline: no black pixel touches the transparent ground.
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    EXPECT_NE(qAlpha(image.pixel(x + dx, y + dy)), 0) << x << "," << y;
        }
    }
    EXPECT_GT(nearRing, 6);
    EXPECT_GT(onArcs, 30);
    EXPECT_EQ(farAway, 0);
}

TEST_F(VBCursorTest, FinalizingTakesTheCursorsOutOfTheTable) {
    VBCursor();
    ASSERT_EQ(platform::QtCursorForNumber(312).shape(), Qt::BitmapCursor);
    FinalizeVBCursor();
    EXPECT_EQ(platform::GetScreenCursor(312), nullptr);
    EXPECT_EQ(platform::QtCursorForNumber(312).shape(), Qt::ArrowCursor);
    // Standard numbers keep working without the custom set.
    EXPECT_EQ(platform::QtCursorForNumber(-22).shape(), Qt::SizeAllCursor);
    EXPECT_EQ(platform::QtCursorForNumber(0).shape(), Qt::ArrowCursor);
}
