// Saved pictures: the 32-bit bitmap's pixel operations, loading real PNG, GIF, BMP, JPEG and
// video files written by the tests, the desktop-icon fallback, the XML form and the side
// stream of gathered pictures.
#include "foundation/SLGDIPImage.h"

#include "foundation/GifImage.h"
#include "foundation/PngObject.h"
#include "foundation/SLGDIPBrushFont.h"
#include "foundation/SLMMUtils.h"
#include "foundation/SLPicUtils.h"
#include "foundation/SLSysUtils.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/pictures/VclClipboard.h"
#include "platform/pictures/VclPicture.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"

#include <gif_lib.h>
#include <png.h>

#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <sstream>
#include <vector>

// Only the sanitized build can tell leaks.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARSEL_LEAK_CHECKS 1
#endif
#endif

namespace {
constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kGreen = 0xFF00FF00;
constexpr ARGB kBlue = 0xFF0000FF;
constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;

// --- Writing test pictures with the real libraries -------------------------------------------

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}
void NoFlush(png_structp) {}

struct TPngSpec {
    int Width = 0;
    int Height = 0;
    int ColorType = PNG_COLOR_TYPE_RGB;
    std::vector<std::uint8_t> Pixels; // rows of 3 (RGB), 4 (RGBA) or 1 (palette index) bytes
    std::vector<png_color> Palette;
    std::vector<std::uint8_t> PaletteAlpha;
    const png_color_16* TransparentColor = nullptr;
};

std::string EncodePng(const TPngSpec& spec) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng refused the test picture";
        return {};
    }
    png_set_write_fn(png, &out, AppendToString, NoFlush);
    png_set_IHDR(png, info, spec.Width, spec.Height, 8, spec.ColorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.Palette.empty())
        png_set_PLTE(png, info, spec.Palette.data(), int(spec.Palette.size()));
    if (!spec.PaletteAlpha.empty())
        png_set_tRNS(png, info, spec.PaletteAlpha.data(), int(spec.PaletteAlpha.size()), nullptr);
    if (spec.TransparentColor)
        png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(spec.TransparentColor));
    png_write_info(png, info);
    const int channels = spec.ColorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : spec.ColorType == PNG_COLOR_TYPE_RGB     ? 3
                                                                    : 1;
    for (int y = 0; y < spec.Height; ++y)
        png_write_row(png, spec.Pixels.data() + std::size_t(y) * spec.Width * channels);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A GIF of 3 x 1 pixels per frame (red, green, blue indexes 0, 1, 2), optionally with a
// transparent index in the first frame's control block.
void WriteGif(const std::string& fileName, int frames, int transparentIndex) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(fileName.c_str(), false, &error);
    ASSERT_NE(gif, nullptr);
    GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    gif->SWidth = 3;
    gif->SHeight = 1;
    gif->SColorResolution = 8;
    gif->SBackGroundColor = 0;
    gif->SColorMap = GifMakeMapObject(4, colors);
    for (int f = 0; f < frames; ++f) {
        SavedImage frame{};
        frame.ImageDesc = {0, 0, 3, 1, false, nullptr};
        GifByteType raster[3] = {0, 1, 2};
        frame.RasterBits = raster;
        SavedImage* saved = GifMakeSavedImage(gif, &frame);
        if (f == 0 && transparentIndex >= 0) {
            GraphicsControlBlock control{};
            control.DisposalMode = DISPOSAL_UNSPECIFIED;
            control.TransparentColor = transparentIndex;
            EGifGCBToSavedExtension(&control, gif, 0);
        }
        (void)saved;
    }
    // Closing the encoder frees neither the frames nor the screen colour map it was given
    // (it writes from a copy of that map).
    ColorMapObject* screenColors = gif->SColorMap;
    GifFileType written{};
    written.SavedImages = gif->SavedImages;
    written.ImageCount = gif->ImageCount;
    ASSERT_EQ(EGifSpew(gif), GIF_OK);
    GifFreeMapObject(screenColors);
    GifFreeSavedImages(&written);
}

ARGB PixelOf(TGPImage& image, int x, int y) {
    auto* bitmap = dynamic_cast<TGPBitmap*>(&image);
    auto copy = bitmap ? TSLBitmap::CopyOf(*bitmap) : nullptr;
    if (!copy) {
        auto drawn = std::make_unique<TSLBitmap>(std::int32_t(image.GetWidth()),
                                                 std::int32_t(image.GetHeight()));
        TGPGraphics graphics(*drawn);
        graphics.DrawImage(image, 0, 0);
        copy = std::move(drawn);
    }
    copy->LockBits();
    const ARGB pixel = reinterpret_cast<const ARGB*>(copy->GetScanLine(y))[x];
    copy->UnlockBits();
    return pixel;
}

ARGB PixelOf(const TSLImageEx& image, int x, int y) {
    return PixelOf(image.Image(), x, y);
}

std::string ReadFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void ExpectShellIcon(const TSLImageEx& image) {
    EXPECT_EQ(image.FileExt, ".ICO");
    EXPECT_FALSE(image.IsPicFile);
    EXPECT_EQ(image.GetWidth(), TSLPicfn::LargeIconSize);
    EXPECT_EQ(image.GetHeight(), TSLPicfn::LargeIconSize);
    EXPECT_FALSE(image.SourceBytes().empty());
}

std::string SavedXml(TXmlPersistent& object) {
    std::ostringstream text;
    object.TXmlPersistent::SaveToStream(text);
    return text.str();
}

void LoadXml(TXmlPersistent& object, const std::string& text) {
    std::istringstream stream(text);
    object.LoadFromStream(stream);
}

class ImageFiles : public ::testing::Test {
protected:
    TTempFolder Folder;

