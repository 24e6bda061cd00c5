#pragma once
// The centimetre scale shared by the straight ruler and the set square: where the
// ticks and numbers of one graduated edge go. The walk only computes positions; the
// instruments draw from its result, so the layout is testable without painting.
//
// Units: positions are local pixels along the graduated axis of the instrument,
// measured from its corner; they start at -1 (the first tick lies just outside the
// body and is clipped away).

#include "rulers/BaseRuler.h"

#include <functional>
#include <string>
#include <vector>

class TGPFont;
class TGPGraphicsPath;

// A logical resolution that the platform cannot report sensibly falls back to this.
constexpr int kDefaultPixelsPerInch = 96;

// Pixels per centimetre for a logical resolution: ppi x 39.37 / 100, computed in
// extended precision and stored as a single (96 ppi -> 37.7952, 120 ppi -> 47.244).
// A resolution of zero or less (a broken screen report) counts as 96.
float PixelsPerCentimeter(int pixelsPerInch);

// Pixels per centimetre of the primary screen, read through the platform layer.
float ScreenPixelsPerCentimeter();

enum class TScaleTickKind { Centimeter, HalfCentimeter, Millimeter };

struct TScaleTick {
    int Position = 0; // rounded to the nearest integer, halves to even
    TScaleTickKind Kind = TScaleTickKind::Centimeter;
    float Length = 0; // px, from the graduated edge inwards
};

// The measured box of a label's text, each side rounded to whole pixels.
struct TScaleLabelBox {
    int Width = 0;
    int Height = 0;
};

struct TScaleLabel {
    int Position = 0; // the centimetre tick the label belongs to
    std::string Text; // "1", "2", ... counted per walk
    TScaleLabelBox Box;
};

// Which side of a label's box is measured along the graduated axis: its width on a
// horizontal scale, its height on a vertical one (the labels never turn).
enum class TScaleAxis { Horizontal, Vertical };

struct TScaleLayout {
    std::vector<TScaleTick> Ticks;   // in drawing order
    std::vector<TScaleLabel> Labels; // only the labels that are to be drawn
};

using TScaleLabelMeasure = std::function<TScaleLabelBox(const std::string& text)>;

// Adds the straight line from-to to path as a figure of its own (not joined to others).
void AddStroke(TGPGraphicsPath& path, const TGPPointF& from, const TGPPointF& to);

// Measures labels as they will be drawn: in font on graphics, without a string format,
// each side of the box rounded to the nearest pixel.
TScaleLabelMeasure MeasureScaleLabels(TGPGraphics& graphics, const TGPFont& font);

// Walks one graduated edge from -1 while the centimetre position stays below limit.
// Per centimetre: a 10 px tick, a label (centred on the tick; placed only when it
// starts more than 2 px beyond the previous placed label, drawn only when it also
// ends short of limit), an 8 px half tick and nine 5 px millimetre ticks. The running
// position is a single and accumulates its own rounding, like the ticks on screen.
//
// The walk never runs beyond kMaxScaleLength (a larger or non-finite limit is cut
// to it), so a damaged size cannot make a paint hang or exhaust memory.
TScaleLayout WalkCentimeterScale(float limit, float pixelsPerCentimeter, TScaleAxis axis,
                                 const TScaleLabelMeasure& measure);

// ---------------------------------------------------------------------------------------
// The straight ruler: a strip 64 px high, graduated along both long edges.
//
// Local frame: x from the left end (0) to the right end (Width), y from the top edge (0)
// down to the bottom edge (Height). The pivot is the top-left corner (0, 0).

class TRectangleRuler : public TBaseRuler {
public:
    TRectangleRuler();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Reads the saved placement, then forces the strip's height (and minimum width).
    void ReadFromXmlNode(pugi::xml_node node) override;

    TGPPointF SnapPoint(const TGPPointF& P) const override;
    void GetOutline(TGPGraphicsPath& path) const override;
    TGPPointF GetResizeHandle() const override;
    TGPPointF GetOrigin() const override;
    void DrawBackground(TGPGraphics& graphics) override;
    void DrawScale(TGPGraphics& graphics) override;
    TGPPoint GetMinSize() const override;
    // The height is always the strip's; only the width follows the request.
    void SetSize(float AWidth, float AHeight) override;

    // Where the ticks and numbers of both edges go for the present width.
    TScaleLayout ScaleLayout(const TScaleLabelMeasure& measure) const;

    // Pixels per centimetre of the scale: the screen's when the ruler was made.
    float GetPixelsPerCentimeter() const { return PixelsPerCm; }
    void SetPixelsPerInch(int pixelsPerInch) { PixelsPerCm = PixelsPerCentimeter(pixelsPerInch); }

private:
    float PixelsPerCm = ScreenPixelsPerCentimeter();
};
