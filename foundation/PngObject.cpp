#include "foundation/PngObject.h"

#include "foundation/Exceptions.h"
#include "platform/graphics/PictureLimits.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>

namespace {
constexpr int kPngSignatureSize = 8;
constexpr int kRgbaChannels = 4;
constexpr std::uint8_t kOpaque = 255;
constexpr std::uint8_t kTransparent = 0;

struct TReadSource {
    const std::string* Bytes = nullptr;
    std::size_t Position = 0;
};

void ReadFromMemory(png_structp png, png_bytep data, png_size_t length) {
    auto* source = static_cast<TReadSource*>(png_get_io_ptr(png));
    if (source->Bytes->size() - source->Position < length)
        png_error(png, "unexpected end of data");
    std::memcpy(data, source->Bytes->data() + source->Position, length);
    source->Position += length;
}

// No exception may unwind through libpng: running out of memory becomes a libpng error,
// raised once the exception is over.
void WriteToString(png_structp png, png_bytep data, png_size_t length) {
    bool appended = true;
    try {
        static_cast<std::string*>(png_get_io_ptr(png))
            ->append(reinterpret_cast<const char*>(data), length);
    } catch (...) {
        appended = false;
    }
    if (!appended)
        png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

// libpng reports through longjmp; the caller turns a failure into an exception, so neither
// errors nor warnings are printed.
[[noreturn]] void QuietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

std::uint8_t ScaledSample(unsigned value, int bitDepth) {
    if (bitDepth == 16)
        return std::uint8_t(value >> 8);
    if (bitDepth == 8)
        return std::uint8_t(value);
    return std::uint8_t(value * 255 / ((1u << bitDepth) - 1));
}

TColor WindowColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TColor(red | (green << 8) | (blue << 16));
}

// What a decoded file says about its transparency, read before the rows are expanded.
struct TTransparencyInfo {
    TPNGTransparencyMode Mode = TPNGTransparencyMode::ptmNone;
    TColor Color = 0;
};

TTransparencyInfo ReadTransparency(png_structp png, png_infop info) {
    TTransparencyInfo result;
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colorType & PNG_COLOR_MASK_ALPHA) {
        result.Mode = TPNGTransparencyMode::ptmPartial;
        return result;
    }
    if (!png_get_valid(png, info, PNG_INFO_tRNS))
        return result;
    png_bytep alphas = nullptr;
    int count = 0;
    png_color_16p color = nullptr;
    png_get_tRNS(png, info, &alphas, &count, &color);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int paletteSize = 0;
        png_get_PLTE(png, info, &palette, &paletteSize);
        int transparentIndex = -1;
        int transparentCount = 0;
        bool partial = false;
        for (int i = 0; i < count && i < paletteSize; ++i) {
            if (alphas[i] == kTransparent) {
                transparentIndex = i;
                ++transparentCount;
            } else if (alphas[i] != kOpaque) {
                partial = true;
            }
        }
        if (partial || transparentCount > 1) {
            result.Mode = TPNGTransparencyMode::ptmPartial;
        } else if (transparentCount == 1) {
            result.Mode = TPNGTransparencyMode::ptmBit;
            const png_color& c = palette[transparentIndex];
            result.Color = WindowColor(c.red, c.green, c.blue);
        }
        return result;
    }
    result.Mode = TPNGTransparencyMode::ptmBit;
    if (colorType == PNG_COLOR_TYPE_GRAY) {
        const std::uint8_t grey = ScaledSample(color->gray, bitDepth);
        result.Color = WindowColor(grey, grey, grey);
    } else {
        result.Color =
            WindowColor(ScaledSample(color->red, bitDepth), ScaledSample(color->green, bitDepth),
                        ScaledSample(color->blue, bitDepth));
    }
    return result;
}