    std::string Write(const std::string& name, const std::string& bytes) {
        Folder.WriteBytes(name, bytes);
        return Folder.File(name);
    }
    // Red, green, blue on the top row and, below, a half transparent red.
    std::string WriteRgbaPng(const std::string& name) {
        TPngSpec spec{3, 2, PNG_COLOR_TYPE_RGB_ALPHA, {255, 0, 0,   255, 0,   255, 0,  255,
                                                       0,   0, 255, 255, 255, 0,   0,  128,
                                                       255, 0, 0,   0,   10,  20,  30, 255}};
        return Write(name, EncodePng(spec));
    }

    // A second of plain red, 160 x 120, as an MPEG that ffmpeg writes; empty when it cannot.
    std::string WriteRedVideo() {
        const std::string video = Folder.File("red.mpeg");
        const std::string command =
            "ffmpeg -loglevel error -y -f lavfi -i color=c=red:s=160x120:d=1 -c:v mpeg1video "
            "-f mpeg '" +
            video + "' </dev/null";
        return std::system(command.c_str()) == 0 ? video : std::string();
    }

    struct TNamedFile {
        const char* Name;
        std::string Bytes;
    };
    // Each file, loaded as a picture, fails at once and shows the desktop icon.
    void ExpectEachShowsTheShellIcon(const std::vector<TNamedFile>& files) {
        for (const auto& file : files) {
            SCOPED_TRACE(file.Name);
            TSLImageEx image;
            EXPECT_NO_THROW(image.LoadFromFile(Write(file.Name, file.Bytes)));
            ExpectShellIcon(image);
        }
    }
};
} // namespace

// --- The 32-bit bitmap -------------------------------------------------------------------------

TEST(SLBitmap, LockIsHeldOnceAndEndsOnce) {
    TSLBitmap bitmap(4, 3);
    TGPBitmapData* first = bitmap.LockBits();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(bitmap.LockBits(), first);
    EXPECT_EQ(first->Stride, 16);
    EXPECT_EQ(bitmap.GetScanLine(2), static_cast<std::uint8_t*>(first->Scan0) + 32);
    bitmap.UnlockBits();
    EXPECT_FALSE(bitmap.IsLocked());
    bitmap.UnlockBits();
    EXPECT_EQ(TSLBitmap().LockBits(), nullptr);
}

TEST(SLBitmap, AnotherFormatBecomesArgbWithItsColoursOpaque) {
    TSLBitmap bitmap(2, 1, PixelFormat24bppRGB);
    {
        TGPGraphics graphics(bitmap);
        graphics.Clear(0xFF102030);
    }
    ASSERT_NE(bitmap.LockBits(), nullptr);
    EXPECT_EQ(reinterpret_cast<ARGB*>(bitmap.GetScanLine(0))[1], 0xFF102030u);
    bitmap.UnlockBits();
    EXPECT_EQ(bitmap.GetPixelFormat(), PixelFormat32bppARGB);
}

TEST(SLBitmap, AlphaBelowALimit) {
    TSLBitmap bitmap(3, 3);
    bitmap.SetAlpha(true, 255, false, 0);
    EXPECT_FALSE(bitmap.HasAlphaBelow(255));
    bitmap.LockBits();
    bitmap.GetScanLine(2)[2 * 4 + 3] = 254;
    bitmap.UnlockBits();
    EXPECT_TRUE(bitmap.HasAlphaBelow(255));
    EXPECT_FALSE(bitmap.HasAlphaBelow(254));
    EXPECT_FALSE(bitmap.HasAlphaBelow(0));
    EXPECT_FALSE(bitmap.IsLocked());
    EXPECT_FALSE(TSLBitmap().HasAlphaBelow(255));
}

TEST(SLBitmap, ColourKeyMakesExactlyTheKeyColourTransparent) {
    struct TRow {
        const char* Name;
        bool SetEvery;
        bool Key;
        std::array<ARGB, 4> Expected; // for (255,0,0) (254,0,0) (255,1,0) and a 200-alpha red
    };
    const std::array<ARGB, 4> pixels{0xFFFF0000, 0xFFFE0000, 0xFFFF0100, 0xC8FF0000};
    const TRow rows[] = {
        {"key alone keeps the other alphas",
         false,
         true,
         {0x00FF0000, 0xFFFE0000, 0xFFFF0100, 0x00FF0000}},
        {"every alpha alone", true, false, {0x80FF0000, 0x80FE0000, 0x80FF0100, 0x80FF0000}},
        {"both: key 0, all others the value",
         true,
         true,
         {0x00FF0000, 0x80FE0000, 0x80FF0100, 0x00FF0000}},
        {"neither leaves the bitmap alone", false, false, pixels},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        TSLBitmap bitmap(4, 1);
        bitmap.LockBits();
        std::memcpy(bitmap.GetScanLine(0), pixels.data(), sizeof pixels);
        bitmap.UnlockBits();
        bitmap.SetAlpha(row.SetEvery, 0x80, row.Key, clRed);
        EXPECT_FALSE(bitmap.IsLocked());
        bitmap.LockBits();
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(reinterpret_cast<ARGB*>(bitmap.GetScanLine(0))[x], row.Expected[x])
                << "pixel " << x;
        bitmap.UnlockBits();
    }
}

TEST(SLBitmap, CloneIsAnArgbCopyAndEmptyStaysEmpty) {
    TSLBitmap bitmap(2, 2);
    bitmap.SetAlpha(true, 77, false, 0);
    auto copy = bitmap.CloneBitmap();
    EXPECT_EQ(PixelOf(*copy, 1, 1), 0x4D000000u);
    EXPECT_TRUE(TSLBitmap().CloneBitmap()->IsEmpty());
}

// --- Loading files -------------------------------------------------------------------------------

