#include "platform/pictures/VideoThumbnail.h"

#include "platform/pictures/VclPicture.h"

// Built where the video thumbnailer library is missing: no video gives a frame.
std::unique_ptr<TBitmap> GrabVideoFirstFrame(const std::string&, int, int) {
    return nullptr;
}