// The libpng state of one decoding. It lives outside the function that calls setjmp, so
// that a libpng error (a longjmp back into that function) skips no destructor, and it
// frees libpng's structures on every way out, an exception of ours included.
struct TPngReadState {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    std::vector<png_bytep> Rows;
    TReadSource Source;

    ~TPngReadState() {
        if (Png != nullptr)
            png_destroy_read_struct(&Png, Info != nullptr ? &Info : nullptr, nullptr);
    }
};

// Decodes into 8-bit RGBA rows. False when libpng gives up or the picture is larger than
// a picture may be (checked from the header, before the pixels are allocated).
bool DecodePng(TPngReadState& state, int& width, int& height, std::vector<std::uint8_t>& rgba,
               TTransparencyInfo& transparency) {
    const std::string& bytes = *state.Source.Bytes;
    if (bytes.size() < kPngSignatureSize ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, kPngSignatureSize) != 0)
        return false;
    state.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, IgnoreWarning);
    if (state.Png == nullptr)
        return false;
    state.Info = png_create_info_struct(state.Png);
    if (state.Info == nullptr || setjmp(png_jmpbuf(state.Png)))
        return false;
    png_structp png = state.Png;
    png_infop info = state.Info;
    png_set_read_fn(png, &state.Source, ReadFromMemory);
    png_set_user_limits(png, png_uint_32(platform::kMaxPictureSide),
                        png_uint_32(platform::kMaxPictureSide));
    png_read_info(png, info);
    if (!platform::PictureSizeAllowed(png_get_image_width(png, info),
                                      png_get_image_height(png, info)))
        return false;
    transparency = ReadTransparency(png, info);
    // Every colour type becomes 8-bit RGBA: palettes and low bit depths expanded, tRNS as
    // alpha, 16 bits cut to 8, grey spread to three channels, a filler where alpha is none.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, kOpaque, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    rgba.assign(std::size_t(width) * height * kRgbaChannels, 0);
    state.Rows.resize(std::size_t(height));
    for (int y = 0; y < height; ++y)
        state.Rows[std::size_t(y)] = rgba.data() + std::size_t(y) * width * kRgbaChannels;
    png_read_image(png, state.Rows.data());
    png_read_end(png, nullptr);
    return true;
}

bool EncodePng(const std::vector<std::uint8_t>& pixels, int width, int height, bool withAlpha,
               const png_color_16* transparentColor, int compressionLevel, std::string& out) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, IgnoreWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    const int channels = withAlpha ? 4 : 3;
    std::vector<png_bytep> rows(static_cast<std::size_t>(height), nullptr);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &out, WriteToString, FlushNothing);
    png_set_compression_level(png, compressionLevel);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (transparentColor != nullptr)
        png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16p>(transparentColor));
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        rows[std::size_t(y)] =
            const_cast<png_bytep>(pixels.data() + std::size_t(y) * width * channels);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

void TPNGObject::LoadFromFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw EInvalidGraphic(fileName);
    LoadFromBytes(std::string(std::istreambuf_iterator<char>(file), {}), fileName);
}

void TPNGObject::LoadFromBytes(const std::string& bytes, const std::string& name) {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    TTransparencyInfo transparency;
    bool decoded = false;
    {
        TPngReadState state;
        state.Source.Bytes = &bytes;
        decoded = DecodePng(state, width, height, rgba, transparency);
    }
    if (!decoded)
        throw EInvalidGraphic(name);
    FWidth = width;
    FHeight = height;
    FMode = transparency.Mode;
    FTransparentColor = transparency.Color;
    const std::size_t count = std::size_t(width) * height;
    FRgb.resize(count);
    FAlpha.clear();
    if (FMode == TPNGTransparencyMode::ptmPartial)
        FAlpha.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = rgba.data() + i * kRgbaChannels;
        FRgb[i] = (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
        if (!FAlpha.empty())
            FAlpha[i] = p[3];
    }
}