TEST_F(ImageFiles, PngWithOneTransparentColourKeysExactlyThatColour) {
    const png_color_16 key{0, 255, 0, 0, 0};
    TPngSpec spec{3, 1, PNG_COLOR_TYPE_RGB, {255, 0, 0, 254, 0, 0, 0, 0, 255}};
    spec.TransparentColor = &key;
    TSLImageEx image;
    image.LoadFromFile(Write("keyed.png", EncodePng(spec)));
    EXPECT_EQ(image.FileExt, ".PNG");
    EXPECT_TRUE(image.IsPicFile);
    EXPECT_EQ(PixelOf(image, 0, 0) >> 24, 0u);
    EXPECT_EQ(PixelOf(image, 1, 0), 0xFFFE0000u);
    EXPECT_EQ(PixelOf(image, 2, 0), kBlue);

    // The held bytes are a PNG that keeps the key colour.
    TPNGObject reread;
    reread.LoadFromBytes(image.SourceBytes(), "held");
    EXPECT_EQ(reread.TransparencyMode(), TPNGTransparencyMode::ptmBit);
    EXPECT_EQ(reread.TransparentColor(), clRed);
}

TEST_F(ImageFiles, PalettePngTransparency) {
    const std::vector<png_color> palette{{255, 0, 0}, {0, 0, 255}, {0, 255, 0}};
    struct TRow {
        const char* Name;
        std::vector<std::uint8_t> Alpha;
        TPNGTransparencyMode Mode;
        ARGB Pixel1;
    };
    const TRow rows[] = {
        {"one fully transparent entry is a key colour",
         {255, 0},
         TPNGTransparencyMode::ptmBit,
         0x000000FF},
        {"a partly transparent entry gives alpha per pixel",
         {255, 100},
         TPNGTransparencyMode::ptmPartial,
         0x640000FF},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        TPngSpec spec{3, 1, PNG_COLOR_TYPE_PALETTE, {0, 1, 2}, palette, row.Alpha};
        const std::string file = Write("palette.png", EncodePng(spec));
        TPNGObject png;
        png.LoadFromFile(file);
        EXPECT_EQ(png.TransparencyMode(), row.Mode);
        TSLImageEx image;
        image.LoadFromFile(file);
        EXPECT_EQ(PixelOf(image, 0, 0), kRed);
        EXPECT_EQ(PixelOf(image, 1, 0) >> 24, row.Pixel1 >> 24);
        EXPECT_EQ(PixelOf(image, 2, 0), kGreen);
    }
}

TEST_F(ImageFiles, PngAlphaKeepsItsColourThroughLoadingAndSaving) {
    TSLImageEx image;
    image.LoadFromFile(WriteRgbaPng("alpha.PnG"));
    EXPECT_EQ(image.FileExt, ".PNG");
    EXPECT_EQ(PixelOf(image, 0, 1), 0x80FF0000u) << "half transparent red is not darkened";
    EXPECT_EQ(PixelOf(image, 1, 1) >> 24, 0u);

    std::ostringstream held;
    image.SaveToStream(held);
    EXPECT_EQ(held.str(), image.SourceBytes());

    // Scaling drops the bytes; the next save encodes the pixels, alpha and colour intact.
    image.Resize(3, 2, true, false);
    EXPECT_TRUE(image.SourceBytes().empty());
    EXPECT_TRUE(image.FileExt.empty());
    std::ostringstream encoded;
    image.SaveToStream(encoded);
    TPNGObject png;
    png.LoadFromBytes(encoded.str(), "saved");
    EXPECT_EQ(png.TransparencyMode(), TPNGTransparencyMode::ptmPartial);
    EXPECT_EQ(png.Pixel(0, 1), 0x80FF0000u);
    EXPECT_EQ(png.Pixel(2, 1), 0xFF0A141Eu);
}

TEST_F(ImageFiles, DamagedFilesShowTheDesktopIcon) {
    const struct {
        const char* Name;
        const char* Bytes;
    } rows[] = {
        {"damaged.png", "\x89PNG\r\n\x1a\n this is no picture"},
        {"damaged.gif", "GIF89a broken"},
        {"damaged.bmp", "BM nothing"},
        {"notes.txt", "plain words, no picture"},
        {"README", "a file without extension"},
        {"clip.mov", "no movie inside"},
        {"drawing.wmf", "\xd7\xcd\xc6\x9a a damaged placeable metafile"},
        {"drawing.emf", "\x01\x00\x00\x00 enhanced metafiles have no player here"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TSLImageEx image;
        image.FileExt = ".XYZ";
        EXPECT_NO_THROW(image.LoadFromFile(Write(row.Name, row.Bytes)));
        ExpectShellIcon(image);
    }
}

TEST_F(ImageFiles, MissingFileChangesNothing) {
    TSLImageEx image;
    image.NewBitmap(5, 5);
    image.IsPicFile = true;
    image.LoadFromFile(Folder.File("absent.png"));
    EXPECT_EQ(image.GetWidth(), 5);
    EXPECT_TRUE(image.IsPicFile);
}

TEST_F(ImageFiles, GifShowsItsFirstFrameWithItsTransparentColour) {
    const std::string file = Folder.File("three.gif");
    WriteGif(file, 2, 1);
    TSLImageEx image;
    image.LoadFromFile(file);
    EXPECT_EQ(image.FileExt, ".GIF");
    EXPECT_TRUE(image.IsPicFile);
    EXPECT_EQ(PixelOf(image, 0, 0), kRed);
    EXPECT_EQ(PixelOf(image, 1, 0) >> 24, 0u);
    EXPECT_EQ(PixelOf(image, 2, 0), kBlue);

    // The held bytes are giflib's encoding of the whole picture, both frames included.
    const std::string reencoded = Write("again.gif", image.SourceBytes());
    TGIFImage gif;
    gif.LoadFromFile(reencoded);
    EXPECT_EQ(gif.FrameCount(), 2);
    EXPECT_TRUE(gif.FirstFrameTransparent());
    EXPECT_EQ(gif.FirstFrameTransparentColor(), 0x00FF00);
}

TEST_F(ImageFiles, GifWithoutTransparencyIsOpaqueAndOneWithoutFramesShowsTheIcon) {
    const std::string file = Folder.File("plain.gif");
    WriteGif(file, 1, -1);
    TSLImageEx image;
    image.LoadFromFile(file);
    EXPECT_EQ(PixelOf(image, 1, 0), kGreen);

    // Header, logical screen of 3 x 1 without colour table, trailer.
    TSLImageEx empty;
    empty.LoadFromFile(Write("empty.gif", std::string("GIF89a\x03\x00\x01\x00\x00\x00\x00;", 13)));
    ExpectShellIcon(empty);
}

TEST_F(ImageFiles, BmpKeepsItsExtensionAndNoBytesUntilSaved) {
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    ASSERT_TRUE(picture.save(QString::fromStdString(Folder.File("blue.bmp")), "BMP"));
    TSLImageEx image;
    image.LoadFromFile(Folder.File("blue.bmp"));
    EXPECT_EQ(image.FileExt, ".bmp");
    EXPECT_TRUE(image.SourceBytes().empty());
    EXPECT_TRUE(image.IsPicFile);
    EXPECT_EQ(PixelOf(image, 3, 1), kBlue);

    const std::string xml = SavedXml(image);
    EXPECT_EQ(image.FileExt, ".PNG");
    EXPECT_NE(xml.find("FileExt=\".PNG\""), std::string::npos);
}

TEST_F(ImageFiles, JpegIsReadDirectlyAndKeepsTheFileBytes) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(QColor(255, 255, 255));
    ASSERT_TRUE(picture.save(QString::fromStdString(Folder.File("photo.jpg")), "JPG"));
    TSLImageEx image;
    image.LoadFromFile(Folder.File("photo.jpg"));
    EXPECT_EQ(image.FileExt, ".JPG");
    EXPECT_TRUE(image.IsPicFile);
    EXPECT_EQ(image.SourceBytes(), ReadFile(Folder.File("photo.jpg")));
    EXPECT_EQ(image.GetWidth(), 8);
    EXPECT_GE(PixelOf(image, 4, 4) & 0xFF, 0xF0u);
}

