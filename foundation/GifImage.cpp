#include "foundation/GifImage.h"

#include "foundation/Exceptions.h"
#include "platform/graphics/PictureLimits.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>

namespace {
constexpr std::uint32_t kOpaqueAlpha = 0xFF000000;

constexpr std::size_t kScreenDescriptorEnd = 13; // signature, version, screen descriptor
constexpr std::size_t kImageDescriptorSize = 10; // separator, left, top, width, height, flags
constexpr unsigned char kExtensionIntroducer = 0x21;
constexpr unsigned char kImageSeparator = 0x2C;
constexpr unsigned char kColorTableFlag = 0x80;
constexpr unsigned char kColorTableSizeMask = 0x07;

// An empty logical screen draws nothing, which is allowed; any other size must be a
// picture size that may be decoded.
bool ScreenSizeAllowed(std::int64_t width, std::int64_t height) {
    return (width == 0 || height == 0) || platform::PictureSizeAllowed(width, height);
}

int Read16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// Walks the blocks of a GIF as far as the bytes go and checks every size it claims before
// giflib allocates a pixel for it: the logical screen, each frame and all frames
// together (giflib keeps one byte per pixel of every frame). False when a size is larger
// than a picture may be; damage of any other kind is left to giflib to report.
bool GifSizesAllowed(const std::string& bytes) {
    if (bytes.size() < kScreenDescriptorEnd)
        return true;
    if (!ScreenSizeAllowed(Read16(bytes, 6), Read16(bytes, 8)))
        return false;
    std::size_t at = kScreenDescriptorEnd;
    const auto skipColorTable = [&](unsigned char flags) {
        if (flags & kColorTableFlag)
            at += 3u << ((flags & kColorTableSizeMask) + 1);
    };
    const auto skipSubBlocks = [&] {
        while (at < bytes.size() && bytes[at] != 0)
            at += 1 + static_cast<unsigned char>(bytes[at]);
        ++at;
    };
    skipColorTable(static_cast<unsigned char>(bytes[10]));
    std::int64_t allFrames = 0;
    while (at < bytes.size()) {
        const auto block = static_cast<unsigned char>(bytes[at]);
        if (block == kExtensionIntroducer) {
            at += 2; // introducer, label
            skipSubBlocks();
        } else if (block == kImageSeparator) {
            if (bytes.size() - at < kImageDescriptorSize)
                return true;
            const int width = Read16(bytes, at + 5);
            const int height = Read16(bytes, at + 7);
            allFrames += std::int64_t(width) * height;
            if (!ScreenSizeAllowed(width, height) || allFrames > platform::kMaxPicturePixelBytes)
                return false;
            const auto flags = static_cast<unsigned char>(bytes[at + 9]);
            at += kImageDescriptorSize;
            skipColorTable(flags);
            ++at; // LZW minimum code size
            skipSubBlocks();
        } else {
            return true; // the trailer, or damage that giflib will find
        }
    }
    return true;
}

struct TReadSource {
    const std::string* Bytes = nullptr;
    std::size_t Position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* data, int length) {
    auto* source = static_cast<TReadSource*>(gif->UserData);
    const std::size_t count =
        std::min(std::size_t(std::max(length, 0)), source->Bytes->size() - source->Position);
    std::memcpy(data, source->Bytes->data() + source->Position, count);
    source->Position += count;
    return int(count);
}

// No exception may unwind through giflib: a write that fails (out of memory) is reported
// to it as nothing written, which makes the encoding fail.
int WriteToString(GifFileType* gif, const GifByteType* data, int length) {
    try {
        static_cast<std::string*>(gif->UserData)
            ->append(reinterpret_cast<const char*>(data), std::size_t(length));
        return length;
    } catch (...) {
        return 0;
    }
}

// A giflib encoder writing into a string, with the frames and extension blocks copied into
// it. Closing an encoder does not free those copies, so they are taken from it before it
// closes and freed afterwards, on every way out. Writing the screen descriptor replaces
// the encoder's screen colour map by a copy of its own (which closing frees); the map
// given to it is freed here once it has been replaced.
class TGifEncoder {
public:
    explicit TGifEncoder(std::string& bytes) {
        int error = 0;
        FOut = EGifOpen(&bytes, WriteToString, &error);
        if (FOut == nullptr)
            throw EInvalidGraphic("GIF");
    }
    ~TGifEncoder() {
        if (FOut != nullptr) {
            RecordCopies();
            if (FOut->SColorMap == FScreenColors)
                FScreenColors = nullptr; // still the encoder's, freed when it closes
            int error = 0;
            EGifCloseFile(FOut, &error);
        }
        if (FScreenColors != nullptr)
            GifFreeMapObject(FScreenColors);
        GifFileType frames{};
        frames.SavedImages = FFrames;
        frames.ImageCount = FFrameCount;
        GifFreeSavedImages(&frames);
        GifFreeExtensions(&FBlockCount, &FBlocks);
    }
    TGifEncoder(const TGifEncoder&) = delete;
    TGifEncoder& operator=(const TGifEncoder&) = delete;

