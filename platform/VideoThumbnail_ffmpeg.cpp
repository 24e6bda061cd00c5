#include "platform/VideoThumbnail.h"

#include "platform/VclPicture.h"
#include "platform/VclPictureQt.h"

#include <libffmpegthumbnailer/videothumbnailerc.h>
#ifdef TARSEL_HAVE_AVUTIL
extern "C" {
#include <libavutil/log.h>
}
#endif

#include <memory>

namespace {
// Some decoders need a second try before the first frame comes out.
constexpr int kGrabAttempts = 4;
constexpr char kFirstFrameTime[] = "00:00:00";
constexpr int kRgbBytesPerPixel = 3;

struct TThumbnailerDeleter {
    void operator()(video_thumbnailer* thumbnailer) const {
        video_thumbnailer_destroy(thumbnailer);
    }
};
struct TImageDataDeleter {
    void operator()(image_data* data) const { video_thumbnailer_destroy_image_data(data); }
};
} // namespace

namespace {
// A file that is no video, or a damaged one, is an ordinary case here (it shows its
// icon instead): ffmpeg must not tell the program's standard error about it.
void QuietenDecoders() {
#ifdef TARSEL_HAVE_AVUTIL
    av_log_set_level(AV_LOG_QUIET);
#endif
}

void IgnoreThumbnailerLog(ThumbnailerLogLevel, const char*) {}
} // namespace

std::unique_ptr<TBitmap> GrabVideoFirstFrame(const std::string& fileName, int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    QuietenDecoders();
    std::unique_ptr<video_thumbnailer, TThumbnailerDeleter> thumbnailer(video_thumbnailer_create());
    if (!thumbnailer)
        return nullptr;
    std::unique_ptr<image_data, TImageDataDeleter> data(video_thumbnailer_create_image_data());
    if (!data)
        return nullptr;
    video_thumbnailer_set_log_callback(thumbnailer.get(), IgnoreThumbnailerLog);
    thumbnailer->seek_percentage = 0;
    thumbnailer->seek_time = const_cast<char*>(kFirstFrameTime);
    thumbnailer->overlay_film_strip = 0;
    thumbnailer->maintain_aspect_ratio = 0;
    thumbnailer->thumbnail_image_type = Rgb;
    video_thumbnailer_set_size(thumbnailer.get(), width, height);

    bool grabbed = false;
    for (int attempt = 0; attempt < kGrabAttempts && !grabbed; ++attempt)
        grabbed = video_thumbnailer_generate_thumbnail_to_buffer(thumbnailer.get(),
                                                                 fileName.c_str(), data.get()) == 0;
    // The thumbnailer must not free our constant seek time.
    thumbnailer->seek_time = nullptr;
    if (!grabbed || data->image_data_ptr == nullptr || data->image_data_width <= 0 ||
        data->image_data_height <= 0 ||
        data->image_data_size <
            data->image_data_width * data->image_data_height * kRgbBytesPerPixel)
        return nullptr;

    const QImage frame(data->image_data_ptr, data->image_data_width, data->image_data_height,
                       data->image_data_width * kRgbBytesPerPixel, QImage::Format_RGB888);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Native().Image =
        frame.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32);
    return bitmap;
}
