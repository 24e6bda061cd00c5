#pragma once
// Picture files written byte by byte for the tests and benchmarks: a small metafile that
// libwmf plays, and files whose headers claim far more than the files hold, as a damaged
// or hostile file would.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A placeable Windows metafile of 80 x 40 units: a red rectangle over its whole area,
// drawn without an outline. The placeable header's bounding box (right, bottom) and units
// per inch can be made to claim another size; by default it is 80 x 40 at 96 per inch.
std::string RedRectangleWmf(int right = 80, int bottom = 40, int unitsPerInch = 96);
// The same metafile with a header whose largest record is largestRecordWords words long.
std::string WmfClaimingLargestRecord(std::uint32_t largestRecordWords);
// The same drawing with the rectangle drawn rectangles times, each outlined by a solid black
// pen penWidth units wide (no outline when 0). The renderer's work grows with the pen's
// width in pixels squared and with every rectangle: a header claiming a large picture makes
// each unit many pixels.
std::string RectanglesWmf(int rectangles, int penWidth, int right, int bottom, int unitsPerInch);
// An ordinary drawing of 400 x 200 units at 96 per inch, each kind of record once, all
// outlined 3 units wide in black: a white sheet, a circle at (20, 20)-(120, 120) (which
// libwmf does not fill), a blue triangle with its corners at (150, 180), (250, 180) and
// (200, 80), a line, a polyline, an arc, a blue pie cut from (20, 130)-(120, 190) and the
// text "Tarsel".
std::string DrawingWmf();

// A GIF whose logical screen and frames (width, height) claim the given sizes, each frame
// followed by the picture data of one pixel: sound for a frame of 1 x 1, cut short for
// any larger one.
std::string GifClaiming(int screenWidth, int screenHeight, std::vector<std::pair<int, int>> frames);

// The PNG signature, a header claiming width x height RGB pixels and the start of a
// picture data chunk that the file then cuts short.
std::string TruncatedPngClaiming(std::uint32_t width, std::uint32_t height);

// A Windows bitmap file header claiming width x height 24-bit pixels, and no pixels.
std::string BmpClaiming(int width, int height);

// Sound pictures of one pixel: a transparent GIF and a red PNG.
std::string SmallGif();
std::string SmallPng();
