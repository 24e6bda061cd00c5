#pragma once
// Two small instruments for the tests of the instrument base and the settings model:
// a box with its pivot at the top-left corner (like a ruler) and a disc with its pivot
// at the centre (like a protractor). Their shapes are simple enough that every
// expected position can be worked out by hand.

#include "platform/graphics/GPGraphicsPath.h"
#include "rulers/BaseRuler.h"

#include <cmath>

// 200 x 100 by default, at least 80 x 40; snaps to 2 px above its top edge.
class TTestBoxRuler : public TBaseRuler {
public:
    TTestBoxRuler() { SetSize(200, 100); }

    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info{
            "TTestBoxRuler", &TBaseRuler::StaticClassInfo(), {}, Factory<TTestBoxRuler>()};
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    void GetOutline(TGPGraphicsPath& path) const override {
        path.AddRectangle(TGPRectF(0, 0, Width, Height));
    }
    TGPPointF GetResizeHandle() const override { return {Width - 32, Height / 2}; }
    TGPPointF GetOrigin() const override { return {0, 0}; }
    TGPPoint GetMinSize() const override { return {80, 40}; }
    TGPPointF SnapPoint(const TGPPointF& P) const override { return {P.X, -2}; }
};

// A disc of diameter 300 by default, always square, at least 100; the pivot is its
// centre. Snaps to 2 px outside its rim.
class TTestDiscRuler : public TBaseRuler {
public:
    TTestDiscRuler() { SetSize(300, 300); }

    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info{
            "TTestDiscRuler", &TBaseRuler::StaticClassInfo(), {}, Factory<TTestDiscRuler>()};
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    void GetOutline(TGPGraphicsPath& path) const override {
        path.AddEllipse(TGPRectF(0, 0, Width, Height));
    }
    TGPPointF GetResizeHandle() const override { return {Width - 40, Height / 2}; }
    TGPPointF GetOrigin() const override { return {Width / 2, Height / 2}; }
    TGPPoint GetMinSize() const override { return {100, 100}; }
    void SetSize(float AWidth, float AHeight) override {
        const float side = (AWidth + AHeight) / 2;
        TBaseRuler::SetSize(side, side);
    }
    TGPPointF SnapPoint(const TGPPointF& P) const override {
        const TGPPointF c = GetOrigin();
        const float dx = P.X - c.X;
        const float dy = P.Y - c.Y;
        const float length = std::hypot(dx, dy);
        if (length == 0)
            return {c.X, c.Y - Width / 2 - 2};
        const float reach = Width / 2 + 2;
        return {c.X + dx / length * reach, c.Y + dy / length * reach};
    }
};

// A kind of its own that derives from the box: selecting the box's class must not
// select it.
class TTestWideBoxRuler : public TTestBoxRuler {
public:
    TTestWideBoxRuler() { SetSize(400, 100); }

    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info{"TTestWideBoxRuler",
                                     &TTestBoxRuler::StaticClassInfo(),
                                     {},
                                     Factory<TTestWideBoxRuler>()};
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