void TPNGObject::SaveToStream(std::ostream& stream) const {
    const bool withAlpha = FMode == TPNGTransparencyMode::ptmPartial;
    const int channels = withAlpha ? 4 : 3;
    std::vector<std::uint8_t> pixels(std::size_t(FWidth) * FHeight * channels);
    for (std::size_t i = 0; i < FRgb.size(); ++i) {
        std::uint8_t* p = pixels.data() + i * channels;
        p[0] = std::uint8_t(FRgb[i] >> 16);
        p[1] = std::uint8_t(FRgb[i] >> 8);
        p[2] = std::uint8_t(FRgb[i]);
        if (withAlpha)
            p[3] = FAlpha[i];
    }
    png_color_16 key{};
    key.red = png_uint_16(FTransparentColor & 0xFF);
    key.green = png_uint_16((FTransparentColor >> 8) & 0xFF);
    key.blue = png_uint_16((FTransparentColor >> 16) & 0xFF);
    std::string out;
    if (!EncodePng(pixels, FWidth, FHeight, withAlpha,
                   FMode == TPNGTransparencyMode::ptmBit ? &key : nullptr, CompressionLevel, out))
        throw EInvalidGraphic("PNG");
    stream.write(out.data(), static_cast<std::streamsize>(out.size()));
}

void TPNGObject::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<std::uint32_t> rgb(std::size_t(width) * height, 0);
    std::vector<std::uint8_t> alpha;
    if (!FAlpha.empty())
        alpha.assign(rgb.size(), kOpaque);
    for (int y = 0; y < std::min(height, FHeight); ++y)
        for (int x = 0; x < std::min(width, FWidth); ++x) {
            rgb[std::size_t(y) * width + x] = FRgb[std::size_t(y) * FWidth + x];
            if (!alpha.empty())
                alpha[std::size_t(y) * width + x] = FAlpha[std::size_t(y) * FWidth + x];
        }
    FWidth = width;
    FHeight = height;
    FRgb = std::move(rgb);
    FAlpha = std::move(alpha);
}

std::uint8_t* TPNGObject::AlphaScanline(int y) {
    return FAlpha.empty() ? nullptr : FAlpha.data() + std::size_t(y) * FWidth;
}

const std::uint8_t* TPNGObject::AlphaScanline(int y) const {
    return FAlpha.empty() ? nullptr : FAlpha.data() + std::size_t(y) * FWidth;
}

void TPNGObject::CreateAlpha() {
    if (FAlpha.empty())
        FAlpha.assign(FRgb.size(), kOpaque);
    FMode = TPNGTransparencyMode::ptmPartial;
}

void TPNGObject::RemoveTransparency() {
    FAlpha.clear();
    FMode = TPNGTransparencyMode::ptmNone;
    FTransparentColor = 0;
}

std::uint32_t TPNGObject::Pixel(int x, int y) const {
    const std::size_t i = std::size_t(y) * FWidth + x;
    const std::uint32_t alpha = FAlpha.empty() ? kOpaque : FAlpha[i];
    return (alpha << 24) | FRgb[i];
}

void TPNGObject::SetPixel(int x, int y, std::uint32_t argb) {
    FRgb[std::size_t(y) * FWidth + x] = argb & 0x00FFFFFF;
}

std::unique_ptr<TGPBitmap> TPNGObject::Rendered() const {
    auto bitmap = std::make_unique<TGPBitmap>(FWidth, FHeight, PixelFormat32bppARGB);
    if (Empty())
        return bitmap;
    TGPBitmapData data;
    if (bitmap->LockBits(TGPRect{0, 0, FWidth, FHeight}, ImageLockModeWrite, PixelFormat32bppARGB,
                         data) != TGPStatus::Ok)
        return bitmap;
    for (int y = 0; y < FHeight; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(TGPBitmap::ScanLine(data, std::uint32_t(y)));
        for (int x = 0; x < FWidth; ++x)
            row[x] = Pixel(x, y);
    }
    bitmap->UnlockBits(data);
    return bitmap;
}