    GifFileType* operator->() const { return FOut; }
    GifFileType* Get() const { return FOut; }

    // Encodes everything. EGifSpew closes the encoder when it succeeds; after a failure
    // the destructor closes it.
    bool Spew() {
        RecordCopies();
        if (EGifSpew(FOut) != GIF_OK)
            return false;
        FOut = nullptr;
        return true;
    }

private:
    // Once, before anything is encoded: the frames stay where they are while the encoder
    // writes, but the screen colour map is replaced.
    void RecordCopies() {
        if (FRecorded)
            return;
        FRecorded = true;
        FScreenColors = FOut->SColorMap;
        FFrames = FOut->SavedImages;
        FFrameCount = FOut->ImageCount;
        FBlocks = FOut->ExtensionBlocks;
        FBlockCount = FOut->ExtensionBlockCount;
    }

    GifFileType* FOut = nullptr;
    bool FRecorded = false;
    ColorMapObject* FScreenColors = nullptr;
    SavedImage* FFrames = nullptr;
    int FFrameCount = 0;
    ExtensionBlock* FBlocks = nullptr;
    int FBlockCount = 0;
};

// The first frame's graphic control block; false when it has none.
bool FirstFrameControl(const GifFileType* gif, GraphicsControlBlock& control) {
    if (gif == nullptr || gif->ImageCount < 1)
        return false;
    const SavedImage& frame = gif->SavedImages[0];
    for (int i = 0; i < frame.ExtensionBlockCount; ++i)
        if (frame.ExtensionBlocks[i].Function == GRAPHICS_EXT_FUNC_CODE)
            return DGifExtensionToGCB(frame.ExtensionBlocks[i].ByteCount,
                                      frame.ExtensionBlocks[i].Bytes, &control) == GIF_OK;
    return false;
}

// A deep copy: giflib's own copy of a frame shares the extension bytes with the original,
// and closing the output would free them under the loaded picture.
void CopyFrame(const SavedImage& frame, GifFileType* out) {
    SavedImage* copy = GifMakeSavedImage(out, nullptr);
    if (copy == nullptr)
        throw EInvalidGraphic("GIF");
    copy->ImageDesc = frame.ImageDesc;
    if (frame.ImageDesc.ColorMap != nullptr)
        copy->ImageDesc.ColorMap = GifMakeMapObject(frame.ImageDesc.ColorMap->ColorCount,
                                                    frame.ImageDesc.ColorMap->Colors);
    const std::size_t pixels =
        std::size_t(frame.ImageDesc.Width) * std::size_t(frame.ImageDesc.Height);
    copy->RasterBits = static_cast<GifByteType*>(std::malloc(pixels > 0 ? pixels : 1));
    if (copy->RasterBits == nullptr)
        throw EInvalidGraphic("GIF");
    if (frame.RasterBits != nullptr)
        std::memcpy(copy->RasterBits, frame.RasterBits, pixels);
    for (int i = 0; i < frame.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = frame.ExtensionBlocks[i];
        GifAddExtensionBlock(&copy->ExtensionBlockCount, &copy->ExtensionBlocks, block.Function,
                             unsigned(block.ByteCount), block.Bytes);
    }
}

const ColorMapObject* FirstFrameColors(const GifFileType* gif) {
    const ColorMapObject* local = gif->SavedImages[0].ImageDesc.ColorMap;
    return local != nullptr ? local : gif->SColorMap;
}
} // namespace

void TGIFImage::TGifCloser::operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
}

TGIFImage::TGIFImage() = default;

TGIFImage::~TGIFImage() = default;

