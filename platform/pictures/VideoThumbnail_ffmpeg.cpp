#include "platform/pictures/VideoThumbnail.h"

#include "platform/pictures/VclPicture.h"
#include "platform/pictures/VclPictureQt.h"
#include "platform/system/SharedLibrary.h"

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

// The thumbnailer brings in the whole of ffmpeg, some two hundred libraries that would
// cost every start of the program tens of milliseconds and tens of megabytes. It is
// opened at the first video instead, and stays open.
class TThumbnailerLibrary {
    TSharedLibrary FLibrary; // first: the functions below are looked up in it

public:
    TThumbnailerLibrary() : FLibrary(TARSEL_FFMPEGTHUMBNAILER_LIBRARY) {}

    bool IsComplete() const {
        return Create && Destroy && CreateImageData && DestroyImageData && SetLogCallback &&
               SetSize && GenerateToBuffer;
    }

    // A file that is no video, or a damaged one, is an ordinary case here (it shows its
    // icon instead): ffmpeg must not tell the program's standard error about it.
    void QuietenDecoders() const {
#ifdef TARSEL_HAVE_AVUTIL
        if (SetFfmpegLogLevel)
            SetFfmpegLogLevel(AV_LOG_QUIET);
#endif
    }

    decltype(video_thumbnailer_create)* const Create =
        FLibrary.Function<decltype(video_thumbnailer_create)>("video_thumbnailer_create");
    decltype(video_thumbnailer_destroy)* const Destroy =
        FLibrary.Function<decltype(video_thumbnailer_destroy)>("video_thumbnailer_destroy");
    decltype(video_thumbnailer_create_image_data)* const CreateImageData =
        FLibrary.Function<decltype(video_thumbnailer_create_image_data)>(
            "video_thumbnailer_create_image_data");
    decltype(video_thumbnailer_destroy_image_data)* const DestroyImageData =
        FLibrary.Function<decltype(video_thumbnailer_destroy_image_data)>(
            "video_thumbnailer_destroy_image_data");
    decltype(video_thumbnailer_set_log_callback)* const SetLogCallback =
        FLibrary.Function<decltype(video_thumbnailer_set_log_callback)>(
            "video_thumbnailer_set_log_callback");
    decltype(video_thumbnailer_set_size)* const SetSize =
        FLibrary.Function<decltype(video_thumbnailer_set_size)>("video_thumbnailer_set_size");
    decltype(video_thumbnailer_generate_thumbnail_to_buffer)* const GenerateToBuffer =
        FLibrary.Function<decltype(video_thumbnailer_generate_thumbnail_to_buffer)>(
            "video_thumbnailer_generate_thumbnail_to_buffer");
#ifdef TARSEL_HAVE_AVUTIL
    // ffmpeg's own, found among the libraries the thumbnailer brought in.
    decltype(av_log_set_level)* const SetFfmpegLogLevel =
        FLibrary.Function<decltype(av_log_set_level)>("av_log_set_level");
#endif
};

// Null when the library or one of its functions is missing: then no video has a
// thumbnail, as in a build without the thumbnailer.
const TThumbnailerLibrary* ThumbnailerLibrary() {
    static const TThumbnailerLibrary library;
    return library.IsComplete() ? &library : nullptr;
}

void IgnoreThumbnailerLog(ThumbnailerLogLevel, const char*) {}
} // namespace

std::unique_ptr<TBitmap> GrabVideoFirstFrame(const std::string& fileName, int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    const TThumbnailerLibrary* library = ThumbnailerLibrary();
    if (library == nullptr)
        return nullptr;
    library->QuietenDecoders();
    const auto destroyThumbnailer = [library](video_thumbnailer* thumbnailer) {
        library->Destroy(thumbnailer);
    };
    const auto destroyImageData = [library](image_data* data) { library->DestroyImageData(data); };
    std::unique_ptr<video_thumbnailer, decltype(destroyThumbnailer)> thumbnailer(
        library->Create(), destroyThumbnailer);
    if (!thumbnailer)
        return nullptr;
    std::unique_ptr<image_data, decltype(destroyImageData)> data(library->CreateImageData(),
                                                                 destroyImageData);
    if (!data)
        return nullptr;
    library->SetLogCallback(thumbnailer.get(), IgnoreThumbnailerLog);
    thumbnailer->seek_percentage = 0;
    thumbnailer->seek_time = const_cast<char*>(kFirstFrameTime);
    thumbnailer->overlay_film_strip = 0;
    thumbnailer->maintain_aspect_ratio = 0;
    thumbnailer->thumbnail_image_type = Rgb;
    library->SetSize(thumbnailer.get(), width, height);

    bool grabbed = false;
    for (int attempt = 0; attempt < kGrabAttempts && !grabbed; ++attempt)
        grabbed = library->GenerateToBuffer(thumbnailer.get(), fileName.c_str(), data.get()) == 0;
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
