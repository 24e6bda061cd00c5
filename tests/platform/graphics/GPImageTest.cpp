// Bitmaps: pixel access through locks, reading files and streams, drawing images.
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPQtDrawAccess.h"

#include <QImage>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

namespace {
constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;

ARGB Pixel(const TGPImage& image, int x, int y) {
    return image.Native().Image.pixel(x, y);
}
} // namespace

TEST(GPBitmapLock, RowsAreBlueGreenRedAlphaInMemory) {
    TGPBitmap bitmap(3, 2);
    EXPECT_EQ(bitmap.GetPixelFormat(), PixelFormat32bppARGB);
    TGPBitmapData data;
    ASSERT_EQ(bitmap.LockBits(TGPRect(0, 0, 3, 2), ImageLockModeRead | ImageLockModeWrite,
                              PixelFormat32bppARGB, data),
              TGPStatus::Ok);
    EXPECT_EQ(data.Width, 3u);
    EXPECT_EQ(data.Height, 2u);
    EXPECT_GE(data.Stride, 12);
    const std::uint8_t pixel[4] = {0x56, 0x34, 0x12, 0x80}; // blue, green, red, alpha
    std::memcpy(TGPBitmap::ScanLine(data, 1) + 2 * 4, pixel, 4);
    ASSERT_EQ(bitmap.UnlockBits(data), TGPStatus::Ok);
    EXPECT_EQ(Pixel(bitmap, 2, 1), 0x80123456u); // not premultiplied
    EXPECT_EQ(Pixel(bitmap, 0, 0), 0x00000000u);
}

TEST(GPBitmapLock, AnotherFormatIsACopyWrittenBackOnlyForWriting) {
    TGPBitmap bitmap(2, 2);
    TGPGraphics(bitmap).Clear(kWhite);
    TGPBitmapData data;
    ASSERT_EQ(bitmap.LockBits(TGPRect(1, 1, 1, 1), ImageLockModeRead, PixelFormat24bppRGB, data),
              TGPStatus::Ok);
    std::memset(data.Scan0, 0, 3);
    bitmap.UnlockBits(data);
    EXPECT_EQ(Pixel(bitmap, 1, 1), kWhite);

    ASSERT_EQ(bitmap.LockBits(TGPRect(1, 1, 1, 1), ImageLockModeWrite, PixelFormat24bppRGB, data),
              TGPStatus::Ok);
    std::memset(data.Scan0, 0, 3);
    bitmap.UnlockBits(data);
    EXPECT_EQ(Pixel(bitmap, 1, 1), kBlack);
    EXPECT_EQ(Pixel(bitmap, 0, 0), kWhite);
    EXPECT_EQ(bitmap.GetPixelFormat(), PixelFormat32bppARGB);
}

TEST(GPBitmapLock, RefusesBadRectanglesAndASecondLock) {
    TGPBitmap bitmap(4, 4);
    TGPBitmapData data;
    EXPECT_EQ(bitmap.LockBits(TGPRect(2, 2, 3, 1), ImageLockModeRead, PixelFormat32bppARGB, data),
              TGPStatus::InvalidParameter);
    EXPECT_EQ(bitmap.LockBits(TGPRect(-1, 0, 1, 1), ImageLockModeRead, PixelFormat32bppARGB, data),
              TGPStatus::InvalidParameter);
    EXPECT_EQ(bitmap.LockBits(TGPRect(0, 0, 0, 0), ImageLockModeRead, PixelFormat32bppARGB, data),
              TGPStatus::InvalidParameter);
    TGPBitmap empty;
    EXPECT_EQ(empty.LockBits(TGPRect(0, 0, 1, 1), ImageLockModeRead, PixelFormat32bppARGB, data),
              TGPStatus::InvalidParameter);

    ASSERT_EQ(bitmap.LockBits(TGPRect(0, 0, 4, 4), ImageLockModeRead, PixelFormat32bppARGB, data),
              TGPStatus::Ok);
    TGPBitmapData second;
    EXPECT_EQ(bitmap.LockBits(TGPRect(0, 0, 1, 1), ImageLockModeRead, PixelFormat32bppARGB, second),
              TGPStatus::WrongState);
    EXPECT_EQ(bitmap.UnlockBits(data), TGPStatus::Ok);
    EXPECT_EQ(bitmap.UnlockBits(data), TGPStatus::WrongState);
}