void TGIFImage::LoadFromFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw EInvalidGraphic(fileName);
    const std::string bytes(std::istreambuf_iterator<char>(file), {});
    if (!GifSizesAllowed(bytes))
        throw EInvalidGraphic(fileName);
    TReadSource source{&bytes, 0};
    int error = 0;
    std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&source, ReadFromMemory, &error));
    if (!gif || DGifSlurp(gif.get()) != GIF_OK)
        throw EInvalidGraphic(fileName);
    gif->UserData = nullptr; // the source ends here
    FGif = std::move(gif);
}

void TGIFImage::SaveToStream(std::ostream& stream) const {
    if (!FGif)
        return;
    std::string bytes;
    {
        TGifEncoder out(bytes);
        out->SWidth = FGif->SWidth;
        out->SHeight = FGif->SHeight;
        out->SColorResolution = FGif->SColorResolution;
        out->SBackGroundColor = FGif->SBackGroundColor;
        out->AspectByte = FGif->AspectByte;
        if (FGif->SColorMap != nullptr)
            out->SColorMap = GifMakeMapObject(FGif->SColorMap->ColorCount, FGif->SColorMap->Colors);
        for (int i = 0; i < FGif->ExtensionBlockCount; ++i) {
            const ExtensionBlock& block = FGif->ExtensionBlocks[i];
            GifAddExtensionBlock(&out->ExtensionBlockCount, &out->ExtensionBlocks, block.Function,
                                 unsigned(block.ByteCount), block.Bytes);
        }
        for (int i = 0; i < FGif->ImageCount; ++i)
            CopyFrame(FGif->SavedImages[i], out.Get());
        if (!out.Spew())
            throw EInvalidGraphic("GIF");
    }
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int TGIFImage::FrameCount() const {
    return FGif ? FGif->ImageCount : 0;
}

bool TGIFImage::FirstFrameTransparent() const {
    GraphicsControlBlock control{};
    return FirstFrameControl(FGif.get(), control) &&
           control.TransparentColor != NO_TRANSPARENT_COLOR;
}

TColor TGIFImage::FirstFrameTransparentColor() const {
    GraphicsControlBlock control{};
    if (!FirstFrameControl(FGif.get(), control) || control.TransparentColor == NO_TRANSPARENT_COLOR)
        return 0;
    const ColorMapObject* colors = FirstFrameColors(FGif.get());
    if (colors == nullptr || control.TransparentColor >= colors->ColorCount)
        return 0;
    const GifColorType& c = colors->Colors[control.TransparentColor];
    return TColor(c.Red | (c.Green << 8) | (c.Blue << 16));
}

int TGIFImage::Width() const {
    return FGif ? FGif->SWidth : 0;
}

int TGIFImage::Height() const {
    return FGif ? FGif->SHeight : 0;
}

std::unique_ptr<TGPBitmap> TGIFImage::Rendered() const {
    auto bitmap = std::make_unique<TGPBitmap>(Width(), Height(), PixelFormat32bppARGB);
    if (Empty() || FrameCount() < 1)
        return bitmap;
    const SavedImage& frame = FGif->SavedImages[0];
    const ColorMapObject* colors = FirstFrameColors(FGif.get());
    if (colors == nullptr || frame.RasterBits == nullptr)
        return bitmap;
    GraphicsControlBlock control{};
    const int transparent =
        FirstFrameControl(FGif.get(), control) ? control.TransparentColor : NO_TRANSPARENT_COLOR;

    TGPBitmapData data;
    if (bitmap->LockBits(TGPRect{0, 0, Width(), Height()}, ImageLockModeWrite, PixelFormat32bppARGB,
                         data) != TGPStatus::Ok)
        return bitmap;
    // The frame may stick out of the logical screen; only the part inside is drawn.
    const GifImageDesc& desc = frame.ImageDesc;
    for (int y = std::max(0, -desc.Top); y < desc.Height && desc.Top + y < Height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(
            TGPBitmap::ScanLine(data, std::uint32_t(desc.Top + y)));
        for (int x = std::max(0, -desc.Left); x < desc.Width && desc.Left + x < Width(); ++x) {
            const int index = frame.RasterBits[std::size_t(y) * desc.Width + x];
            if (index == transparent || index >= colors->ColorCount)
                continue;
            const GifColorType& c = colors->Colors[index];
            row[desc.Left + x] = kOpaqueAlpha | (std::uint32_t(c.Red) << 16) |
                                 (std::uint32_t(c.Green) << 8) | c.Blue;
        }
    }
    bitmap->UnlockBits(data);
    return bitmap;
}
