#include "rulers/TriangleRuler.h"

#include "foundation/SLGDIPBrushFont.h"
#include "foundation/SLGDIPGeometry.h"
#include "foundation/SLGDIPUtils.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPPen.h"
#include "rulers/RulerConsts.h"

#include <array>

namespace {

constexpr float kDefaultWidth = 500.0f;
constexpr float kDefaultHeight = 250.0f;
constexpr int kMinWidth = 200;
constexpr int kMinHeight = 100;
constexpr float kBandWidth = 64.0f; // the painted band inside the outline

// Both handles sit in the band near the middle M of the hypotenuse: the resize handle
// 36 px from M towards the right angle, the rotate handle 32 px down the hypotenuse
// from M and then 36 px towards the right angle.
constexpr double kHandleDepth = 36.0;
constexpr double kRotateHandleShift = 32.0;

constexpr float kLabelInset = 12.0f; // numbers start this far from their leg
constexpr TGPPointF kCaptionAt{6.0f, 12.0f};

constexpr double kSnapRayLength = 2000.0; // px from the centre of the snap rays
constexpr float kSnapGap = 2.0f;          // px outside the outline

// The point at distance from `from` towards `to`, as the scale's segments compute it.
TGPPointF PointTowards(const TGPPointF& from, const TGPPointF& to, double distance) {
    TSLSegmentF segment;
    segment.SetOrigin(from);
    segment.SetDirection(to);
    return segment.PointAtDistance(distance);
}

} // namespace

TTriangleRuler::TTriangleRuler() {
    TTriangleRuler::SetSize(kDefaultWidth, kDefaultHeight);
}

const TClassInfo& TTriangleRuler::StaticClassInfo() {
    static const TClassInfo info{
        "TTriangleRuler", &TBaseRuler::StaticClassInfo(), {}, Factory<TTriangleRuler>()};
    return info;
}

void TTriangleRuler::SetSize(float AWidth, float AHeight) {
    TBaseRuler::SetSize(AWidth, AHeight);
}

TGPPoint TTriangleRuler::GetMinSize() const {
    return {kMinWidth, kMinHeight};
}

TGPPointF TTriangleRuler::GetOrigin() const {
    return {0, 0};
}

TGPPointF TTriangleRuler::GetResizeHandle() const {
    TSLSegmentF hypotenuse;
    hypotenuse.SetOrigin({Width, 0});
    hypotenuse.SetDirection({0, Height});
    return PointTowards(hypotenuse.GetMidPoint(), {0, 0}, kHandleDepth);
}

TGPPointF TTriangleRuler::GetRotateHandle() const {
    TSLSegmentF hypotenuse;
    hypotenuse.SetOrigin({Width, 0});
    hypotenuse.SetDirection({0, Height});
    const TGPPointF alongHypotenuse =
        PointTowards(hypotenuse.GetMidPoint(), {0, Height}, kRotateHandleShift);
    return PointTowards(alongHypotenuse, {0, 0}, kHandleDepth);
}

void TTriangleRuler::GetOutline(TGPGraphicsPath& path) const {
    // One pixel short of the far corners, like the straight ruler's drawn frame.
    const std::array<TGPPointF, 3> corners{TGPPointF(0, 0), TGPPointF(Width - 1, 0),
                                           TGPPointF(0, Height - 1)};
    path.AddPolygon(corners);
}

void TTriangleRuler::DrawBackground(TGPGraphics& graphics) {
    TBaseRuler::DrawBackground(graphics);
    // Widening with an inset pen leaves two borders; filled even-odd, only the band
    // between them is painted and the middle of the triangle stays see-through.
    TGPGraphicsPath band(TFillMode::Alternate);
    GetOutline(band);
    TGPPen widener(0xFF000000, kBandWidth);
    widener.SetAlignment(TPenAlignment::Inset);
    band.Widen(widener, nullptr, TGPGraphicsPath::DefaultFlatness);
    graphics.FillPath(*Brush, band);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    graphics.DrawPath(*Pen, band);
}

