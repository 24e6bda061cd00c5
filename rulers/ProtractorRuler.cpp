#include "rulers/ProtractorRuler.h"

#include "foundation/SLGDIPBrushFont.h"
#include "foundation/SLGDIPGeometry.h"
#include "foundation/SLGDIPUtils.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPMatrix.h"
#include "platform/graphics/GPPen.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kDefaultSide = 500.0f;
constexpr int kMinSide = 300;
constexpr float kResizeHandleInset = 72.0f; // from the rim, on the horizontal diameter

// The half circle's arc runs 4 degrees past each end of the diameter; the chord between
// its ends is the straight edge.
constexpr float kHalfArcStart = 176.0f;
constexpr float kHalfArcSweep = 188.0f;
constexpr long double kChordDegrees = 4.0L;
constexpr float kFullArcStart = 0.0f;
constexpr float kFullArcSweep = 360.0f;

constexpr long double kInnerCircleDegrees = 8.0L; // sin of it times R: the inner radius

constexpr int kHalfFirstDegree = 180;
constexpr int kHalfLastDegree = 360;
constexpr int kFullDegrees = 360;
constexpr int kLabelStep = 10;
constexpr int kLongTickStep = 5;
constexpr float kLongTickLength = 20.0f;  // px, every 5 degrees
constexpr float kShortTickLength = 10.0f; // px, every degree
constexpr float kLabelInset = 20.0f;      // px between the rim and a label's outer side

constexpr std::uint16_t kNeutralLanguage = 0; // labels are plain digits
// px: what is drawn this far inside the outline needs no clip (a 1 px pen reaches half
// a pixel beyond its path, anti-aliasing one pixel more)
constexpr float kOutlineMargin = 2.0f;

constexpr double kSnapRayLength = 3000.0; // px, longer than any radius the walk draws
constexpr float kSnapGap = 2.0f;          // px outside the outline

long double DegreesToRadians(long double degrees) {
    return degrees * std::numbers::pi_v<long double> / 180.0L;
}

// (x, y) turned about the origin by degrees (clockwise on screen).
TGPPointF TurnedPoint(float x, float y, int degrees) {
    const long double angle = DegreesToRadians(degrees);
    const long double c = std::cos(angle), s = std::sin(angle);
    return {static_cast<float>(x * c - y * s), static_cast<float>(x * s + y * c)};
}

} // namespace

