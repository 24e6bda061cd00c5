#include "platform/graphics/MetafileRenderBudget_wmf.h"

#include <libwmf/defs.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {
namespace {

// The prices are upper bounds of what libwmf's gd renderer does, in pixels touched:
//  - a stroke stamps its pen (at least one pixel) at every pixel step along the line;
//  - a fill touches the part of its shape's bounding box on the picture, and a polygon's
//    fill also walks all its edges on every row;
//  - a flood fill may reach the whole picture;
//  - text renders each character's glyph whole (unclipped) at the font's pixel size.
// Curves are priced as the outline of their bounding box, which is longer.

// The pixels of a picture side of size pixels that the device interval from..to covers, the
// pixels it touches at either end included. origin is the device coordinate of pixel 0.
double VisibleSpan(double from, double to, double origin, double scale, double size) {
    const double a = (from - origin) * scale;
    const double b = (to - origin) * scale;
    const double low = std::clamp(std::floor(std::min(a, b)), 0.0, size);
    const double high = std::clamp(std::ceil(std::max(a, b)) + 1, 0.0, size);
    return high - low;
}

// The budget of a play, which the stand-ins find beside the player's own data.
TMetafileRenderBudget& BudgetOf(wmfAPI* api) {
    return *static_cast<TMetafileRenderBudget*>(api->user_data);
}

double PenArea(const TMetafileRenderBudget& budget, const wmfDC* dc) {
    if ((dc->pen->lopnStyle & PS_STYLE_MASK) == PS_NULL)
        return 0;
    return std::max(1.0, budget.PixelsX(dc->pen->width)) *
           std::max(1.0, budget.PixelsY(dc->pen->height));
}

double Steps(const TMetafileRenderBudget& budget, const wmfD_Coord& from, const wmfD_Coord& to) {
    return std::max(budget.PixelsX(to.x - from.x), budget.PixelsY(to.y - from.y)) + 1;
}

double OutlineSteps(const TMetafileRenderBudget& budget, const wmfD_Coord* points, unsigned count,
                    bool closed) {
    double steps = 0;
    for (unsigned i = 1; i < count; ++i)
        steps += Steps(budget, points[i - 1], points[i]);
    if (closed && count > 1)
        steps += Steps(budget, points[count - 1], points[0]);
    return steps;
}

double BoxOutlineSteps(const TMetafileRenderBudget& budget, const wmfD_Coord& a,
                       const wmfD_Coord& b) {
    return 2 * (budget.PixelsX(b.x - a.x) + budget.PixelsY(b.y - a.y)) + 4;
}

// The bounding box of points, grown from low..high.
void GrowBounds(wmfD_Coord& low, wmfD_Coord& high, const wmfD_Coord* points, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        low = {std::min(low.x, points[i].x), std::min(low.y, points[i].y)};
        high = {std::max(high.x, points[i].x), std::max(high.y, points[i].y)};
    }
}

bool Fills(const wmfDC* dc) {
    return dc->brush->lbStyle != BS_NULL;
}

// Filling polygons of edges points in all: every row they cross walks all their edges.
double PolygonFill(const TMetafileRenderBudget& budget, const wmfDC* dc, const wmfD_Coord& low,
                   const wmfD_Coord& high, unsigned edges) {
    if (!Fills(dc))
        return 0;
    return budget.VisibleArea(low, high) + budget.VisibleRows(low.y, high.y) * edges;
}

double ShapeCost(const TMetafileRenderBudget& budget, const wmfDC* dc, const wmfD_Coord& a,
                 const wmfD_Coord& b) {
    return BoxOutlineSteps(budget, a, b) * PenArea(budget, dc) +
           (Fills(dc) ? budget.VisibleArea(a, b) : 0);
}

double FloodPrice(const TMetafileRenderBudget& budget, wmfFlood_t*) {
    return budget.PictureArea();
}

double PixelPrice(const TMetafileRenderBudget&, wmfDrawPixel_t*) {
    return 1;
}

double ArcPrice(const TMetafileRenderBudget& budget, wmfDrawArc_t* arc) {
    // A pie or chord adds its two radii or its chord, each shorter than the box's outline.
    return 2 * ShapeCost(budget, arc->dc, arc->TL, arc->BR);
}

double LinePrice(const TMetafileRenderBudget& budget, wmfDrawLine_t* line) {
    return Steps(budget, line->from, line->to) * PenArea(budget, line->dc);
}

