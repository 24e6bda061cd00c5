#include "platform/MetafileDecoder.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <cstdint>

namespace {
constexpr unsigned kDotsPerInch = 96;
// A decoded picture larger than this on a side is refused (a damaged header).
constexpr unsigned kMaxSide = 16384;
// libwmf's pixels: 7-bit alpha where 0 is opaque and 127 transparent, then red, green, blue.
constexpr std::uint32_t kGdAlphaMax = 127;
constexpr int kGdAlphaShift = 24;

struct TWmfSession {
    wmfAPI* API = nullptr;
    bool Open = false;
    ~TWmfSession() {
        if (Open)
            wmf_mem_close(API);
        if (API != nullptr)
            wmf_api_destroy(API);
    }
};

std::uint32_t ArgbOf(int gdPixel) {
    const auto bits = static_cast<std::uint32_t>(gdPixel);
    const std::uint32_t gdAlpha = (bits >> kGdAlphaShift) & 0x7F;
    const std::uint32_t alpha = (kGdAlphaMax - gdAlpha) * 255 / kGdAlphaMax;
    return (alpha << kGdAlphaShift) | (bits & 0x00FFFFFF);
}
} // namespace

QImage DecodeWindowsMetafile(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QImage();
    TWmfSession session;
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    if (wmf_api_create(&session.API,
                       WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR |
                           WMF_OPT_NO_DEBUG,
                       &options) != wmf_E_None)
        return QImage();
    // libwmf reads but does not change the bytes.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.constData()));
    if (wmf_mem_open(session.API, data, static_cast<long>(bytes.size())) != wmf_E_None)
        return QImage();
    session.Open = true;
    wmfD_Rect bounds{};
    if (wmf_scan(session.API, 0, &bounds) != wmf_E_None)
        return QImage();
    unsigned width = 0;
    unsigned height = 0;
    if (wmf_display_size(session.API, &width, &height, kDotsPerInch, kDotsPerInch) != wmf_E_None ||
        width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return QImage();
    wmf_gd_t* device = WMF_GD_GetData(session.API);
    device->type = wmf_gd_image;
    device->bbox = bounds;
    device->width = width;
    device->height = height;
    if (wmf_play(session.API, 0, &bounds) != wmf_E_None || device->gd_image == nullptr)
        return QImage();
    const int* pixels = wmf_gd_image_pixels(device->gd_image);
    if (pixels == nullptr)
        return QImage();
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    for (unsigned y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(int(y)));
        for (unsigned x = 0; x < width; ++x)
            row[x] = ArgbOf(pixels[std::size_t(y) * width + x]);
    }
    return image;
}
