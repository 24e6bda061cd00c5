#pragma once
// Float geometry of the instruments: tolerance comparison, a saved point that reports its
// changes and turns about a centre, a line through two points with its normalised equation,
// and a segment between them. Pixels, x to the right and y downward; angles in radians,
// growing clockwise on the screen. Coordinates are stored as singles, derived values
// (equation, length, angle) as doubles.

#include "foundation/XmlPersistent.h"
#include "platform/graphics/GPTypes.h"

#include <cstdint>
#include <memory>

// |a - b| <= epsilon. An epsilon of 0 means max(min(|a|, |b|) * R, R), R being the
// resolution of the precision compared at: 1e-4 for single, 1e-12 for double, 1e-16 for
// extended (long double). So two singles near 1000 are equal when within 0.1.
bool SameValue(float a, float b, float epsilon = 0.0f);
bool SameValue(double a, double b, double epsilon = 0.0);
bool SameValue(long double a, long double b, long double epsilon = 0.0L);

// What a failed line intersection leaves in its result point. The single nearest to 3.4e38
// (bit pattern 7F7FC99E), not the largest single.
constexpr float SLIntersectSentinel = 3.4e38f;
// The two lines are one line.
constexpr TGPPointF SLSameLinePoint{SLIntersectSentinel, SLIntersectSentinel};
// The lines are parallel and apart.
constexpr TGPPointF SLParallelLinePoint{-SLIntersectSentinel, -SLIntersectSentinel};

// A point that notifies OnChange when a coordinate really changes (beyond SameValue).
// Saved as Time, X and Y.
class TSLPointF : public TXmlPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // At (0, 0), stamped with the present tick count; nothing is notified.
    TSLPointF();
    explicit TSLPointF(const TGPPointF& point);

    std::unique_ptr<TXmlPersistent> Clone() const override;

    float GetX() const { return FX; }
    void SetX(float value);
    float GetY() const { return FY; }
    void SetY(float value);
    // Milliseconds since the system started, when the point was made; kept and saved only.
    std::uint32_t GetTime() const { return FTime; }
    void SetTime(std::uint32_t value);
    TGPPointF GetPointF() const { return {FX, FY}; }

    // X, then Y, through their setters: a change in both notifies twice, X first.
    void SetPoint(const TGPPoint& point);
    void SetPointF(const TGPPointF& point);

    double DistanceTo(const TGPPointF& point) const;
    // Direction of the vector from point to this point.
    double AngleTo(const TGPPointF& point) const;
    // result := point turned about this point by angle (radians, clockwise on the screen).
    void RotatePoint(const TGPPointF& point, TGPPointF& result, double angle) const;
    // Turns this point about center and stores the result through SetPointF.
    void RotateAround(const TGPPointF& center, double angle);

private:
    std::uint32_t FTime = 0;
    float FX = 0.0f;
    float FY = 0.0f;
};

// The line through an origin point O and a direction point D, with the equation
// A x + B y + C = 0 scaled so that the largest of |A|, |B|, |C| is 1. The equation, length
// and angle are recalculated on first use after a point changed; callers never need to
// call Recalculate. Saved as OriginX, OriginY, DirectionX, DirectionY.
class TSLLineF : public TXmlPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    TSLLineF();
    TSLLineF(const TGPPointF& origin, const TGPPointF& direction);
    ~TSLLineF() override;

    virtual void Recalculate() const;
    // Crossing of this line with other. False when they are parallel (point :=
    // SLParallelLinePoint) or the same line (point := SLSameLinePoint).
    virtual bool Intersect(const TSLLineF& other, TGPPointF& point) const;
    // Origin first, then direction; the line's own OnChange is not fired.
    virtual void SetPoints(const TGPPoint& origin, const TGPPoint& direction);
    virtual void SetPointsF(const TGPPointF& origin, const TGPPointF& direction);

    double GetA() const;
    double GetB() const;
    double GetC() const;
    double GetLength() const;
    // Direction of the vector from O to D, in [0, 2 pi).
    double GetAngle() const;

    TGPPointF GetOrigin() const { return FOriginPoint->GetPointF(); }
    TGPPointF GetDirection() const { return FDirectionPoint->GetPointF(); }
    // These change the points without firing the line's OnChange.
    void SetOrigin(const TGPPointF& point) { FOriginPoint->SetPointF(point); }
    void SetDirection(const TGPPointF& point) { FDirectionPoint->SetPointF(point); }

    // The saved coordinates; the setters fire the line's OnChange on a real change.
    float GetOriginX() const { return FOriginPoint->GetX(); }
    float GetOriginY() const { return FOriginPoint->GetY(); }
    float GetDirectionX() const { return FDirectionPoint->GetX(); }
    float GetDirectionY() const { return FDirectionPoint->GetY(); }
    void SetOriginX(float value);
    void SetOriginY(float value);
    void SetDirectionX(float value);
    void SetDirectionY(float value);

    TSLPointF& OriginPoint() { return *FOriginPoint; }
    TSLPointF& DirectionPoint() { return *FDirectionPoint; }

    // Position of point relative to O and D: t = s / (1 - s) for point = O + s (D - O), taken
    // from x (or from y on a vertical line). 0 at O, 1.0005 at the midpoint (exactly 1 is
    // reported so), growing without bound towards D, -1 at D itself, between -1 and 0 before
    // O and below -1 beyond D. A point off the line is judged by that one coordinate.
    double PointParam(const TGPPointF& point) const;
    // The point at distance (negative: away from D) from O along the line; O itself for a
    // distance 0, and (0, 0) on a line of zero length.
    void PointAtDistance(double distance, TGPPointF& point) const;
    TGPPointF PointAtDistance(double distance) const;
    // The scaled equation holds within 0.001 at point.
    bool ContainsPoint(const TGPPointF& point) const;

protected:
    bool IsModified() const { return FModified; }

private:
    void PointChanged() { FModified = true; }

    std::unique_ptr<TSLPointF> FOriginPoint;
    std::unique_ptr<TSLPointF> FDirectionPoint;
    mutable double FA = 0.0;
    mutable double FB = 0.0;
    mutable double FC = 0.0;
    mutable double FLength = 0.0;
    mutable double FAngle = 0.0;
    mutable bool FModified = false;
};

// The stretch of a line from O to D. Half-open: D belongs to it, O does not; points on the
// line far beyond D (about 10,000 lengths) count as well, their parameter being near -1.
class TSLSegmentF : public TSLLineF {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    using TSLLineF::TSLLineF;

    void Recalculate() const override;
    // The line crossing, true only when it lies on this segment (other counts as a whole
    // line); point holds the crossing either way, or the sentinel.
    bool Intersect(const TSLLineF& other, TGPPointF& point) const override;
    bool IsOnSegment(const TGPPointF& point) const;
    TGPPointF GetMidPoint() const;

private:
    mutable TGPPointF FMidPoint;
};