TEST_F(ImageFiles, VideoShowsItsFirstFrameAsA400By300Thumbnail) {
    EXPECT_TRUE(TSLMMfn::IsVideoFile("a/b/clip.MpEg"));
    EXPECT_FALSE(TSLMMfn::IsVideoFile("clip.mov"));
    EXPECT_EQ(TSLMMfn::GetVideoThumbnail(Folder.File("none.avi"), 400, 300), nullptr);

    const std::string video = WriteRedVideo();
    if (video.empty())
        GTEST_SKIP() << "ffmpeg cannot write a test video here";
    TSLImageEx image;
    image.LoadFromFile(video);
    EXPECT_EQ(image.GetWidth(), 400);
    EXPECT_EQ(image.GetHeight(), 300);
    EXPECT_FALSE(image.IsPicFile);
    EXPECT_TRUE(image.FileExt.empty());
    const ARGB centre = PixelOf(image, 200, 150);
    EXPECT_GT((centre >> 16) & 0xFF, 200u);
    EXPECT_LT((centre >> 8) & 0xFF, 60u);
}

// ffmpeg keeps a little memory from the first video for the life of the process, which the
// sanitized pass suppresses by name in scripts/lsan-suppressions.txt. That memory must not
// grow with each video: this test runs itself again, once loading one video and once three,
// and LeakSanitizer must find the same bytes leaked both times without the suppressions,
// and none with them.
namespace {
// Set in the runs the test starts: how many times to load the video.
constexpr const char* kVideoLoadsVariable = "TARSEL_TEST_VIDEO_LOADS";
} // namespace

#ifdef TARSEL_LEAK_CHECKS
namespace {

// The bytes LeakSanitizer reports as leaked at the end of a run of this test loading the
// video so many times, with the given suppressions (empty: none).
long long LeakedBytesAfterVideos(int loads, const std::string& suppressions) {
    const std::string command =
        std::string(kVideoLoadsVariable) + "=" + std::to_string(loads) +
        " ASAN_OPTIONS=detect_leaks=1:exitcode=0 LSAN_OPTIONS=exitcode=0:suppressions='" +
        suppressions + "' QT_QPA_PLATFORM=offscreen '" +
        std::filesystem::read_symlink("/proc/self/exe").string() +
        "' "
        "--gtest_filter=ImageFiles.VideoPicturesAfterTheFirstLeakNothing 2>&1";
    FILE* child = ::popen(command.c_str(), "r");
    if (child == nullptr)
        return -1;
    std::string output;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, child) != nullptr)
        output += buffer;
    if (::pclose(child) != 0 || output.find("[  PASSED  ] 1 test") == std::string::npos)
        return -1;
    const std::size_t summary = output.find("SUMMARY: AddressSanitizer: ");
    if (summary == std::string::npos)
        return 0;
    return std::atoll(output.c_str() + summary + std::strlen("SUMMARY: AddressSanitizer: "));
}
} // namespace
#endif

TEST_F(ImageFiles, VideoPicturesAfterTheFirstLeakNothing) {
    const std::string video = WriteRedVideo();
    if (video.empty())
        GTEST_SKIP() << "ffmpeg cannot write a test video here";
    if (const char* loads = std::getenv(kVideoLoadsVariable)) {
        for (int i = 0; i < std::atoi(loads); ++i) {
            TSLImageEx image;
            image.LoadFromFile(video);
            EXPECT_EQ(image.GetWidth(), 400);
        }
        return; // the run that asked reads the leak report at its exit
    }
#ifdef TARSEL_LEAK_CHECKS
    const std::string suppressions = TARSEL_SOURCE_DIR "/scripts/lsan-suppressions.txt";
    const long long afterOne = LeakedBytesAfterVideos(1, "");
    ASSERT_GE(afterOne, 0) << "the run with one video failed";
    EXPECT_EQ(LeakedBytesAfterVideos(3, ""), afterOne)
        << "the second and third video leak more than the first";
    EXPECT_EQ(LeakedBytesAfterVideos(3, suppressions), 0) << "a leak the suppressions do not name";
#else
    GTEST_SKIP() << "only the sanitized build can count leaks";
#endif
}

