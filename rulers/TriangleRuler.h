#pragma once
// The set square: a right-angled triangle drawn as a 64 px band along the inside of its
// outline, with centimetre scales on both legs and the unit caption in the right angle.
//
// Local frame: the right angle is at (0, 0); the top leg runs along y = 0 to
// (Width, 0), the left leg along x = 0 to (0, Height), and the hypotenuse joins their
// far ends. The pivot is (0, 0). Width and Height are independent.

#include "rulers/BaseRuler.h"
#include "rulers/RectangleRuler.h"

class TTriangleRuler : public TBaseRuler {
public:
    TTriangleRuler();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    TGPPointF SnapPoint(const TGPPointF& P) const override;
    void GetOutline(TGPGraphicsPath& path) const override;
    TGPPointF GetRotateHandle() const override;
    TGPPointF GetResizeHandle() const override;
    TGPPointF GetOrigin() const override;
    void DrawBackground(TGPGraphics& graphics) override;
    void DrawScale(TGPGraphics& graphics) override;
    TGPPoint GetMinSize() const override;
    void SetSize(float AWidth, float AHeight) override;

    // Where the ticks and numbers of the top leg (along x) and the left leg (along y) go.
    TScaleLayout TopScaleLayout(const TScaleLabelMeasure& measure) const;
    TScaleLayout LeftScaleLayout(const TScaleLabelMeasure& measure) const;

    // Pixels per centimetre of the scales: the screen's when the set square was made.
    float GetPixelsPerCentimeter() const { return PixelsPerCm; }
    void SetPixelsPerInch(int pixelsPerInch) { PixelsPerCm = PixelsPerCentimeter(pixelsPerInch); }

private:
    float PixelsPerCm = ScreenPixelsPerCentimeter();
};
