#pragma once
// The protractors: one class for the half circle (0..180 degrees, with a straight
// edge below the diameter) and the full circle (0..360 degrees), and two small
// subclasses that fix which one it is.
//
// Local frame: the box (0, 0)-(Width, Height) stays square; C = (Width / 2, Height / 2)
// is the pivot and R = Width / 2 the radius. Angles about C are degrees clockwise from
// +x (y points down), so the numbers printed on the scale grow counter-clockwise.

#include "rulers/BaseRuler.h"

#include <memory>
#include <string>
#include <vector>

enum class TDegreeTickKind {
    Labelled, // every 10 degrees: a radius line from the rim to the inner circle, numbered
    Five,     // every 5 degrees: 20 px
    One,      // every other degree: 10 px
};

struct TDegreeTick {
    int Degree = 0; // direction about C, degrees clockwise from +x in the local frame
    TDegreeTickKind Kind = TDegreeTickKind::One;
    std::string Label; // the counter-clockwise reading, only on labelled ticks
};

// The graduation of a protractor: the half circle 180..360 (both ends, 181 ticks), read
// "180" at the left end down to "0" at the right; the full circle 0..359, read "360" at
// the right (0 itself is never printed), "270" at the bottom.
std::vector<TDegreeTick> WalkDegreeScale(bool halfCircle);

// Radius of the unmarked inner circle: sin 8 degrees times the radius.
float InnerCircleRadius(float width);

class TProtractorRuler : public TBaseRuler {
public:
    TProtractorRuler();
    ~TProtractorRuler() override;

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // True: the half circle; False: the full circle. Fixed by the class, not saved.
    bool IsHalfCircle = true;

    TGPPointF SnapPoint(const TGPPointF& P) const override;
    void GetOutline(TGPGraphicsPath& path) const override;
    TGPPointF GetResizeHandle() const override;
    TGPPointF GetOrigin() const override;
    void DrawBackground(TGPGraphics& graphics) override;
    void DrawScale(TGPGraphics& graphics) override;
    TGPPoint GetMinSize() const override;
    // Both sides become the mean of the two requested ones (then the minimum applies).
    void SetSize(float AWidth, float AHeight) override;

    // The chord that closes the half circle: the y of the straight edge, 4 degrees of
    // arc below the diameter.
    float ChordY() const;

private:
    // Whether a point, given from the centre C, lies so far inside the outline that
    // nothing drawn there needs clipping to it.
    bool IsWellInside(const TGPPointF& fromCentre) const;

    // The graduation laid out for one size, font and kind of circle: it only changes
    // with them, and laying out 360 ticks and 36 turned numbers costs more than
    // drawing them, so it is kept until one of them changes.
    struct TScalePicture;
    const TScalePicture& ScalePicture(TGPGraphics& graphics);
    std::unique_ptr<TScalePicture> FScalePicture;
};

class TProtractorRuler180 : public TProtractorRuler {
public:
    TProtractorRuler180();
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

class TProtractorRuler360 : public TProtractorRuler {
public:
    TProtractorRuler360();
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
