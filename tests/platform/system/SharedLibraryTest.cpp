// Libraries opened at run time: a missing library or function is reported as null, a
// present one is called like a linked one, and the video thumbnailer (all of ffmpeg
// behind it) is not in the program until the first video asks for it.

#include "platform/system/SharedLibrary.h"
#include "platform/pictures/VclPicture.h"
#include "platform/pictures/VideoThumbnail.h"
#include "support/ProgramCopy.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

// Whether a file whose name contains part is mapped into this process.
bool IsLoaded(const std::string& part) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

TEST(SharedLibrary, AMissingLibraryHasNoFunctions) {
    const TSharedLibrary library("libtarsel-no-such-library.so.1");
    EXPECT_EQ(library.Function<double(double)>("cos"), nullptr);
}

TEST(SharedLibrary, APresentLibrarysFunctionsAreCalledAndMissingOnesAreNull) {
    const TSharedLibrary library("libm.so.6");
    const auto cosine = library.Function<double(double)>("cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(library.Function<void()>("tarsel_no_such_function"), nullptr);
}

TEST(VideoThumbnailer, IsOpenedAtTheFirstVideoAndNotBefore) {
    TTempFolder folder;
    if (!RunsInCopyOfTestProgram(folder))
        return; // a fresh process, where no test has asked for a video yet
    EXPECT_FALSE(IsLoaded("libavcodec"));
    EXPECT_FALSE(IsLoaded("libffmpegthumbnailer"));
    const std::string notAVideo = folder.File("clip.avi");
    std::ofstream(notAVideo) << "no video";
    EXPECT_EQ(GrabVideoFirstFrame(notAVideo, 32, 32), nullptr);
#if defined(TARSEL_HAVE_THUMBNAILER)
    EXPECT_TRUE(IsLoaded("libffmpegthumbnailer"));
#endif
}

} // namespace