TScaleLayout TTriangleRuler::TopScaleLayout(const TScaleLabelMeasure& measure) const {
    return WalkCentimeterScale(Width, PixelsPerCm, TScaleAxis::Horizontal, measure);
}

TScaleLayout TTriangleRuler::LeftScaleLayout(const TScaleLabelMeasure& measure) const {
    return WalkCentimeterScale(Height, PixelsPerCm, TScaleAxis::Vertical, measure);
}

void TTriangleRuler::DrawScale(TGPGraphics& graphics) {
    TBaseRuler::DrawScale(graphics);
    const TGPFont& font = Font->GetFont();
    const TGPBrush& textBrush = Font->Brush()->GetBrush();
    const TScaleLabelMeasure measure = MeasureScaleLabels(graphics, font);

    // Both legs are graduated over their whole length; the clip to the outline cuts what
    // reaches past the hypotenuse near the acute corners. The ticks of both legs are
    // stroked together as one path.
    const TScaleLayout top = TopScaleLayout(measure);
    const TScaleLayout left = LeftScaleLayout(measure);
    TGPGraphicsPath ticks;
    for (const TScaleTick& tick : top.Ticks) {
        const float x = static_cast<float>(tick.Position);
        AddStroke(ticks, {x, 0}, {x, tick.Length});
    }
    for (const TScaleTick& tick : left.Ticks) {
        const float y = static_cast<float>(tick.Position);
        AddStroke(ticks, {0, y}, {tick.Length, y});
    }
    graphics.DrawPath(*Pen, ticks);

    for (const TScaleLabel& label : top.Labels)
        graphics.DrawString(label.Text, font,
                            TGPPointF(label.Position - label.Box.Width / 2.0f, kLabelInset),
                            textBrush);

    // The left leg counts from 1 again; its numbers stay upright, centred on the tick.
    for (const TScaleLabel& label : left.Labels)
        graphics.DrawString(label.Text, font,
                            TGPPointF(kLabelInset, label.Position - label.Box.Height / 2.0f),
                            textBrush);

    graphics.DrawString(AppStr().CentimeterUnitName, font, kCaptionAt, textBrush);
}

TGPPointF TTriangleRuler::SnapPoint(const TGPPointF& P) const {
    // Rays start at C, the midpoint between the right angle and the middle of the
    // hypotenuse: (Width / 4, Height / 4).
    TSLSegmentF ray;
    ray.SetOrigin({Width, 0});
    ray.SetDirection({0, Height});
    const TGPPointF hypotenuseMiddle = ray.GetMidPoint();
    ray.SetOrigin(hypotenuseMiddle);
    ray.SetDirection({0, 0});
    const TGPPointF centre = ray.GetMidPoint();
    ray.SetOrigin(centre);
    ray.SetDirection(P);
    ray.SetDirection(ray.PointAtDistance(kSnapRayLength));

    // The legs drop P at right angles to 2 px outside them; the hypotenuse moves it
    // along the ray to 2 px beyond. Each corner belongs to the side that ends there.
    TSLSegmentF side;
    TGPPointF crossing;
    side.SetOrigin({0, 0});
    side.SetDirection({Width, 0});
    if (side.Intersect(ray, crossing) && ray.IsOnSegment(crossing))
        return {P.X, -kSnapGap};
    side.SetOrigin({Width, 0});
    side.SetDirection({0, Height});
    if (side.Intersect(ray, crossing) && ray.IsOnSegment(crossing))
        return ray.PointAtDistance(TSLGDIPfn::Distance(centre, crossing) + kSnapGap);
    side.SetOrigin({0, Height});
    side.SetDirection({0, 0});
    if (side.Intersect(ray, crossing) && ray.IsOnSegment(crossing))
        return {-kSnapGap, P.Y};
    return P; // the ray ends inside a very large set square
}