TEST_F(ImageFiles, WindowsMetafileIsPlayedAndKeepsItsBytes) {
    const std::string bytes = RedRectangleWmf();
    TSLImageEx image;
    image.LoadFromFile(Write("red.Wmf", bytes));
    EXPECT_EQ(image.FileExt, ".Wmf");
    EXPECT_TRUE(image.IsPicFile);
    EXPECT_EQ(image.SourceBytes(), bytes);
    EXPECT_EQ(image.GetWidth(), 80);
    EXPECT_EQ(image.GetHeight(), 40);
    EXPECT_EQ(PixelOf(image, 40, 20), kRed);

    // Saved and read back, the bytes are played again.
    TSLImageEx reread;
    LoadXml(reread, SavedXml(image));
    EXPECT_EQ(reread.FileExt, ".Wmf");
    EXPECT_EQ(reread.SourceBytes(), bytes);
    EXPECT_EQ(PixelOf(reread, 79, 39), kRed);

    TMetafile metafile;
    metafile.SetBytes(bytes);
    EXPECT_FALSE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 80);
    TSLImageEx assigned;
    assigned.Assign(metafile);
    EXPECT_EQ(assigned.FileExt, ".wmf");
    EXPECT_EQ(PixelOf(assigned, 0, 0), kRed);
}

// --- Hostile headers -----------------------------------------------------------------------------

// Every reader checks the size a file claims before it allocates the pixels: a picture
// larger than 16384 pixels a side or 256 MB of 32-bit pixels shows the desktop icon.
TEST_F(ImageFiles, PicturesClaimingMoreThanThePictureLimitsShowTheDesktopIcon) {
    ExpectEachShowsTheShellIcon({
        {"screen.gif", GifClaiming(20000, 20000, {{1, 1}})}, // a sound GIF of 45 bytes
        {"screen-and-frame.gif", GifClaiming(20000, 20000, {{20000, 20000}})},
        {"frame-beyond-screen.gif", GifClaiming(10, 10, {{20000, 20000}})},
        {"frames-together.gif", GifClaiming(8000, 8000, {{8000, 8000}, {8000, 8000}})},
        {"wide-screen.gif", GifClaiming(20000, 1, {{1, 1}})},
        {"side.png", TruncatedPngClaiming(30000, 30000)},
        {"huge.png", TruncatedPngClaiming(1000000, 1000000)},
        {"square-at-the-side-limit.png", TruncatedPngClaiming(16384, 16384)},
        {"long-row.png", TruncatedPngClaiming(20000, 1)},
        {"huge.bmp", BmpClaiming(20000, 20000)},
        // Qt's reader, which reads a GIF under another name, claims 1 x 2 for this one.
        {"gif-named-bmp.bmp", GifClaiming(20000, 2, {{1, 1}})},
        {"units-per-inch.wmf", RedRectangleWmf(32767, 32767, 1)},
        {"bounding-box.wmf", RedRectangleWmf(32767, 16, 96)},
    });
}

TEST_F(ImageFiles, MetafileWhoseHeaderClaimsMoreThanItHoldsIsNotPlayed) {
    TSLImageEx image;
    EXPECT_NO_THROW(image.LoadFromFile(Write("claims.wmf", WmfClaimingLargestRecord(0x7FFFFFFF))));
    ExpectShellIcon(image);

    // Without its placeable header, a sound metafile still plays.
    TMetafile plain;
    plain.SetBytes(RedRectangleWmf().substr(22));
    TSLImageEx assigned;
    assigned.Assign(plain);
    EXPECT_FALSE(assigned.IsEmpty());
}

// A metafile about as large as the renderer's budget affords still plays, filled whole.
TEST_F(ImageFiles, MetafileAsLargeAsTheRendererAffordsIsPlayed) {
    TSLImageEx image;
    image.LoadFromFile(Write("wide.wmf", RedRectangleWmf(4096, 2304, 96)));
    ASSERT_EQ(image.GetWidth(), 4096);
    EXPECT_EQ(image.GetHeight(), 2304);
    EXPECT_EQ(PixelOf(image, 2048, 1152), kRed);
}

// A few hundred bytes of metafile can ask libwmf's renderer for minutes of work; such a
// metafile shows the desktop icon. Each row below would take the renderer far longer than
// any test's time limit if it were drawn.
TEST_F(ImageFiles, MetafilesAskingTheRendererForEndlessWorkShowTheDesktopIcon) {
    ExpectEachShowsTheShellIcon({
        // 4000 x 3000 pixels for 80 x 40 units: a pen of 40 units is stamped 2000 x 3000
        // pixels large at every step of the outline.
        {"wide-pen.wmf", RectanglesWmf(1, 40, 4000, 3000, 96)},
        // The same picture filled whole, 3000 times over.
        {"repeated-fills.wmf", RectanglesWmf(3000, 0, 4000, 3000, 96)},
        // The bounding box drawn backwards is still 4000 x 3000 pixels.
        {"backward-box.wmf", RectanglesWmf(1, 40, -4000, -3000, 96)},
        // Within the picture limits, but creating, encoding and decoding 34 Mi pixels takes
        // seconds before any drawing: refused before the picture is made.
        {"huge-picture.wmf", RedRectangleWmf(16384, 2100, 96)},
    });
}

