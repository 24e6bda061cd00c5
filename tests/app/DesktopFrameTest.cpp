// The main window's shape is exactly the pixels its picture covers.

#include "app/DesktopFrame.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

TEST(DesktopFrame, ShapeIsTheCoveredPixelsBlackIncluded) {
    TDesktopFrame frame;
    frame.Render(QSize(200, 100), [](QPainter& painter) {
        painter.fillRect(QRect(10, 20, 30, 5), Qt::black);            // black stays visible
        painter.fillRect(QRect(100, 50, 1, 1), QColor(255, 0, 0, 1)); // faintest alpha counts
        painter.fillRect(QRect(150, 0, 50, 100), QColor(135, 206, 235));
    });

    const QRegion& shape = frame.Shape();
    EXPECT_EQ(frame.Image().size(), QSize(200, 100));
    EXPECT_TRUE(shape.contains(QPoint(10, 20)));
    EXPECT_TRUE(shape.contains(QPoint(39, 24)));
    EXPECT_FALSE(shape.contains(QPoint(40, 24))) << "the pixel right of the black bar";
    EXPECT_FALSE(shape.contains(QPoint(9, 20)));
    EXPECT_TRUE(shape.contains(QPoint(100, 50)));
    EXPECT_FALSE(shape.contains(QPoint(101, 50)));
    EXPECT_TRUE(shape.contains(QPoint(199, 99))) << "a run that ends at the right edge";
    // Rows 20..24 of the bar, the dot, and every row of the band.
    EXPECT_EQ(shape.boundingRect(), QRect(10, 0, 190, 100));
}

TEST(DesktopFrame, NothingDrawnMeansNoShapeAndRenderingAgainForgetsTheOldPicture) {
    TDesktopFrame frame;
    frame.Render(QSize(64, 64), [](QPainter& painter) { painter.fillRect(0, 0, 8, 8, Qt::red); });
    ASSERT_FALSE(frame.Shape().isEmpty());

    frame.Render(QSize(64, 64), [](QPainter&) {});
    EXPECT_TRUE(frame.Shape().isEmpty());
    EXPECT_EQ(qAlpha(frame.Image().pixel(0, 0)), 0);
}

TEST(DesktopFrame, AnAntiAliasedCircleIsCoveredToItsFringe) {
    TDesktopFrame frame;
    frame.Render(QSize(40, 40), [](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(20, 20), 8, 8);
    });
    // Every pixel with any ink belongs to the shape, none without.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(frame.Shape().contains(QPoint(x, y)), qAlpha(frame.Image().pixel(x, y)) > 0)
                << x << "," << y;
}

} // namespace
