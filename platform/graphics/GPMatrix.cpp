#include "platform/graphics/GPMatrix.h"

#include "platform/graphics/GPQtAccess.h"

namespace {
TGPMatrix FromQt(const QTransform& t) {
    TGPMatrix m;
    SetQtTransform(m, t);
    return m;
}
} // namespace

TGPMatrix::TGPMatrix(float m11, float m12, float m21, float m22, float dx, float dy)
    : FElements{m11, m12, m21, m22, dx, dy} {}

void TGPMatrix::Reset() {
    FElements = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
}

// With row vectors, "a then b" is the product a * b.
void TGPMatrix::Combine(const TGPMatrix& step, TMatrixOrder order) {
    const QTransform present = QtTransform(*this);
    const QTransform added = QtTransform(step);
    SetQtTransform(*this, order == TMatrixOrder::Prepend ? added * present : present * added);
}

void TGPMatrix::Translate(float offsetX, float offsetY, TMatrixOrder order) {
    Combine(FromQt(QTransform::fromTranslate(offsetX, offsetY)), order);
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

bool TGPMatrix::IsIdentity() const {
    return FElements == std::array<double, 6>{1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
}

TGPPointF TGPMatrix::TransformPoint(const TGPPointF& point) const {
    const auto& m = FElements;
    return {static_cast<float>(m[0] * point.X + m[2] * point.Y + m[4]),
            static_cast<float>(m[1] * point.X + m[3] * point.Y + m[5])};
}
