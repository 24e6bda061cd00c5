#include "rulers/RectangleRuler.h"

#include "foundation/SLGDIPBrushFont.h"
#include "foundation/SLGDIPGeometry.h"
#include "foundation/SLGDIPUtils.h"
#include "platform/desktop/Screen.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPPen.h"
#include "rulers/RulerConsts.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// One inch is 2.54 cm; the scale uses the rounded 39.37 inches per metre.
constexpr long double kInchesPerMeter = 39.37L;
constexpr long double kCentimetersPerMeter = 100.0L;

constexpr float kScaleStart = -1.0f; // first centimetre tick, just outside the body
constexpr float kCentimeterTickLength = 10.0f;
constexpr float kHalfTickLength = 8.0f;
constexpr float kMillimeterTickLength = 5.0f;
constexpr int kMillimetersPerCentimeter = 10;
constexpr int kLabelGap = 2; // a label must start more than this beyond the previous one

// Below one pixel per centimetre the scale would be a smear; it also keeps the walk
// from standing still on a zero or negative step.
constexpr float kMinPixelsPerCentimeter = 1.0f;

// The strip.
constexpr float kDefaultLength = 500.0f;
constexpr float kStripHeight = 64.0f;
constexpr int kMinLength = 128;
constexpr int kMinHeight = 64;
constexpr float kResizeHandleInset = 32.0f; // from the right end, on the middle line

// Text placement, local pixels.
constexpr float kTopLabelY = 12.0f;      // top of the numbers under the top ticks
constexpr float kBottomLabelGap = 10.0f; // numbers end this far above the bottom edge
constexpr float kCaptionX = 6.0f;

constexpr double kSnapRayLength = 3000.0; // px from the middle of the strip
constexpr float kSnapGap = 2.0f;          // px outside the outline

