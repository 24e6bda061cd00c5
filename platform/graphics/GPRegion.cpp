#include "platform/graphics/GPRegion.h"

#include "platform/graphics/GPQtAccess.h"

namespace {
QPainterPath InfiniteArea() {
    const TGPRectF& r = TGPRegion::InfiniteBounds;
    QPainterPath area;
    area.addRect(r.X, r.Y, r.Width, r.Height);
    return area;
}

bool IsEmptyArea(const QPainterPath& area) {
    if (area.isEmpty())
        return true;
    const QRectF bounds = area.boundingRect();
    return bounds.width() <= 0.0 || bounds.height() <= 0.0;
}
} // namespace

TGPRegion::TGPRegion() : FImpl(std::make_unique<TImpl>()) {
    MakeInfinite();
}

TGPRegion::TGPRegion(const TGPRectF& rect) : FImpl(std::make_unique<TImpl>()) {
    FImpl->Infinite = false;
    FImpl->Area.addRect(rect.X, rect.Y, rect.Width, rect.Height);
}

TGPRegion::TGPRegion(const TGPGraphicsPath& path) : FImpl(std::make_unique<TImpl>()) {
    FImpl->Infinite = false;
    FImpl->Area = QtPath(path);
}

TGPRegion::TGPRegion(const TGPRegion& other) : FImpl(std::make_unique<TImpl>(*other.FImpl)) {}

TGPRegion& TGPRegion::operator=(const TGPRegion& other) {
    if (this != &other)
        FImpl = std::make_unique<TImpl>(*other.FImpl);
    return *this;
}

TGPRegion::TGPRegion(TGPRegion&&) noexcept = default;
TGPRegion& TGPRegion::operator=(TGPRegion&&) noexcept = default;
TGPRegion::~TGPRegion() = default;

void TGPRegion::MakeEmpty() {
    FImpl->Area = QPainterPath();
    FImpl->Infinite = false;
}

void TGPRegion::MakeInfinite() {
    FImpl->Area = InfiniteArea();
    FImpl->Infinite = true;
}

void TGPRegion::Union(const TGPRegion& other) {
    if (FImpl->Infinite)
        return;
    if (other.FImpl->Infinite) {
        MakeInfinite();
        return;
    }
    FImpl->Area =
        IsEmptyArea(FImpl->Area) ? other.FImpl->Area : FImpl->Area.united(other.FImpl->Area);
}

void TGPRegion::Intersect(const TGPRegion& other) {
    if (other.FImpl->Infinite)
        return;
    if (FImpl->Infinite) {
        *FImpl = *other.FImpl;
        return;
    }
    FImpl->Area = FImpl->Area.intersected(other.FImpl->Area);
}

void TGPRegion::Exclude(const TGPRegion& other) {
    if (other.FImpl->Infinite) {
        MakeEmpty();
        return;
    }
    FImpl->Area = FImpl->Area.subtracted(other.FImpl->Area);
    FImpl->Infinite = false;
}

void TGPRegion::Xor(const TGPRegion& other) {
    const QPainterPath& a = FImpl->Area;
    const QPainterPath& b = other.FImpl->Area;
    FImpl->Area = a.subtracted(b).united(b.subtracted(a));
    FImpl->Infinite = false;
}

void TGPRegion::Complement(const TGPRegion& other) {
    FImpl->Area = other.FImpl->Area.subtracted(FImpl->Area);
    FImpl->Infinite = false;
}

void TGPRegion::Combine(const TGPRegion& other, TCombineMode mode) {
    switch (mode) {
    case TCombineMode::Replace:
        *FImpl = *other.FImpl;
        break;
    case TCombineMode::Intersect:
        Intersect(other);
        break;
    case TCombineMode::Union:
        Union(other);
        break;
    case TCombineMode::Xor:
        Xor(other);
        break;
    case TCombineMode::Exclude:
        Exclude(other);
        break;
    case TCombineMode::Complement:
        Complement(other);
        break;
    }
}

void TGPRegion::Union(const TGPGraphicsPath& path) {
    Union(TGPRegion(path));
}

void TGPRegion::Union(const TGPRectF& rect) {
    Union(TGPRegion(rect));
}

void TGPRegion::Intersect(const TGPGraphicsPath& path) {
    Intersect(TGPRegion(path));
}

void TGPRegion::Intersect(const TGPRectF& rect) {
    Intersect(TGPRegion(rect));
}

void TGPRegion::Exclude(const TGPGraphicsPath& path) {
    Exclude(TGPRegion(path));
}

void TGPRegion::Exclude(const TGPRectF& rect) {
    Exclude(TGPRegion(rect));
}

// An infinite region stays infinite whatever the transformation.
void TGPRegion::Transform(const TGPMatrix& matrix) {
    if (FImpl->Infinite)
        return;
    const Qt::FillRule rule = FImpl->Area.fillRule();
    FImpl->Area = QtTransform(matrix).map(FImpl->Area);
    FImpl->Area.setFillRule(rule);
}

TGPRectF TGPRegion::GetBounds() const {
    if (FImpl->Infinite)
        return InfiniteBounds;
    const QRectF bounds = FImpl->Area.boundingRect();
    return {static_cast<float>(bounds.x()), static_cast<float>(bounds.y()),
            static_cast<float>(bounds.width()), static_cast<float>(bounds.height())};
}

bool TGPRegion::IsEmpty() const {
    return !FImpl->Infinite && IsEmptyArea(FImpl->Area);
}

bool TGPRegion::IsInfinite() const {
    return FImpl->Infinite;
}

bool TGPRegion::IsVisible(const TGPPointF& point) const {
    return FImpl->Infinite || FImpl->Area.contains(QPointF(point.X, point.Y));
}

bool TGPRegion::IsVisible(float x, float y) const {
    return IsVisible(TGPPointF(x, y));
}
