#include "foundation/SLGDIPGeometry.h"

#include "foundation/SLGDIPUtils.h"
#include "platform/system/TickCount.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr long double kSingleResolution = 1e-4L;
constexpr long double kDoubleResolution = 1e-12L;
constexpr long double kExtendedResolution = 1e-16L;

// A parameter within this of the direction point's coordinate counts as that coordinate.
constexpr long double kParamCoordinateTolerance = 0.00001L;
// The midpoint's parameter is exactly 1; it is reported a little above.
constexpr double kMidPointParamNudge = 0.0005;
constexpr double kContainsTolerance = 0.001;

template <class T> T DefaultEpsilon(T a, T b, long double resolution) {
    const long double smaller =
        std::min(std::fabs(static_cast<long double>(a)), std::fabs(static_cast<long double>(b)));
    return static_cast<T>(std::max(smaller * resolution, resolution));
}

template <class T> bool SameValueAt(T a, T b, T epsilon, long double resolution) {
    if (epsilon == T(0))
        epsilon = DefaultEpsilon(a, b, resolution);
    // The difference is taken at extended precision, exactly for singles and doubles.
    return std::fabs(static_cast<long double>(a) - static_cast<long double>(b)) <= epsilon;
}
} // namespace

bool SameValue(float a, float b, float epsilon) {
    return SameValueAt(a, b, epsilon, kSingleResolution);
}

bool SameValue(double a, double b, double epsilon) {
    return SameValueAt(a, b, epsilon, kDoubleResolution);
}

