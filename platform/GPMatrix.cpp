#include "platform/GPMatrix.h"

#include "platform/GPQtAccess.h"

#include <cmath>

namespace {
TGPMatrix FromQt(const QTransform& t) {
    TGPMatrix m;
    SetQtTransform(m, t);
    return m;
}
} // namespace

TGPMatrix::TGPMatrix(float m11, float m12, float m21, float m22, float dx, float dy)
    : FElements{m11, m12, m21, m22, dx, dy} {}

std::array<float, 6> TGPMatrix::GetElements() const {
    std::array<float, 6> result{};
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<float>(FElements[i]);
    return result;
}

void TGPMatrix::SetElements(float m11, float m12, float m21, float m22, float dx, float dy) {
    FElements = {m11, m12, m21, m22, dx, dy};
}

void TGPMatrix::Reset() {
    FElements = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
}

// With row vectors, "a then b" is the product a * b.
void TGPMatrix::Combine(const TGPMatrix& step, TMatrixOrder order) {
    const QTransform present = QtTransform(*this);
    const QTransform added = QtTransform(step);
    SetQtTransform(*this, order == TMatrixOrder::Prepend ? added * present : present * added);
}

void TGPMatrix::Multiply(const TGPMatrix& other, TMatrixOrder order) {
    Combine(other, order);
}

void TGPMatrix::Translate(float offsetX, float offsetY, TMatrixOrder order) {
    Combine(FromQt(QTransform::fromTranslate(offsetX, offsetY)), order);
}

void TGPMatrix::Scale(float scaleX, float scaleY, TMatrixOrder order) {
    Combine(FromQt(QTransform::fromScale(scaleX, scaleY)), order);
}

void TGPMatrix::Rotate(float angle, TMatrixOrder order) {
    // QTransform::rotate uses the same sense (x toward y) and gives exact quarter turns.
    Combine(FromQt(QTransform().rotate(angle)), order);
}

void TGPMatrix::RotateAt(float angle, const TGPPointF& center, TMatrixOrder order) {
    const QTransform step = QTransform::fromTranslate(-center.X, -center.Y) *
                            QTransform().rotate(angle) *
                            QTransform::fromTranslate(center.X, center.Y);
    Combine(FromQt(step), order);
}

void TGPMatrix::Shear(float shearX, float shearY, TMatrixOrder order) {
    Combine(FromQt(QTransform().shear(shearX, shearY)), order);
}

bool TGPMatrix::Invert() {
    bool invertible = false;
    const QTransform inverse = QtTransform(*this).inverted(&invertible);
    if (invertible)
        SetQtTransform(*this, inverse);
    return invertible;
}

bool TGPMatrix::IsInvertible() const {
    return QtTransform(*this).isInvertible();
}

bool TGPMatrix::IsIdentity() const {
    return FElements == std::array<double, 6>{1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
}

TGPPointF TGPMatrix::TransformPoint(const TGPPointF& point) const {
    const auto& m = FElements;
    return {static_cast<float>(m[0] * point.X + m[2] * point.Y + m[4]),
            static_cast<float>(m[1] * point.X + m[3] * point.Y + m[5])};
}

void TGPMatrix::TransformPoints(std::span<TGPPointF> points) const {
    for (auto& p : points)
        p = TransformPoint(p);
}

// Integer points are rounded to the nearest pixel, halves to the even neighbour.
void TGPMatrix::TransformPoints(std::span<TGPPoint> points) const {
    for (auto& p : points) {
        const TGPPointF moved = TransformPoint({static_cast<float>(p.X), static_cast<float>(p.Y)});
        p = {static_cast<std::int32_t>(std::nearbyint(moved.X)),
             static_cast<std::int32_t>(std::nearbyint(moved.Y))};
    }
}

void TGPMatrix::TransformVectors(std::span<TGPPointF> vectors) const {
    const auto& m = FElements;
    for (auto& v : vectors)
        v = {static_cast<float>(m[0] * v.X + m[2] * v.Y),
             static_cast<float>(m[1] * v.X + m[3] * v.Y)};
}
