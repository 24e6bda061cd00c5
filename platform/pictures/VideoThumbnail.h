#pragma once
// A picture of a video's first frame, as the desktop's video thumbnailer grabs it.

#include <memory>
#include <string>

class TBitmap;

// The first frame scaled to width x height pixels (the aspect ratio is not kept), in 32
// bits and opaque; null when the file cannot be decoded or no thumbnailer is built in.
std::unique_ptr<TBitmap> GrabVideoFirstFrame(const std::string& fileName, int width, int height);