TEST_F(ImageFiles, OrdinaryMetafilesArePlayed) {
    TSLImageEx drawing;
    drawing.LoadFromFile(Write("drawing.wmf", DrawingWmf()));
    ASSERT_EQ(drawing.GetWidth(), 400);
    EXPECT_EQ(drawing.GetHeight(), 200);
    EXPECT_EQ(PixelOf(drawing, 0, 100), kBlack);   // the sheet's outline
    EXPECT_EQ(PixelOf(drawing, 300, 185), kWhite); // the sheet
    EXPECT_EQ(PixelOf(drawing, 20, 70), kBlack);   // the circle's outline
    EXPECT_EQ(PixelOf(drawing, 70, 145), kBlue);   // the pie
    EXPECT_EQ(PixelOf(drawing, 200, 150), kBlue);  // the triangle

    TSLImageEx outlined;
    outlined.LoadFromFile(Write("outlined.wmf", RectanglesWmf(1, 4, 80, 40, 96)));
    ASSERT_EQ(outlined.GetWidth(), 80);
    EXPECT_EQ(PixelOf(outlined, 0, 20), kBlack);
    EXPECT_EQ(PixelOf(outlined, 40, 20), kRed);

    // 20 x 30 pixels a unit: a fine outline and a few fills of a large picture.
    TSLImageEx large;
    large.LoadFromFile(Write("outlined-large.wmf", RectanglesWmf(4, 1, 1600, 1200, 96)));
    ASSERT_EQ(large.GetWidth(), 1600);
    EXPECT_EQ(large.GetHeight(), 1200);
    EXPECT_EQ(PixelOf(large, 5, 600), kBlack);
    EXPECT_EQ(PixelOf(large, 800, 600), kRed);
}

// --- Copies, sizes and other sources -------------------------------------------------------------

TEST_F(ImageFiles, CloneCopiesEverythingButTheGuid) {
    TSLImageEx image;
    image.LoadFromFile(WriteRgbaPng("copy.png"));
    auto clone = image.Clone();
    auto& copy = dynamic_cast<TSLImageEx&>(*clone);
    EXPECT_NE(copy.GUID, image.GUID);
    EXPECT_EQ(copy.FileExt, image.FileExt);
    EXPECT_EQ(copy.IsPicFile, image.IsPicFile);
    EXPECT_EQ(copy.SourceBytes(), image.SourceBytes());
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(PixelOf(copy, x, 1), PixelOf(image, x, 1));
}

TEST(SLImageEx, NewBitmapResizeAndClear) {
    TSLImageEx image;
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_TRUE(image.IsPicFile);
    image.IsPicFile = false;
    const std::string guid = image.GUID;
    image.NewBitmap(4, 2);
    EXPECT_EQ(PixelOf(image, 3, 1), 0u);
    image.Resize(8, 0, true, true);
    EXPECT_TRUE(image.IsEmpty());
    image.Resize(6, 3, false, false);
    EXPECT_EQ(image.GetWidth(), 6);
    EXPECT_FALSE(image.IsPicFile);
    EXPECT_EQ(image.GUID, guid);
    image.Clear();
    EXPECT_TRUE(image.IsEmpty());
    std::ostringstream nothing;
    image.SaveToStream(nothing);
    EXPECT_TRUE(nothing.str().empty());
}

TEST(SLImageEx, ScalingDrawsThePictureIntoTheNewSize) {
    TSLImageEx image;
    TSLBitmap& bitmap = image.NewBitmap(2, 1);
    bitmap.LockBits();
    reinterpret_cast<ARGB*>(bitmap.GetScanLine(0))[0] = kRed;
    reinterpret_cast<ARGB*>(bitmap.GetScanLine(0))[1] = kBlue;
    bitmap.UnlockBits();
    image.Resize(4, 2, true, false);
    EXPECT_EQ(PixelOf(image, 0, 1), kRed);
    EXPECT_EQ(PixelOf(image, 3, 0), kBlue);
}

TEST(SLImageEx, OtherSources) {
    // A metafile keeps its bytes and names its kind in lower case, drawn here or not.
    TMetafile metafile;
    metafile.SetBytes(std::string("\x01\x00\x09\x00 a plain Windows metafile", 30));
    TSLImageEx image;
    image.Assign(metafile);
    EXPECT_EQ(image.FileExt, ".wmf");
    EXPECT_EQ(image.SourceBytes(), metafile.Bytes());
    metafile.SetBytes(std::string("\x01\x00\x00\x00 an enhanced one", 20));
    image.Assign(metafile);
    EXPECT_EQ(image.FileExt, ".emf");

    // A bitmap from the clipboard.
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    TSLBitmap green(3, 2);
    green.SetAlpha(true, 255, false, 0);
    {
        TGPGraphics graphics(green);
        graphics.Clear(kGreen);
    }
    bitmap.Assign(green);
    Clipboard().Assign(bitmap);
    ASSERT_TRUE(Clipboard().HasFormat(CF_BITMAP));
    EXPECT_FALSE(Clipboard().HasFormat(CF_METAFILEPICT));
    image.Assign(Clipboard());
    EXPECT_TRUE(image.FileExt.empty());
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(PixelOf(image, 2, 1), kGreen);

    // An icon keeps its .ico bytes.
    TIcon icon;
    TSLPicfn::GetFileIcon("picture.png", false, icon);
    ASSERT_TRUE(icon.HandleAllocated());
    EXPECT_EQ(icon.Width(), TSLPicfn::SmallIconSize);
    image.Assign(icon);
    EXPECT_EQ(image.FileExt, ".ICO");
    EXPECT_TRUE(image.IsPicFile);
    EXPECT_EQ(image.GetWidth(), TSLPicfn::SmallIconSize);

    // Unrelated saved objects are refused as everywhere.
    TSLBrushEx brush;
    EXPECT_THROW(image.Assign(&brush), EConvertError);
}

// --- The XML form --------------------------------------------------------------------------------

