// The main window's picture is the part of the instrument's bounding box that lies on the
// window and its shape exactly the pixels the picture covers; moving the instrument by
// whole pixels reuses both.

#include "app/InstrumentFrame.h"
#include "platform/widgets/VclGraphics.h"
#include "rulers/ProtractorRuler.h"
#include "rulers/RectangleRuler.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

QImage Transparent(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

TEST(CoveredRegion, IsTheCoveredPixelsBlackIncluded) {
    QImage image = Transparent(QSize(200, 100));
    {
        QPainter painter(&image);
        painter.fillRect(QRect(10, 20, 30, 5), Qt::black);            // black stays visible
        painter.fillRect(QRect(100, 50, 1, 1), QColor(255, 0, 0, 1)); // faintest alpha counts
        painter.fillRect(QRect(150, 0, 50, 100), QColor(135, 206, 235));
    }
    const QRegion shape = CoveredRegion(image);
    EXPECT_TRUE(shape.contains(QPoint(10, 20)));
    EXPECT_TRUE(shape.contains(QPoint(39, 24)));
    EXPECT_FALSE(shape.contains(QPoint(40, 24))) << "the pixel right of the black bar";
    EXPECT_FALSE(shape.contains(QPoint(9, 20)));
    EXPECT_TRUE(shape.contains(QPoint(100, 50)));
    EXPECT_FALSE(shape.contains(QPoint(101, 50)));
    EXPECT_TRUE(shape.contains(QPoint(199, 99))) << "a run that ends at the right edge";
    // Rows 20..24 of the bar, the dot, and every row of the band.
    EXPECT_EQ(shape.boundingRect(), QRect(10, 0, 190, 100));
    EXPECT_TRUE(CoveredRegion(Transparent(QSize(64, 64))).isEmpty());
}

TEST(CoveredRegion, AnAntiAliasedCircleIsCoveredToItsFringe) {
    QImage image = Transparent(QSize(40, 40));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(20, 20), 8, 8);
    }
    const QRegion shape = CoveredRegion(image);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(shape.contains(QPoint(x, y)), qAlpha(image.pixel(x, y)) > 0) << x << "," << y;
}

class InstrumentFrame : public testing::Test {
protected:
    // The window's client rectangle: large enough for every instrument below.
    const QRect window{0, 0, 3000, 2000};
    TFont font;
    TInstrumentFrame frame;
};

TEST_F(InstrumentFrame, PictureIsTheInstrumentsBoundingBoxAtItsWindowPlace) {
    TRectangleRuler ruler;
    ruler.OffsetX = 1000;
    ruler.OffsetY = 700;
    const QRect changed = frame.Update(ruler, font, window);
    EXPECT_EQ(changed, frame.Bounds());
    // The strip (0, 0)-(500, 64) with a little room around it, not the desktop.
    EXPECT_TRUE(frame.Bounds().contains(QRect(1000, 700, 500, 64))) << frame.Bounds().x();
    EXPECT_LE(frame.Bounds().width(), 500 + 6);
    EXPECT_LE(frame.Bounds().height(), 64 + 6);
    const QRegion shape = frame.Shape();
    EXPECT_TRUE(shape.contains(QPoint(1000, 700))) << "the top-left corner";
    EXPECT_TRUE(shape.contains(QPoint(1499, 763))) << "the bottom-right corner";
    EXPECT_FALSE(shape.contains(QPoint(1000, 766)));
    EXPECT_FALSE(shape.contains(QPoint(998, 730)));
    // Inside the body the picture is opaque sky blue.
    const QPoint body = QPoint(1100, 732) - frame.Bounds().topLeft();
    EXPECT_EQ(frame.Picture().pixel(body), qRgb(0x87, 0xCE, 0xEB));
    EXPECT_TRUE(frame.Shows(ruler, window));
}

TEST_F(InstrumentFrame, AWholePixelMoveKeepsThePictureAndMovesTheShape) {
    TProtractorRuler360 ruler;
    ruler.Angle = 15;
    ruler.OffsetX = 300.5f; // a half pixel, as on a screen of odd width
    ruler.OffsetY = 200;
    frame.Update(ruler, font, window);
    const qint64 picture = frame.Picture().cacheKey();
    const QRegion shape = frame.Shape();
    const QRect bounds = frame.Bounds();

    ruler.OffsetX += 37;
    ruler.OffsetY -= 8;
    EXPECT_FALSE(frame.Shows(ruler, window));
    const QRect changed = frame.Update(ruler, font, window);
    EXPECT_EQ(frame.Picture().cacheKey(), picture) << "not drawn again";
    EXPECT_EQ(frame.Shape(), shape.translated(37, -8));
    EXPECT_EQ(changed, bounds.translated(37, -8));
    EXPECT_TRUE(frame.Shows(ruler, window));

    // A turn, a new size or a move by a part of a pixel draws it anew.
    ruler.OffsetX += 0.25f;
    frame.Update(ruler, font, window);
    EXPECT_NE(frame.Picture().cacheKey(), picture);
    const qint64 moved = frame.Picture().cacheKey();
    ruler.Angle = 30;
    frame.Update(ruler, font, window);
    EXPECT_NE(frame.Picture().cacheKey(), moved);
}