bool SameValue(long double a, long double b, long double epsilon) {
    return SameValueAt(a, b, epsilon, kExtendedResolution);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TSLPointF::StaticClassInfo() {
    static const TClassInfo info{"TSLPointF",
                                 &TXmlPersistent::StaticClassInfo(),
                                 {Published("Time", &TSLPointF::GetTime, &TSLPointF::SetTime),
                                  Published("X", &TSLPointF::GetX, &TSLPointF::SetX),
                                  Published("Y", &TSLPointF::GetY, &TSLPointF::SetY)},
                                 Factory<TSLPointF>()};
    return info;
}

TSLPointF::TSLPointF() : FTime(platform::GetTickCount()) {}

TSLPointF::TSLPointF(const TGPPointF& point)
    : FTime(platform::GetTickCount()), FX(point.X), FY(point.Y) {}

std::unique_ptr<TXmlPersistent> TSLPointF::Clone() const {
    return CloneByAssign(*this);
}

void TSLPointF::SetX(float value) {
    if (SameValue(value, FX))
        return;
    FX = value;
    Changed();
}

void TSLPointF::SetY(float value) {
    if (SameValue(value, FY))
        return;
    FY = value;
    Changed();
}

void TSLPointF::SetTime(std::uint32_t value) {
    if (value == FTime)
        return;
    FTime = value;
    Changed();
}

void TSLPointF::SetPoint(const TGPPoint& point) {
    SetX(static_cast<float>(point.X));
    SetY(static_cast<float>(point.Y));
}

void TSLPointF::SetPointF(const TGPPointF& point) {
    SetX(point.X);
    SetY(point.Y);
}

double TSLPointF::DistanceTo(const TGPPointF& point) const {
    const double dx = static_cast<double>(FX) - point.X;
    const double dy = static_cast<double>(FY) - point.Y;
    return std::sqrt(dx * dx + dy * dy);
}

double TSLPointF::AngleTo(const TGPPointF& point) const {
    return TSLGDIPfn::AngleOfPoints(GetPointF(), point);
}

void TSLPointF::RotatePoint(const TGPPointF& point, TGPPointF& result, double angle) const {
    const long double c = std::cos(static_cast<long double>(angle));
    const long double s = std::sin(static_cast<long double>(angle));
    const long double dx = static_cast<long double>(point.X) - FX;
    const long double dy = static_cast<long double>(point.Y) - FY;
    result.X = static_cast<float>(FX + c * dx - s * dy);
    result.Y = static_cast<float>(FY + s * dx + c * dy);
}

void TSLPointF::RotateAround(const TGPPointF& center, double angle) {
    const TSLPointF pivot(center);
    TGPPointF rotated;
    pivot.RotatePoint(GetPointF(), rotated, angle);
    SetPointF(rotated);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TSLLineF::StaticClassInfo() {
    static const TClassInfo info{
        "TSLLineF",
        &TXmlPersistent::StaticClassInfo(),
        {Published("DirectionX", &TSLLineF::GetDirectionX, &TSLLineF::SetDirectionX),
         Published("DirectionY", &TSLLineF::GetDirectionY, &TSLLineF::SetDirectionY),
         Published("OriginX", &TSLLineF::GetOriginX, &TSLLineF::SetOriginX),
         Published("OriginY", &TSLLineF::GetOriginY, &TSLLineF::SetOriginY)},
        Factory<TSLLineF>()};
    return info;
}

TSLLineF::TSLLineF()
    : FOriginPoint(std::make_unique<TSLPointF>()), FDirectionPoint(std::make_unique<TSLPointF>()) {
    // A change of either point only marks the cached values stale; the line's own
    // OnChange is for its saved properties.
    FOriginPoint->OnChange = [this](TPersistent*) { PointChanged(); };
    FDirectionPoint->OnChange = [this](TPersistent*) { PointChanged(); };
}

TSLLineF::TSLLineF(const TGPPointF& origin, const TGPPointF& direction) : TSLLineF() {
    SetOrigin(origin);
    SetDirection(direction);
}

TSLLineF::~TSLLineF() {
    FOriginPoint.reset();
    FDirectionPoint.reset();
}

void TSLLineF::Recalculate() const {
    if (!FModified)
        return;
    const TGPPointF o = GetOrigin();
    const TGPPointF d = GetDirection();
    double a = static_cast<double>(d.Y) - o.Y;
    double b = static_cast<double>(o.X) - d.X;
    double c = -a * o.X - b * o.Y;
    const double largest = std::max(std::max(std::fabs(a), std::fabs(b)), std::fabs(c));
    // Two coinciding points leave all three at 0 rather than dividing by nothing.
    const double factor = SameValue(largest, 0.0) ? largest : 1.0 / largest;
    FA = a * factor;
    FB = b * factor;
    FC = c * factor;
    FAngle = FDirectionPoint->AngleTo(o);
    FLength = FOriginPoint->DistanceTo(d);
    FModified = false;
}

bool TSLLineF::Intersect(const TSLLineF& other, TGPPointF& point) const {
    const double a1 = GetA(), b1 = GetB(), c1 = GetC();
    const double a2 = other.GetA(), b2 = other.GetB(), c2 = other.GetC();
    const double d = b1 * a2 - b2 * a1;
    const double nx = b1 * c2 - b2 * c1;
    const double ny = c1 * a2 - c2 * a1;
    if (SameValue(static_cast<long double>(d), 0.0L)) {
        const bool sameLine = SameValue(static_cast<long double>(nx), 0.0L) &&
                              SameValue(static_cast<long double>(ny), 0.0L);
        point = sameLine ? SLSameLinePoint : SLParallelLinePoint;
        return false;
    }
    point = {static_cast<float>(-nx / d), static_cast<float>(-ny / d)};
    return true;
}

void TSLLineF::SetPoints(const TGPPoint& origin, const TGPPoint& direction) {
    FOriginPoint->SetPoint(origin);
    FDirectionPoint->SetPoint(direction);
}

void TSLLineF::SetPointsF(const TGPPointF& origin, const TGPPointF& direction) {
    FOriginPoint->SetPointF(origin);
    FDirectionPoint->SetPointF(direction);
}

double TSLLineF::GetA() const {
    Recalculate();
    return FA;
}

double TSLLineF::GetB() const {
    Recalculate();
    return FB;
}

double TSLLineF::GetC() const {
    Recalculate();
    return FC;
}

double TSLLineF::GetLength() const {
    Recalculate();
    return FLength;
}

double TSLLineF::GetAngle() const {
    Recalculate();
    return FAngle;
}

void TSLLineF::SetOriginX(float value) {
    if (SameValue(FOriginPoint->GetX(), value))
        return;
    FOriginPoint->SetX(value);
    Changed();
}

void TSLLineF::SetOriginY(float value) {
    if (SameValue(FOriginPoint->GetY(), value))
        return;
    FOriginPoint->SetY(value);
    Changed();
}

void TSLLineF::SetDirectionX(float value) {
    if (SameValue(FDirectionPoint->GetX(), value))
        return;
    FDirectionPoint->SetX(value);
    Changed();
}

void TSLLineF::SetDirectionY(float value) {
    if (SameValue(FDirectionPoint->GetY(), value))
        return;
    FDirectionPoint->SetY(value);
    Changed();
}

double TSLLineF::PointParam(const TGPPointF& point) const {
    const TGPPointF o = GetOrigin();
    const TGPPointF d = GetDirection();
    double t = 0.0;
    if (SameValue(static_cast<long double>(point.X) - d.X, 0.0L, kParamCoordinateTolerance)) {
        if (SameValue(static_cast<long double>(point.Y) - d.Y, 0.0L, kParamCoordinateTolerance))
            return -1.0;
        t = (static_cast<double>(point.Y) - o.Y) / (static_cast<double>(d.Y) - point.Y);
    } else {
        t = (static_cast<double>(point.X) - o.X) / (static_cast<double>(d.X) - point.X);
    }
    if (SameValue(static_cast<long double>(t), 1.0L))
        return t + kMidPointParamNudge;
    return t;
}

void TSLLineF::PointAtDistance(double distance, TGPPointF& point) const {
    point = PointAtDistance(distance);
}

TGPPointF TSLLineF::PointAtDistance(double distance) const {
    const TGPPointF o = GetOrigin();
    if (SameValue(static_cast<long double>(distance), 0.0L))
        return o;
    const double length = GetLength();
    if (SameValue(static_cast<long double>(length), 0.0L))
        return {0.0f, 0.0f};
    const TGPPointF d = GetDirection();
    const double ratio = distance / length;
    return {static_cast<float>((static_cast<double>(d.X) - o.X) * ratio + o.X),
            static_cast<float>((static_cast<double>(d.Y) - o.Y) * ratio + o.Y)};
}

bool TSLLineF::ContainsPoint(const TGPPointF& point) const {
    const double value = GetA() * point.X + GetB() * point.Y + GetC();
    return SameValue(value, 0.0, kContainsTolerance);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TSLSegmentF::StaticClassInfo() {
    static const TClassInfo info{
        "TSLSegmentF", &TSLLineF::StaticClassInfo(), {}, Factory<TSLSegmentF>()};
    return info;
}

void TSLSegmentF::Recalculate() const {
    if (!IsModified())
        return;
    TSLLineF::Recalculate();
    const TGPPointF o = GetOrigin();
    const TGPPointF d = GetDirection();
    FMidPoint = {static_cast<float>((static_cast<double>(o.X) + d.X) * 0.5),
                 static_cast<float>((static_cast<double>(o.Y) + d.Y) * 0.5)};
}

bool TSLSegmentF::Intersect(const TSLLineF& other, TGPPointF& point) const {
    if (!TSLLineF::Intersect(other, point))
        return false;
    return IsOnSegment(point);
}

bool TSLSegmentF::IsOnSegment(const TGPPointF& point) const {
    if (!ContainsPoint(point))
        return false;
    const float t = static_cast<float>(PointParam(point));
    return t > 0.0f || SameValue(t, -1.0f);
}

TGPPointF TSLSegmentF::GetMidPoint() const {
    Recalculate();
    return FMidPoint;
}