TEST_F(ImageFiles, PictureRoundTripsThroughXmlInLinesOf76) {
    TSLImageEx image;
    image.LoadFromFile(WriteRgbaPng("saved.png"));
    TSLBrushEx brush;
    brush.SetTextureImage(&image);
    const std::string xml = SavedXml(brush);

    // The texture is one level down: its base64 lines and closing tag stand at 2 spaces.
    const std::size_t start = xml.find("<TextureImage");
    ASSERT_NE(start, std::string::npos);
    std::istringstream lines(xml.substr(xml.find('>', start) + 1));
    std::string line;
    int textLines = 0;
    while (std::getline(lines, line) && line.find("</TextureImage>") == std::string::npos) {
        if (line == "\r")
            continue;
        ++textLines;
        ASSERT_EQ(line.back(), '\r');
        ASSERT_EQ(line.substr(0, 2), "  ");
        EXPECT_LE(line.size() - 3, 76u);
    }
    EXPECT_GE(textLines, 2);
    EXPECT_EQ(line, "  </TextureImage>\r");

    TSLBrushEx reread;
    LoadXml(reread, xml);
    const TSLImageEx& texture = *reread.TextureImage();
    EXPECT_EQ(texture.GUID, brush.TextureImage()->GUID);
    EXPECT_NE(texture.GUID, image.GUID) << "every description keeps its own";
    EXPECT_EQ(texture.FileExt, ".PNG");
    EXPECT_TRUE(texture.IsPicFile);
    EXPECT_EQ(texture.SourceBytes(), image.SourceBytes());
    EXPECT_EQ(PixelOf(texture, 0, 1), 0x80FF0000u);
    EXPECT_EQ(PixelOf(texture, 2, 0), kBlue);
    // The reload's temporary file is gone.
    for (const auto& entry : std::filesystem::directory_iterator(TSLSysfn::GetTempPath()))
        EXPECT_EQ(entry.path().string().find(texture.GUID), std::string::npos);
}

TEST(SLImageExXml, EmptyPicturesSaveNoText) {
    TSLImageEx image;
    image.FileExt = ".PNG";
    const std::string xml = SavedXml(image);
    EXPECT_NE(xml.find("FileExt=\"\""), std::string::npos);
    EXPECT_NE(xml.find("<TSLImageEx "), std::string::npos);
    EXPECT_EQ(xml.find("</TSLImageEx>\r\n") - xml.find('>', xml.find("<TSLImageEx")), 1u);

    TSLImageEx reread;
    reread.NewBitmap(3, 3);
    LoadXml(reread, "<TSLImageEx FileExt=\".GIF\" GUID=\"{X}\" IsPicFile=\"1\"></TSLImageEx>");
    EXPECT_TRUE(reread.IsEmpty());
    EXPECT_TRUE(reread.FileExt.empty());
    EXPECT_EQ(reread.GUID, "{X}");
}

TEST_F(ImageFiles, SavedIconAndMetafileElements) {
    TSLImageEx icon;
    icon.LoadFromFile(Write("notes.txt", "words"));
    ExpectShellIcon(icon);
    TSLImageEx rereadIcon;
    LoadXml(rereadIcon, SavedXml(icon));
    EXPECT_EQ(rereadIcon.FileExt, ".ICO");
    EXPECT_TRUE(rereadIcon.IsPicFile);
    EXPECT_EQ(rereadIcon.GetWidth(), TSLPicfn::LargeIconSize);

    // A metafile cannot be drawn here, but its bytes survive reading and saving.
    TMetafile metafile;
    metafile.SetBytes("\x01\x00\x00\x00 enhanced metafile bytes");
    TSLImageEx image;
    image.Assign(metafile);
    TSLImageEx reread;
    LoadXml(reread, SavedXml(image));
    EXPECT_EQ(reread.FileExt, ".emf");
    EXPECT_EQ(reread.SourceBytes(), metafile.Bytes());
    TSLImageEx again;
    LoadXml(again, SavedXml(reread));
    EXPECT_EQ(again.SourceBytes(), metafile.Bytes());
}

TEST_F(ImageFiles, SavedExtensionCannotLeadTheReloadOutOfTheTemporaryFolder) {
    // Unchecked, "/../victim" after the temporary name would overwrite and then delete a
    // file beside the temporary folder's new subfolder.
    const std::string victim = "tarsel-victim-" + std::to_string(::getpid()) + ".png";
    const std::string victimPath = TSLSysfn::GetTempPath() + victim;
    { std::ofstream(victimPath, std::ios::binary) << "precious"; }
    const std::string xml = "<TSLImageEx FileExt=\"/../" + victim +
                            "\" GUID=\"{G}\" IsPicFile=\"1\">aGVsbG8=</TSLImageEx>";
    TSLImageEx image;
    LoadXml(image, xml);
    EXPECT_EQ(ReadFile(victimPath), "precious");
    EXPECT_FALSE(image.IsPicFile);
    std::filesystem::remove(victimPath);
}

// --- Brush textures ------------------------------------------------------------------------------

TEST(SLBrushTexture, TextureBrushTilesTheImageAndEveryAssignNotifies) {
    TSLBrushEx brush;
    int changes = 0;
    brush.OnChange = [&](TPersistent*) { ++changes; };
    TSLImageEx tile;
    TSLBitmap& pixels = tile.NewBitmap(2, 1);
    pixels.LockBits();
    reinterpret_cast<ARGB*>(pixels.GetScanLine(0))[0] = kRed;
    reinterpret_cast<ARGB*>(pixels.GetScanLine(0))[1] = kBlue;
    pixels.UnlockBits();
    brush.SetTextureImage(&tile);
    brush.SetTextureImage(&tile);
    EXPECT_EQ(changes, 2);
    brush.SetBrushType(BrushTypeTextureFill);

    TSLBitmap canvas(5, 1);
    {
        TGPGraphics graphics(canvas);
        graphics.Clear(kWhite);
        graphics.FillRectangle(brush.GetBrush(), 0, 0, 5, 1);
    }
    EXPECT_EQ(PixelOf(canvas, 0, 0), kRed);
    EXPECT_EQ(PixelOf(canvas, 3, 0), kBlue);
    EXPECT_EQ(PixelOf(canvas, 4, 0), kRed);
}

