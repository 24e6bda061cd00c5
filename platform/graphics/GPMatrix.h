#pragma once
// A 2-D affine transformation in the drawing engine's convention: points are row vectors,
// (x, y, 1) times the matrix, so x' = M11 x + M21 y + DX and y' = M12 x + M22 y + DY.
// Angles are degrees; with y pointing down a positive angle turns clockwise on the screen.
// Every step takes an order: Prepend (the default) makes the new step act on points before
// the present transformation, Append after it.

#include "platform/graphics/GPTypes.h"

#include <array>

class TGPMatrix {
public:
    // The identity.
    TGPMatrix() = default;
    TGPMatrix(float m11, float m12, float m21, float m22, float dx, float dy);

    void Reset();
    void Translate(float offsetX, float offsetY, TMatrixOrder order = TMatrixOrder::Prepend);
    void Rotate(float angle, TMatrixOrder order = TMatrixOrder::Prepend);
    // Turns about center (given in the coordinates that the rotation step receives).
    void RotateAt(float angle, const TGPPointF& center, TMatrixOrder order = TMatrixOrder::Prepend);

    bool IsIdentity() const;

    TGPPointF TransformPoint(const TGPPointF& point) const;

    bool Equals(const TGPMatrix& other) const { return FElements == other.FElements; }

    // Full-precision elements M11, M12, M21, M22, DX, DY; used by the drawing layer.
    const std::array<double, 6>& Elements() const { return FElements; }
    void SetElements(const std::array<double, 6>& elements) { FElements = elements; }

private:
    void Combine(const TGPMatrix& step, TMatrixOrder order);

    // Kept in double so that a chain of steps does not drift; the interface speaks float.
    std::array<double, 6> FElements{1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
};
