#pragma once
// An area of the plane in pixel coordinates, built from paths and rectangles and combined
// with others. A new region without arguments is infinite (covers everything); MakeEmpty
// makes it cover nothing.

#include "platform/graphics/GPTypes.h"

#include <memory>

class TGPGraphicsPath;
class TGPMatrix;

class TGPRegion {
public:
    // What GetBounds reports for an infinite region.
    static constexpr TGPRectF InfiniteBounds{-4194304.0f, -4194304.0f, 8388608.0f, 8388608.0f};

    struct TImpl; // defined in platform/graphics/GPQtAccess.h

    TGPRegion();
    explicit TGPRegion(const TGPRectF& rect);
    // The area the path encloses under its fill mode; open figures count as closed.
    explicit TGPRegion(const TGPGraphicsPath& path);
    TGPRegion(const TGPRegion& other);
    TGPRegion& operator=(const TGPRegion& other);
    TGPRegion(TGPRegion&&) noexcept;
    TGPRegion& operator=(TGPRegion&&) noexcept;
    ~TGPRegion();

    void MakeEmpty();
    void MakeInfinite();

    void Union(const TGPRegion& other);
    void Union(const TGPGraphicsPath& path);
    void Union(const TGPRectF& rect);
    void Intersect(const TGPRegion& other);
    void Intersect(const TGPGraphicsPath& path);
    void Intersect(const TGPRectF& rect);
    // Removes the other area from this one.
    void Exclude(const TGPRegion& other);
    void Exclude(const TGPGraphicsPath& path);
    void Exclude(const TGPRectF& rect);
    void Xor(const TGPRegion& other);
    // Becomes the part of the other area that lies outside this one.
    void Complement(const TGPRegion& other);
    // Combines by mode; Replace takes the other area as it is.
    void Combine(const TGPRegion& other, TCombineMode mode);

    void Transform(const TGPMatrix& matrix);

    TGPRectF GetBounds() const;
    bool IsEmpty() const;
    bool IsInfinite() const;
    bool IsVisible(const TGPPointF& point) const;
    bool IsVisible(float x, float y) const;

    const TImpl& Native() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};