double PolyLinePrice(const TMetafileRenderBudget& budget, wmfPolyLine_t* line) {
    return OutlineSteps(budget, line->pt, line->count, false) * PenArea(budget, line->dc);
}

double PolygonPrice(const TMetafileRenderBudget& budget, wmfPolyLine_t* polygon) {
    if (polygon->count == 0)
        return 0;
    wmfD_Coord low = polygon->pt[0];
    wmfD_Coord high = low;
    GrowBounds(low, high, polygon->pt, polygon->count);
    return OutlineSteps(budget, polygon->pt, polygon->count, true) * PenArea(budget, polygon->dc) +
           PolygonFill(budget, polygon->dc, low, high, polygon->count);
}

double PolyPolygonPrice(const TMetafileRenderBudget& budget, wmfPolyPoly_t* polygons) {
    double outlines = 0;
    unsigned edges = 0;
    wmfD_Coord low{}, high{};
    for (unsigned i = 0; i < polygons->npoly; ++i) {
        const wmfD_Coord* points = polygons->pt[i];
        const unsigned count = polygons->count[i];
        if (count == 0)
            continue;
        if (edges == 0)
            low = high = points[0];
        GrowBounds(low, high, points, count);
        outlines += OutlineSteps(budget, points, count, true);
        edges += count;
    }
    // The polygons are filled together.
    return outlines * PenArea(budget, polygons->dc) +
           PolygonFill(budget, polygons->dc, low, high, edges);
}

double RectanglePrice(const TMetafileRenderBudget& budget, wmfDrawRectangle_t* rectangle) {
    return ShapeCost(budget, rectangle->dc, rectangle->TL, rectangle->BR);
}

double RopPrice(const TMetafileRenderBudget& budget, wmfROP_Draw_t* rop) {
    return budget.VisibleArea(rop->TL, rop->BR);
}

double BitmapPrice(const TMetafileRenderBudget& budget, wmfBMP_Draw_t* draw) {
    // The bitmap's pixels are pixel_width x pixel_height device units each on the picture.
    const wmfD_Coord far{
        float(draw->pt.x + draw->pixel_width * draw->crop.w),
        float(draw->pt.y + draw->pixel_height * draw->crop.h),
    };
    return budget.VisibleArea(draw->pt, far) + double(draw->crop.w) * draw->crop.h;
}

double TextPrice(const TMetafileRenderBudget& budget, wmfDrawText_t* text) {
    const double glyphHeight = std::max(1.0, budget.PixelsY(text->font_height));
    const double glyphWidth =
        std::max(1.0, budget.PixelsX(text->font_height * std::max(1.0, text->font_ratio)));
    const double characters = text->str != nullptr ? double(std::strlen(text->str)) : 0;
    return characters * glyphHeight * glyphWidth;
}

double RegionPrice(const TMetafileRenderBudget& budget, wmfPolyRectangle_t* region) {
    double price = 0;
    for (unsigned i = 0; i < region->count; ++i) {
        const wmfD_Coord& a = region->TL[i];
        const wmfD_Coord& b = region->BR[i];
        // A frame strokes each rectangle's outline with a brush of width x height units.
        const double frame = std::max(1.0, budget.PixelsX(region->width)) *
                             std::max(1.0, budget.PixelsY(region->height));
        price += budget.VisibleArea(a, b) + BoxOutlineSteps(budget, a, b) * frame;
    }
    return price;
}

// Stands in for one of the renderer's calls: prices it and hands it on while the budget lasts.
template <typename Info, void (*wmfFunctionReference::*Call)(wmfAPI*, Info*),
          double (*Price)(const TMetafileRenderBudget&, Info*)>
void Priced(wmfAPI* api, Info* info) {
    TMetafileRenderBudget& budget = BudgetOf(api);
    const auto render = budget.Renderer().*Call;
    if (budget.Spend(api, Price(budget, info)) && render != nullptr)
        render(api, info);
}

// libwmf's text drawing reads through a null glyph bitmap for a font stretched far wider
// than it is high (a damaged font record: 23553 units wide for 20 high, or 30 times wider
// than high already), so such a text is left out and the rest of the metafile plays on. Real
// fonts, condensed or expanded, stay within a few times their height.
constexpr double kMostFontStretch = 16;

