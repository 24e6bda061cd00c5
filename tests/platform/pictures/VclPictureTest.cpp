// Pictures of the window layer: an empty 32-bit bitmap stays 32 bits until it is sized
// (icons are drawn onto such a bitmap and must keep their transparent surroundings), and
// a file that is no video gives no thumbnail without a word on standard error.

#include "platform/pictures/VclPicture.h"
#include "platform/pictures/VclPictureQt.h"
#include "platform/pictures/VideoThumbnail.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

TEST(VclBitmap, EmptyBitmapKeepsItsPixelFormatForTheSizeSetLater) {
    TBitmap bitmap;
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormatVcl::pf24bit);
    bitmap.SetPixelFormat(TPixelFormatVcl::pf32bit);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormatVcl::pf32bit);
    bitmap.SetSize(4, 3);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormatVcl::pf32bit);
    EXPECT_EQ(bitmap.Native().Image.pixel(2, 1), 0x00000000u) << "transparent, not opaque black";

    // Emptied again, it is still a 32-bit bitmap.
    bitmap.SetSize(0, 0);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormatVcl::pf32bit);
    bitmap.SetSize(2, 2);
    EXPECT_EQ(qAlpha(bitmap.Native().Image.pixel(0, 0)), 0);

    TBitmap opaque;
    opaque.SetSize(2, 2);
    EXPECT_EQ(opaque.Native().Image.pixel(1, 1), 0xFF000000u);
}

// What the code under test writes on file descriptor 2 while it runs.
template <class Work> std::string StandardErrorOf(Work work) {
    std::fflush(stderr);
    char name[] = "/tmp/tarsel-stderr-XXXXXX";
    const int capture = mkstemp(name);
    const int saved = dup(2);
    dup2(capture, 2);
    work();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::string text;
    char buffer[512];
    lseek(capture, 0, SEEK_SET);
    for (ssize_t got; (got = read(capture, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    close(capture);
    unlink(name);
    return text;
}

TEST(VideoThumbnail, AFileThatIsNoVideoGivesNoThumbnailAndNoLogLines) {
    QTemporaryDir folder;
    const std::string fileName = folder.filePath("broken.avi").toStdString();
    {
        std::ofstream file(fileName, std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            file.put(static_cast<char>((i * 7919) & 0xFF));
    }
    std::unique_ptr<TBitmap> frame;
    const std::string log = StandardErrorOf([&] { frame = GrabVideoFirstFrame(fileName, 32, 32); });
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(log, "");
}

} // namespace