TEST_F(InstrumentFrame, AnotherInstrumentReplacesThePictureAndClearLeavesNoShape) {
    TRectangleRuler straight;
    TProtractorRuler360 disc;
    straight.OffsetX = disc.OffsetX = 100;
    straight.OffsetY = disc.OffsetY = 100;
    frame.Update(straight, font, window);
    frame.Update(disc, font, window);
    EXPECT_FALSE(frame.Shows(straight, window));
    EXPECT_TRUE(frame.Shape().contains(QPoint(350, 500))) << "the disc's bottom, below the strip";
    frame.Clear();
    EXPECT_TRUE(frame.Shape().isEmpty());
    EXPECT_FALSE(frame.Shows(disc, window));
}

// Only the part of the instrument that lies on the window is drawn, each pixel as in a
// picture of the whole instrument (lines cut at the window's edge anti-aliased a few units
// apart, which no eye sees), also after a whole-pixel move that brings another part onto
// the window. An instrument wholly on the window is drawn exactly as before.
TEST_F(InstrumentFrame, OnlyThePartOnTheWindowIsDrawnAsInTheWholePicture) {
    const QRect small(0, 0, 800, 600);
    TProtractorRuler360 disc;
    disc.Angle = 15;
    // The second and the last are whole-pixel moves of the one before.
    const QPointF places[] = {{-150, 100}, {-250, 100}, {650.5f, 320}, {900, 50}, {120, 40}};
    TInstrumentFrame cut;
    for (const QPointF& place : places) {
        SCOPED_TRACE(testing::Message() << "at " << place.x() << ", " << place.y());
        disc.OffsetX = static_cast<float>(place.x());
        disc.OffsetY = static_cast<float>(place.y());
        TInstrumentFrame whole;
        whole.Update(disc, font, small.adjusted(-2000, -2000, 2000, 2000));
        cut.Update(disc, font, small);
        const QRect shown = whole.Bounds() & small;
        EXPECT_TRUE(shown.isEmpty() ? cut.Shape().isEmpty() : cut.Bounds() == shown);
        const int tolerance = small.contains(whole.Bounds()) ? 0 : 8;
        int differ = 0;
        for (int y = shown.top(); y <= shown.bottom(); ++y)
            for (int x = shown.left(); x <= shown.right(); ++x) {
                const QRgb a = cut.Picture().pixel(QPoint(x, y) - cut.Bounds().topLeft());
                const QRgb b = whole.Picture().pixel(QPoint(x, y) - whole.Bounds().topLeft());
                differ += std::abs(qRed(a) - qRed(b)) > tolerance ||
                          std::abs(qAlpha(a) - qAlpha(b)) > tolerance;
            }
        EXPECT_EQ(differ, 0);
    }
}

// The pointer that snapping holds on an edge stands 2 px outside the outline. A press there
// is meant for the program below, so it must fall outside the window's shape, whatever the
// instrument's angle and sub-pixel place; a press on the instrument itself drags it instead.
TEST_F(InstrumentFrame, ThePointerHeldOnAnEdgeIsOutsideTheShape) {
    TRectangleRuler straight;
    TProtractorRuler360 disc;
    for (TBaseRuler* ruler : {static_cast<TBaseRuler*>(&straight), static_cast<TBaseRuler*>(&disc)})
        for (float angle = 0; angle < 360; angle += 7.5f)
            for (const float fraction : {0.0f, 0.25f, 0.33f, 0.5f, 0.67f, 0.8f}) {
                ruler->Angle = angle;
                ruler->OffsetX = 600 + fraction;
                ruler->OffsetY = 500 + fraction;
                frame.Update(*ruler, font, window);
                // Pointers above the top edge (for the disc, around its circle), snapped
                // and rounded to a pixel as the move bridge does, halves to even.
                for (float along = 0; along <= ruler->Width; along += 11) {
                    const TGPPointF held = ruler->SnapPoint(TGPPointF(along, -5));
                    float x = held.X, y = held.Y;
                    ruler->RulerToScreen(x, y);
                    const int px = static_cast<int>(std::nearbyint(x));
                    const int py = static_cast<int>(std::nearbyint(y));
                    ASSERT_FALSE(frame.Shape().contains(QPoint(px, py)))
                        << ruler->ClassInfo().Name() << " at " << angle << " degrees, offset +"
                        << fraction << ": the held pointer (" << px << ", " << py
                        << ") is on the window";
                }
            }
}

} // namespace