std::vector<TDegreeTick> WalkDegreeScale(bool halfCircle) {
    const int first = halfCircle ? kHalfFirstDegree : 0;
    const int last = halfCircle ? kHalfLastDegree : kFullDegrees - 1;
    std::vector<TDegreeTick> ticks;
    ticks.reserve(last - first + 1);
    for (int degree = first; degree <= last; ++degree) {
        TDegreeTick tick{degree, TDegreeTickKind::One, {}};
        if (degree % kLabelStep == 0) {
            tick.Kind = TDegreeTickKind::Labelled;
            tick.Label = std::to_string(kFullDegrees - degree);
        } else if (degree % kLongTickStep == 0) {
            tick.Kind = TDegreeTickKind::Five;
        }
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

float InnerCircleRadius(float width) {
    return static_cast<float>(std::sin(DegreesToRadians(kInnerCircleDegrees)) * width / 2);
}

// ---------------------------------------------------------------------------------------

// In the frame centred on C: the ticks as
// strokes, the boxes under the numbers and the numbers' glyphs as areas.
struct TProtractorRuler::TScalePicture {
    float Width = 0;
    bool HalfCircle = false;
    std::string FontName;
    float FontSize = 0;
    std::int32_t FontStyle = 0;
    float DpiY = 0;
    // The rasteriser works through many small areas much faster than through one that
    // spans the whole disc, so the ticks are kept by sectors of ten degrees and each
    // number, and the box under it, as a path of its own.
    std::vector<TGPGraphicsPath> Ticks;
    std::vector<TGPGraphicsPath> LabelBoxes;
    std::vector<TGPGraphicsPath> Labels;
    // Whether every box and number lies well inside the body; only a very large font
    // makes them reach the rim or, on the half circle, the chord.
    bool LabelsInside = true;
};

TProtractorRuler::TProtractorRuler() {
    TProtractorRuler::SetSize(kDefaultSide, kDefaultSide);
    IsHalfCircle = true;
}

TProtractorRuler::~TProtractorRuler() = default;

const TClassInfo& TProtractorRuler::StaticClassInfo() {
    static const TClassInfo info{
        "TProtractorRuler", &TBaseRuler::StaticClassInfo(), {}, Factory<TProtractorRuler>()};
    return info;
}

void TProtractorRuler::SetSize(float AWidth, float AHeight) {
    const float side = static_cast<float>((static_cast<long double>(AWidth) + AHeight) / 2);
    TBaseRuler::SetSize(side, side);
}

TGPPoint TProtractorRuler::GetMinSize() const {
    return {kMinSide, kMinSide};
}

TGPPointF TProtractorRuler::GetOrigin() const {
    return {Width / 2, Height / 2};
}

TGPPointF TProtractorRuler::GetResizeHandle() const {
    return {Width - kResizeHandleInset, Height / 2};
}

float TProtractorRuler::ChordY() const {
    const long double radius = Width / 2.0L;
    return static_cast<float>(Height / 2.0L + radius * std::sin(DegreesToRadians(kChordDegrees)));
}

void TProtractorRuler::GetOutline(TGPGraphicsPath& path) const {
    if (IsHalfCircle)
        path.AddArc(0, 0, Width, Height, kHalfArcStart, kHalfArcSweep);
    else
        path.AddArc(0, 0, Width, Height, kFullArcStart, kFullArcSweep);
    path.CloseFigure();
}

// Both diameters end on the outline (the vertical one on the half circle's chord) and
// from the minimum size up the handles drawn next lie well inside the body, so nothing
// needs a clip. A smaller protractor (a settings file keeps any size) has its handles
// reach past the outline: the clip to the outline is then set and left set for them.
void TProtractorRuler::DrawBackground(TGPGraphics& graphics) {
    TBaseRuler::DrawBackground(graphics);
    TGPGraphicsPath outline(TFillMode::Alternate);
    GetOutline(outline);
    graphics.FillPath(*Brush, outline);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    graphics.DrawPath(*Pen, outline);
    if (Width < kMinSide || Height < kMinSide)
        graphics.SetClip(outline, TCombineMode::Replace);
    graphics.DrawLine(*Pen, 0, Height / 2, Width, Height / 2);
    graphics.DrawLine(*Pen, Width / 2, 0, Width / 2, IsHalfCircle ? ChordY() : Height);
}

bool TProtractorRuler::IsWellInside(const TGPPointF& fromCentre) const {
    const float rim = Width / 2;
    const float reach = rim - kOutlineMargin;
    if (fromCentre.X * fromCentre.X + fromCentre.Y * fromCentre.Y > reach * reach)
        return false;
    return !IsHalfCircle || fromCentre.Y <= ChordY() - Height / 2 - kOutlineMargin;
}

const TProtractorRuler::TScalePicture& TProtractorRuler::ScalePicture(TGPGraphics& graphics) {
    const float dpiY = graphics.GetDpiY();
    TScalePicture* cached = FScalePicture.get();
    if (cached && cached->Width == Width && cached->HalfCircle == IsHalfCircle &&
        cached->FontName == Font->GetFontName() && cached->FontSize == Font->GetSize() &&
        cached->FontStyle == Font->GetStyle() && cached->DpiY == dpiY)
        return *cached;

    auto picture = std::make_unique<TScalePicture>();
    picture->Width = Width;
    picture->HalfCircle = IsHalfCircle;
    picture->FontName = Font->GetFontName();
    picture->FontSize = Font->GetSize();
    picture->FontStyle = Font->GetStyle();
    picture->DpiY = dpiY;

    // A tick at d degrees runs inwards from the rim point in that direction; the
    // 10-degree lines run to the inner circle, which nothing of the scale enters.
    const float rim = Width / 2;
    const float innerRadius = InnerCircleRadius(Width);
    const std::vector<TDegreeTick> scale = WalkDegreeScale(IsHalfCircle);
    for (const TDegreeTick& tick : scale) {
        const long double angle = DegreesToRadians(tick.Degree);
        const long double dx = std::cos(angle), dy = std::sin(angle);
        const float inner = tick.Kind == TDegreeTickKind::Labelled ? innerRadius
                            : tick.Kind == TDegreeTickKind::Five   ? rim - kLongTickLength
                                                                   : rim - kShortTickLength;
        if (picture->Ticks.empty() || tick.Degree % kLabelStep == 0)
            picture->Ticks.emplace_back();
        picture->Ticks.back().StartFigure();
        picture->Ticks.back().AddLine(static_cast<float>(rim * dx), static_cast<float>(rim * dy),
                                      static_cast<float>(inner * dx),
                                      static_cast<float>(inner * dy));
    }

    // Each number is laid out along +x of the frame turned to its tick, running from the
    // rim inwards (vertical text, turned a quarter), its outer side 20 px inside the rim.
    TGPStringFormat format(0, kNeutralLanguage);
    format.SetFormatFlags(StringFormatFlagsDirectionVertical);
    const TGPFont& font = Font->GetFont();
    for (const TDegreeTick& tick : scale) {
        if (tick.Kind != TDegreeTickKind::Labelled)
            continue;
        const TGPSizeF size = TSLGDIPfn::MeasureText(tick.Label, graphics, font, &format);
        const TGPRectF box(rim - kLabelInset - size.Width, -size.Height / 2, size.Width,
                           size.Height);
        TGPMatrix turned;
        turned.Rotate(static_cast<float>(tick.Degree), TMatrixOrder::Prepend);
        TGPGraphicsPath boxPath;
        boxPath.AddRectangle(box);
        boxPath.Transform(turned);
        TGPGraphicsPath text;
        text.AddString(tick.Label, font, TGPPointF(box.X, box.Y), &format, dpiY);
        // Glyph outlines are curves; split once here, not on every paint.
        text.Flatten(&turned);
        // The corners of the turned box, and of the box around the turned glyphs (which
        // may reach a little past the measured one).
        const TGPRectF glyphs = text.GetBounds();
        const TGPPointF corners[] = {
            TurnedPoint(box.X, box.Y, tick.Degree),
            TurnedPoint(box.X + box.Width, box.Y, tick.Degree),
            TurnedPoint(box.X, box.Y + box.Height, tick.Degree),
            TurnedPoint(box.X + box.Width, box.Y + box.Height, tick.Degree),
            {glyphs.X, glyphs.Y},
            {glyphs.X + glyphs.Width, glyphs.Y},
            {glyphs.X, glyphs.Y + glyphs.Height},
            {glyphs.X + glyphs.Width, glyphs.Y + glyphs.Height},
        };
        for (const TGPPointF& corner : corners)
            picture->LabelsInside = picture->LabelsInside && IsWellInside(corner);
        picture->LabelBoxes.push_back(std::move(boxPath));
        picture->Labels.push_back(std::move(text));
    }
    FScalePicture = std::move(picture);
    return *FScalePicture;
}

// The inner circle and the ticks lie inside the body by construction (the ticks start
// on the rim), and so do the numbers unless the font is very large. Clipping to the
// curved outline costs more than drawing the whole scale, so only numbers that would
// reach past the outline are clipped to it.
void TProtractorRuler::DrawScale(TGPGraphics& graphics) {
    TBaseRuler::DrawScale(graphics);
    graphics.ResetClip();

    // The inner circle (its upper half on the half circle).
    const float innerRadius = InnerCircleRadius(Width);
    TGPGraphicsPath inner(TFillMode::Alternate);
    const TGPRectF innerBox(Width / 2 - innerRadius, Height / 2 - innerRadius, 2 * innerRadius,
                            2 * innerRadius);
    if (IsHalfCircle)
        inner.AddArc(innerBox, 180.0f, 180.0f);
    else
        inner.AddArc(innerBox, 0.0f, 360.0f);
    graphics.DrawPath(*Pen, inner);

    // Ticks, then the boxes under the numbers (covering the radius lines there), then
    // the numbers, all in the frame centred on C.
    const TScalePicture& picture = ScalePicture(graphics);
    const TGraphicsState state = graphics.Save();
    graphics.TranslateTransform(Width / 2, Height / 2, TMatrixOrder::Prepend);
    for (const TGPGraphicsPath& sector : picture.Ticks)
        graphics.DrawPath(*Pen, sector);
    if (!picture.LabelsInside) {
        TGPGraphicsPath outline(TFillMode::Alternate);
        GetOutline(outline);
        outline.Transform(TGPMatrix(1, 0, 0, 1, -Width / 2, -Height / 2));
        graphics.SetClip(outline, TCombineMode::Replace);
    }
    for (const TGPGraphicsPath& box : picture.LabelBoxes)
        graphics.FillPath(*Brush, box);
    const TGPBrush& textBrush = Font->Brush()->GetBrush();
    for (const TGPGraphicsPath& label : picture.Labels)
        graphics.FillPath(textBrush, label);
    graphics.Restore(state);
}

TGPPointF TProtractorRuler::SnapPoint(const TGPPointF& P) const {
    const TGPPointF centre = GetOrigin();
    const float radius = Width / 2;

    // The ray from the centre through P. At the centre itself there is no direction;
    // the zero-length line then yields (0, 0), towards the box's top-left corner.
    TSLSegmentF ray;
    ray.SetOrigin(centre);
    ray.SetDirection(P);
    ray.SetDirection(ray.PointAtDistance(kSnapRayLength));

    if (IsHalfCircle) {
        const long double halfChord = radius * std::cos(DegreesToRadians(kChordDegrees));
        const float chordY = ChordY();
        TSLSegmentF chord;
        chord.SetOrigin({static_cast<float>(radius - halfChord), chordY});
        chord.SetDirection({static_cast<float>(Width - radius + halfChord), chordY});
        TGPPointF crossing;
        if (chord.Intersect(ray, crossing) && ray.IsOnSegment(crossing))
            return {P.X, chordY + kSnapGap}; // straight down (or up) onto the chord
    }
    return ray.PointAtDistance(radius + kSnapGap);
}

// ---------------------------------------------------------------------------------------

TProtractorRuler180::TProtractorRuler180() {
    IsHalfCircle = true;
}

const TClassInfo& TProtractorRuler180::StaticClassInfo() {
    static const TClassInfo info{"TProtractorRuler180",
                                 &TProtractorRuler::StaticClassInfo(),
                                 {},
                                 Factory<TProtractorRuler180>()};
    return info;
}

TProtractorRuler360::TProtractorRuler360() {
    IsHalfCircle = false;
}

const TClassInfo& TProtractorRuler360::StaticClassInfo() {
    static const TClassInfo info{"TProtractorRuler360",
                                 &TProtractorRuler::StaticClassInfo(),
                                 {},
                                 Factory<TProtractorRuler360>()};
    return info;
}