void DrawTextOfSoundFont(wmfAPI* api, wmfDrawText_t* text) {
    if (!(text->font_ratio <= kMostFontStretch))
        return;
    Priced<wmfDrawText_t, &wmfFunctionReference::draw_text, TextPrice>(api, text);
}

} // namespace

TMetafileRenderBudget::TMetafileRenderBudget(wmfAPI* api, const wmfD_Rect& bounds, unsigned width,
                                             unsigned height)
    : FOrigin(bounds.TL), FWidth(width), FHeight(height) {
    // A drawing without extent maps onto the picture with an endless scale: then nothing
    // that has extent can be afforded.
    FScaleX = FWidth / double(bounds.BR.x - bounds.TL.x);
    FScaleY = FHeight / double(bounds.BR.y - bounds.TL.y);
    FLeft -= kPicturePixelWork * PictureArea();
    FExceeded = FLeft <= 0; // a picture that leaves nothing for its drawing would stay blank
    auto* calls = static_cast<wmfFunctionReference*>(api->function_reference);
    FRenderer = *calls;
    api->user_data = this;
    calls->flood_interior = Priced<wmfFlood_t, &wmfFunctionReference::flood_interior, FloodPrice>;
    calls->flood_exterior = Priced<wmfFlood_t, &wmfFunctionReference::flood_exterior, FloodPrice>;
    calls->draw_pixel = Priced<wmfDrawPixel_t, &wmfFunctionReference::draw_pixel, PixelPrice>;
    calls->draw_pie = Priced<wmfDrawArc_t, &wmfFunctionReference::draw_pie, ArcPrice>;
    calls->draw_chord = Priced<wmfDrawArc_t, &wmfFunctionReference::draw_chord, ArcPrice>;
    calls->draw_arc = Priced<wmfDrawArc_t, &wmfFunctionReference::draw_arc, ArcPrice>;
    calls->draw_ellipse = Priced<wmfDrawArc_t, &wmfFunctionReference::draw_ellipse, ArcPrice>;
    calls->draw_line = Priced<wmfDrawLine_t, &wmfFunctionReference::draw_line, LinePrice>;
    calls->poly_line = Priced<wmfPolyLine_t, &wmfFunctionReference::poly_line, PolyLinePrice>;
    calls->draw_polygon = Priced<wmfPolyLine_t, &wmfFunctionReference::draw_polygon, PolygonPrice>;
    calls->draw_polypolygon =
        Priced<wmfPolyPoly_t, &wmfFunctionReference::draw_polypolygon, PolyPolygonPrice>;
    calls->draw_rectangle =
        Priced<wmfDrawRectangle_t, &wmfFunctionReference::draw_rectangle, RectanglePrice>;
    calls->rop_draw = Priced<wmfROP_Draw_t, &wmfFunctionReference::rop_draw, RopPrice>;
    calls->bmp_draw = Priced<wmfBMP_Draw_t, &wmfFunctionReference::bmp_draw, BitmapPrice>;
    calls->draw_text = DrawTextOfSoundFont;
    calls->region_frame =
        Priced<wmfPolyRectangle_t, &wmfFunctionReference::region_frame, RegionPrice>;
    calls->region_paint =
        Priced<wmfPolyRectangle_t, &wmfFunctionReference::region_paint, RegionPrice>;
}

bool TMetafileRenderBudget::Spend(wmfAPI* api, double work) {
    // Written so that a price that is not a number (an endless scale times zero) fails too.
    if (!FExceeded && work <= FLeft) {
        FLeft -= work;
        return true;
    }
    FExceeded = true;
    api->err = wmf_E_UserExit;
    return false;
}

double TMetafileRenderBudget::PixelsX(double deviceUnits) const {
    return std::fabs(deviceUnits) * FScaleX;
}

double TMetafileRenderBudget::PixelsY(double deviceUnits) const {
    return std::fabs(deviceUnits) * FScaleY;
}

double TMetafileRenderBudget::VisibleArea(const wmfD_Coord& a, const wmfD_Coord& b) const {
    return VisibleSpan(a.x, b.x, FOrigin.x, FScaleX, FWidth) * VisibleRows(a.y, b.y);
}

double TMetafileRenderBudget::VisibleRows(double y0, double y1) const {
    return VisibleSpan(y0, y1, FOrigin.y, FScaleY, FHeight);
}

} // namespace platform
