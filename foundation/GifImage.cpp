#include "foundation/GifImage.h"

#include "foundation/Exceptions.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ostream>

namespace {
constexpr std::uint32_t kOpaqueAlpha = 0xFF000000;

int WriteToString(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), std::size_t(length));
    return length;
}

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
    int error = 0;
    std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpenFileName(fileName.c_str(), &error));
    if (!gif || DGifSlurp(gif.get()) != GIF_OK)
        throw EInvalidGraphic(fileName);
    FGif = std::move(gif);
}

void TGIFImage::SaveToStream(std::ostream& stream) const {
    if (!FGif)
        return;
    std::string bytes;
    int error = 0;
    GifFileType* out = EGifOpen(&bytes, WriteToString, &error);
    if (out == nullptr)
        throw EInvalidGraphic("GIF");
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
        CopyFrame(FGif->SavedImages[i], out);
    // EGifSpew closes (and frees) the output when it succeeds.
    if (EGifSpew(out) != GIF_OK) {
        EGifCloseFile(out, &error);
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