// --- The side stream of gathered pictures --------------------------------------------------------

namespace {
void PutInt64(std::string& out, std::int64_t value) {
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
}

std::string Record(const std::string& guid, const std::string& data) {
    std::string header(TSLImageExGather::RecordHeaderSize, '\0');
    header[0] = static_cast<char>(guid.size());
    header.replace(1, guid.size(), guid);
    std::string size;
    PutInt64(size, std::int64_t(data.size()));
    header.replace(TSLImageExGather::DataSizeOffset, 8, size);
    return header + data;
}

std::string LowerCaseOf(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Block(const std::string& records, std::int64_t blockSize = -1) {
    std::string out;
    PutInt64(out, blockSize >= 0 ? blockSize : std::int64_t(8 + records.size()));
    return out + records;
}
} // namespace

TEST_F(ImageFiles, GatherReadsThePictureOfTheMatchingRecord) {
    TSLImageEx source;
    source.LoadFromFile(WriteRgbaPng("gathered.png"));
    const std::string lead = "unrelated leading bytes";
    const std::string records = Record(LowerCaseOf(source.GUID), "x") + Record("{other}", "yy") +
                                Record(source.GUID, source.SourceBytes());
    // A BlockSize at the very end of the signed range cannot overflow behind the base
    // offset: the block runs to the end of the stream.
    for (const std::int64_t blockSize : {std::int64_t(-1), INT64_MAX}) {
        SCOPED_TRACE(blockSize);
        std::istringstream stream(lead + Block(records, blockSize));
        TSLImageExGather gather;
        gather.SetSideStream(&stream, std::int64_t(lead.size()));

        TSLImageEx target;
        target.GUID = source.GUID;
        target.FileExt = ".PNG";
        gather.ReadImage(target);
        EXPECT_EQ(target.SourceBytes(), source.SourceBytes());
        EXPECT_EQ(PixelOf(target, 0, 1), 0x80FF0000u);
    }
}

// Sizes in the side stream are checked against the bytes it holds: nothing is allocated for
// data the stream does not have, and a picture cut short fails instead of loading half.
// Either way the description stays as it was.
TEST_F(ImageFiles, GatherLeavesThePictureAloneWithoutASoundMatchingRecord) {
    TSLImageEx source;
    source.LoadFromFile(WriteRgbaPng("gathered.png"));
    const std::string full = Block(Record(source.GUID, source.SourceBytes()));
    const std::size_t dataSizeAt = 8 + TSLImageExGather::DataSizeOffset;
    const auto withDataSize = [&](std::string side, std::int64_t dataSize) {
        std::string size;
        PutInt64(size, dataSize);
        return side.replace(dataSizeAt, 8, size);
    };
    const struct {
        const char* Name;
        std::string Side;
        bool Fails;
    } rows[] = {
        {"a block of 8 bytes holds no records", Block(Record(source.GUID, source.SourceBytes()), 8),
         false},
        {"a block longer than the stream", Block(Record("{other}", "yy"), 5000), false},
        {"no block at all", "abc", false},
        {"another record claiming the largest size",
         withDataSize(Block(Record("{other}", "yy")), INT64_MAX), false},
        {"a DataSize of 2 GB in a stream of 190 bytes",
         withDataSize(Block(Record(source.GUID, "tiny")), std::int64_t(2) << 30), true},
        {"data cut short", full.substr(0, full.size() - 10), true},
        {"a header cut short", full.substr(0, 100), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        std::istringstream stream(row.Side);
        TSLImageExGather gather;
        gather.SetSideStream(&stream, 0);
        TSLImageEx target;
        target.GUID = source.GUID;
        target.NewBitmap(2, 2);
        if (row.Fails)
            EXPECT_THROW(gather.ReadImage(target), EReadError);
        else
            EXPECT_NO_THROW(gather.ReadImage(target));
        EXPECT_EQ(target.GetWidth(), 2);
        EXPECT_TRUE(target.SourceBytes().empty());
    }
}

TEST(SLImageExGather, CollectsEachDescriptionOnceAndLeavesItToItsOwner) {
    TSLImageExGather gather;
    EXPECT_FALSE(gather.Enabled());
    auto brush = std::make_unique<TSLBrushEx>();
    int changes = 0;
    brush->OnChange = [&](TPersistent*) { ++changes; };
    gather.AddImage(brush->TextureImage());
    gather.AddImage(brush->TextureImage());
    EXPECT_EQ(gather.ImageCount(), 1);
    EXPECT_EQ(gather.GetImage(0), brush->TextureImage());
    // The brush still hears its texture change.
    brush->TextureImage()->Changed();
    EXPECT_EQ(changes, 1);
}

TEST(SLImageExGather, SwitchedOnSavingHandsThePictureToTheGather) {
    TSLImageEx image;
    image.NewBitmap(2, 2);
    ImageExGather().SetEnabled(true);
    const std::string xml = SavedXml(image);
    const int gathered = ImageExGather().ImageCount();
    ImageExGather().SetEnabled(false);
    FinalizeSLGDIPUtils();
    EXPECT_EQ(gathered, 1);
    EXPECT_EQ(image.FileExt, ".PNG");
    EXPECT_NE(xml.find("\"></TSLImageEx>"), std::string::npos) << "no text in the element";
    EXPECT_EQ(ImageExGather().ImageCount(), 0) << "a new gather after finalisation";
    FinalizeSLGDIPUtils();
}
