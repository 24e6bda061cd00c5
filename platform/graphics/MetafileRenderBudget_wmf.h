#pragma once
// Inside the platform layer only: bounds the work libwmf's renderer does for one metafile.
//
// A metafile of a few hundred bytes can keep the renderer busy for minutes: a rectangle
// outlined with a pen that the picture's scale makes hundreds of pixels wide is stroked by
// stamping the whole pen at every pixel of its outline, and each record may do so. The
// time goes into a single drawing call, so it is judged before the call: every call the
// player makes into the renderer is first priced in the pixels it will touch, and once the
// metafile's total passes kMaxRenderedPixelWork the call and all after it are dropped and
// the play stops with an error, so the metafile decodes as nothing.
//
// The picture's own pixels cost time before and after any drawing: the renderer creates and
// clears them, encodes them as PNG, and the PNG is decoded again. That work is taken from the
// same budget when the budget is set up, so a picture too large to afford is refused before
// the play, and a large one leaves less room for drawing.

#include <libwmf/api.h>
#include <libwmf/ipa.h>

namespace platform {

// Pixels the renderer may touch for one metafile, a stroke's pen counted whole at every
// step. About a second of rendering: a typical drawing touches each pixel of its picture a
// few times, a 4096 x 4096 picture could be filled over and over eight times.
inline constexpr double kMaxRenderedPixelWork = 128.0 * 1024 * 1024;
// What each pixel of the picture itself costs, in pixels touched: created and cleared, then
// handed over, encoded as PNG and decoded again, which takes about twelve times as long as
// touching it once (3 s for a picture of 34 Mi pixels). So a picture of up to about 9 Mi
// pixels (4096 x 2304) can still be filled whole, and one of 34 Mi pixels (16384 x 2100,
// about as large as the picture limits allow) is refused before it is made.
inline constexpr double kPicturePixelWork = 12.0;

class TMetafileRenderBudget {
public:
    // Puts the budget between the player of api (whose device is already set up) and its
    // renderer, which maps the device rectangle bounds onto width x height pixels. The
    // budget must outlive the play.
    TMetafileRenderBudget(wmfAPI* api, const wmfD_Rect& bounds, unsigned width, unsigned height);
    TMetafileRenderBudget(const TMetafileRenderBudget&) = delete;
    TMetafileRenderBudget& operator=(const TMetafileRenderBudget&) = delete;

    // Whether the picture could not be afforded or a drawing call was refused: the picture
    // is then incomplete.
    bool Exceeded() const { return FExceeded; }

    // Used by the calls that stand in for the renderer's own.
    const wmfFunctionReference& Renderer() const { return FRenderer; }
    // Takes work pixels from what is left; false (and the play stopped) when they do not fit.
    bool Spend(wmfAPI* api, double work);
    double PixelsX(double deviceUnits) const;
    double PixelsY(double deviceUnits) const;
    // The part of the device rectangle from a to b that lies on the picture, in pixels.
    double VisibleArea(const wmfD_Coord& a, const wmfD_Coord& b) const;
    // The rows of the picture that the device interval from y0 to y1 covers.
    double VisibleRows(double y0, double y1) const;
    double PictureArea() const { return FWidth * FHeight; }

private:
    wmfFunctionReference FRenderer{};
    wmfD_Coord FOrigin{};
    double FScaleX = 0; // pixels per device unit
    double FScaleY = 0;
    double FWidth = 0; // pixels
    double FHeight = 0;
    double FLeft = kMaxRenderedPixelWork;
    bool FExceeded = false;
};

} // namespace platform
