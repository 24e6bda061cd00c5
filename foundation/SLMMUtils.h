#pragma once
// Video files: which names are videos, and a picture of a video's first frame.

#include "platform/pictures/VclPicture.h"

#include <memory>
#include <string>

class TSLMMfn {
public:
    TSLMMfn() = delete;

    // True when the name ends, ignoring case, in .AVI, .ASF, .WMV, .MPG, .SWF, .FLC, .FLI
    // or .MPEG.
    static bool IsVideoFile(const std::string& fileName);
    // The first frame scaled to width x height pixels; null unless the file exists, has a
    // video extension and gives a frame.
    static std::unique_ptr<TBitmap> GetVideoThumbnail(const std::string& fileName, int width,
                                                      int height);
};