TEST(GPBitmap, NewBitmapsAreTransparentBlackOrRefused) {
    TGPBitmap bitmap(5, 3, PixelFormat32bppARGB);
    EXPECT_EQ(bitmap.GetLastStatus(), TGPStatus::Ok);
    EXPECT_EQ(Pixel(bitmap, 4, 2), 0u);
    TGPBitmap negative(-1, 3);
    EXPECT_EQ(negative.GetLastStatus(), TGPStatus::InvalidParameter);
    EXPECT_EQ(negative.GetWidth(), 0u);
    TGPBitmap unknownFormat(2, 2, 0x12345);
    EXPECT_EQ(unknownFormat.GetLastStatus(), TGPStatus::InvalidParameter);
}

TEST(GPBitmap, ReadsFilesAndReportsFailures) {
    QTemporaryDir dir;
    QImage source(4, 3, QImage::Format_ARGB32);
    source.fill(0x80FF0000);
    const std::string fileName = dir.filePath("red.png").toStdString();
    ASSERT_TRUE(source.save(QString::fromStdString(fileName)));

    const TGPBitmap fromFile(fileName);
    EXPECT_EQ(fromFile.GetLastStatus(), TGPStatus::Ok);
    EXPECT_EQ(fromFile.GetWidth(), 4u);
    EXPECT_EQ(fromFile.GetHeight(), 3u);
    EXPECT_EQ(Pixel(fromFile, 3, 2), 0x80FF0000u);

    const auto missing = TGPImage::FromFile(dir.filePath("missing.png").toStdString());
    EXPECT_EQ(missing->GetLastStatus(), TGPStatus::FileNotFound);
    const std::string garbageName = dir.filePath("garbage.png").toStdString();
    std::ofstream(garbageName, std::ios::binary) << "not a picture";
    const auto unreadable = TGPImage::FromFile(garbageName);
    EXPECT_NE(unreadable->GetLastStatus(), TGPStatus::Ok);
    EXPECT_EQ(unreadable->GetWidth(), 0u);
}

TEST(GPBitmap, ClonesOwnTheirPixels) {
    TGPBitmap bitmap(2, 2);
    TGPGraphics(bitmap).Clear(kWhite);
    const auto copy = bitmap.Clone();
    TGPGraphics(bitmap).Clear(kBlack);
    EXPECT_EQ(Pixel(*copy, 1, 1), kWhite);
}

TEST(GPGraphicsImage, DrawsAtAPointAndStretchesBySamplingMode) {
    // A 2 x 2 checkerboard of black and white.
    TGPBitmap checker(2, 2);
    {
        TGPGraphics graphics(checker);
        graphics.Clear(kWhite);
        graphics.FillRectangle(TGPSolidBrush(kBlack), 0, 0, 1, 1);
        graphics.FillRectangle(TGPSolidBrush(kBlack), 1, 1, 1, 1);
    }
    TGPBitmap target(10, 10);
    TGPGraphics graphics(target);
    graphics.Clear(0xFFFF0000);
    graphics.DrawImage(checker, 5, 5);
    EXPECT_EQ(Pixel(target, 5, 5), kBlack);
    EXPECT_EQ(Pixel(target, 6, 5), kWhite);
    EXPECT_EQ(Pixel(target, 7, 7), 0xFFFF0000u);

    graphics.SetInterpolationMode(InterpolationModeNearestNeighbor);
    graphics.DrawImage(checker, TGPRectF(0, 0, 4, 4), 0, 0, 2, 2);
    EXPECT_EQ(Pixel(target, 1, 1), kBlack); // each source pixel became 2 x 2
    EXPECT_EQ(Pixel(target, 2, 1), kWhite);

    graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    graphics.DrawImage(checker, TGPRectF(9, 9, 1, 1), 0, 0, 2, 2);
    const QColor averaged = QColor::fromRgba(Pixel(target, 9, 9));
    EXPECT_NEAR(averaged.red(), 128, 16); // four pixels averaged to grey
}