// Nearest integer, halves to the even neighbour (the default floating-point mode).
int RoundHalfEven(long double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

float PixelsPerCentimeter(int pixelsPerInch) {
    if (pixelsPerInch <= 0)
        pixelsPerInch = kDefaultPixelsPerInch;
    return static_cast<float>(pixelsPerInch * kInchesPerMeter / kCentimetersPerMeter);
}

float ScreenPixelsPerCentimeter() {
    return PixelsPerCentimeter(platform::PixelsPerInch());
}

TScaleLayout WalkCentimeterScale(float limit, float pixelsPerCentimeter, TScaleAxis axis,
                                 const TScaleLabelMeasure& measure) {
    TScaleLayout layout;
    if (std::isnan(limit) || !(pixelsPerCentimeter >= kMinPixelsPerCentimeter))
        return layout;
    limit = std::min(limit, kMaxScaleLength);

    const long double ppcm = pixelsPerCentimeter;
    float pos = kScaleStart;
    int labelCount = 0;
    int lastLabelEnd = 0;
    while (pos < limit) {
        const int centimeter = RoundHalfEven(pos);
        layout.Ticks.push_back({centimeter, TScaleTickKind::Centimeter, kCentimeterTickLength});

        if (centimeter > 0) {
            ++labelCount;
            TScaleLabel label{centimeter, std::to_string(labelCount), {}};
            if (measure)
                label.Box = measure(label.Text);
            const int extent = axis == TScaleAxis::Horizontal ? label.Box.Width : label.Box.Height;
            const int start = centimeter - extent / 2; // integer halving, toward zero
            if (lastLabelEnd + kLabelGap < start) {
                if (static_cast<float>(start + extent) < limit)
                    layout.Labels.push_back(std::move(label));
                lastLabelEnd = start + extent;
            }
        }

        layout.Ticks.push_back(
            {RoundHalfEven(ppcm / 2 + pos), TScaleTickKind::HalfCentimeter, kHalfTickLength});
        for (int i = 1; i < kMillimetersPerCentimeter; ++i)
            layout.Ticks.push_back({RoundHalfEven(pos + i * ppcm / kMillimetersPerCentimeter),
                                    TScaleTickKind::Millimeter, kMillimeterTickLength});

        pos = static_cast<float>(pos + ppcm);
    }
    return layout;
}

void AddStroke(TGPGraphicsPath& path, const TGPPointF& from, const TGPPointF& to) {
    path.StartFigure();
    path.AddLine(from, to);
}

TScaleLabelMeasure MeasureScaleLabels(TGPGraphics& graphics, const TGPFont& font) {
    return [&graphics, &font](const std::string& text) {
        const TGPSizeF size = TSLGDIPfn::MeasureText(text, graphics, font, nullptr);
        return TScaleLabelBox{RoundHalfEven(size.Width), RoundHalfEven(size.Height)};
    };
}

// ---------------------------------------------------------------------------------------

TRectangleRuler::TRectangleRuler() {
    TRectangleRuler::SetSize(kDefaultLength, kStripHeight);
}

const TClassInfo& TRectangleRuler::StaticClassInfo() {
    static const TClassInfo info{
        "TRectangleRuler", &TBaseRuler::StaticClassInfo(), {}, Factory<TRectangleRuler>()};
    return info;
}

void TRectangleRuler::ReadFromXmlNode(pugi::xml_node node) {
    TBaseRuler::ReadFromXmlNode(node);
    SetSize(Width, kStripHeight); // a stored height is never used
}

void TRectangleRuler::SetSize(float AWidth, float /*AHeight*/) {
    TBaseRuler::SetSize(AWidth, kStripHeight);
}

TGPPoint TRectangleRuler::GetMinSize() const {
    return {kMinLength, kMinHeight};
}

TGPPointF TRectangleRuler::GetOrigin() const {
    return {0, 0};
}

TGPPointF TRectangleRuler::GetResizeHandle() const {
    return {Width - kResizeHandleInset, Height / 2};
}

void TRectangleRuler::GetOutline(TGPGraphicsPath& path) const {
    path.AddRectangle(TGPRectF(0, 0, Width, Height));
}

void TRectangleRuler::DrawBackground(TGPGraphics& graphics) {
    // The drawn frame lies one pixel inside the outline on the right and at the bottom,
    // so its 1 px line stays within the clipped and hit-tested area.
    const TGPRectF frame(0, 0, Width - 1, Height - 1);
    graphics.FillRectangle(*Brush, frame);
    graphics.DrawRectangle(*Pen, frame);
}

TScaleLayout TRectangleRuler::ScaleLayout(const TScaleLabelMeasure& measure) const {
    return WalkCentimeterScale(Width, PixelsPerCm, TScaleAxis::Horizontal, measure);
}

void TRectangleRuler::DrawScale(TGPGraphics& graphics) {
    TBaseRuler::DrawScale(graphics);
    const TGPFont& font = Font->GetFont();
    const TGPBrush& textBrush = Font->Brush()->GetBrush();
    const TScaleLayout layout = ScaleLayout(MeasureScaleLabels(graphics, font));

    // Ticks hang from the top edge and stand on the bottom edge. They go into one path
    // of separate strokes, so the surface is drawn on once rather than once per tick.
    TGPGraphicsPath ticks;
    for (const TScaleTick& tick : layout.Ticks) {
        const float x = static_cast<float>(tick.Position);
        AddStroke(ticks, {x, 0}, {x, tick.Length});
        AddStroke(ticks, {x, Height - tick.Length}, {x, Height - 1});
    }
    graphics.DrawPath(*Pen, ticks);
    // Numbers read upright in the local frame: one row above the bottom ticks, one below
    // the top ticks. The half width is a float half of the rounded width.
    for (const TScaleLabel& label : layout.Labels) {
        const float x = label.Position - label.Box.Width / 2.0f;
        graphics.DrawString(label.Text, font,
                            TGPPointF(x, Height - kBottomLabelGap - label.Box.Height), textBrush);
        graphics.DrawString(label.Text, font, TGPPointF(x, kTopLabelY), textBrush);
    }

    const std::string& caption = AppStr().CentimeterUnitName;
    const TGPSizeF captionSize = TSLGDIPfn::MeasureText(caption, graphics, font, nullptr);
    graphics.DrawString(caption, font, TGPPointF(kCaptionX, (Height - captionSize.Height) / 2),
                        textBrush);
}

TGPPointF TRectangleRuler::SnapPoint(const TGPPointF& P) const {
    // The ray from the middle of the strip through P picks the edge; P then drops at right
    // angles onto the line 2 px outside it. Each corner belongs to the edge that ends
    // there (a segment holds its direction end, not its origin).
    TSLSegmentF ray;
    ray.SetOrigin({Width / 2, Height / 2});
    ray.SetDirection(P);
    ray.SetDirection(ray.PointAtDistance(kSnapRayLength));

    struct TEdge {
        TGPPointF From, To;
    };
    const TEdge edges[] = {
        {{0, 0}, {Width, 0}},           // top
        {{Width, 0}, {Width, Height}},  // right
        {{Width, Height}, {0, Height}}, // bottom
        {{0, Height}, {0, 0}},          // left
    };
    TSLSegmentF side;
    for (size_t i = 0; i < std::size(edges); ++i) {
        side.SetOrigin(edges[i].From);
        side.SetDirection(edges[i].To);
        TGPPointF crossing;
        if (!side.Intersect(ray, crossing) || !ray.IsOnSegment(crossing))
            continue;
        switch (i) {
        case 0:
            return {P.X, -kSnapGap};
        case 1:
            return {Width + kSnapGap, P.Y};
        case 2:
            return {P.X, Height + kSnapGap};
        default:
            return {-kSnapGap, P.Y};
        }
    }
    return P; // the ray ends before it leaves a very long ruler
}
