#pragma once
// A path of figures in pixel coordinates (x to the right, y downward), in the manner of the
// drawing engine we stand in for:
// - lines, line strips and arcs extend the current open figure (joined to its last point by
//   a straight line); rectangles, ellipses, pies and polygons are figures of their own,
//   closed at once;
// - StartFigure leaves the current figure open and starts a new one, CloseFigure closes it;
// - angles are degrees measured clockwise on the screen from the +x axis; an arc lies on
//   the ellipse inscribed in its bounding rectangle, and its start and sweep angles are the
//   directions, seen from the ellipse's centre, of its end points.
// Open figures count as closed where the path is used as an area (IsVisible, regions).

#include "platform/graphics/GPTypes.h"

#include <memory>
#include <span>
#include <string>

class TGPFont;
class TGPMatrix;
class TGPPen;
class TGPStringFormat;

class TGPGraphicsPath {
public:
    // How curves are flattened when the path is widened: the largest distance, in pixels,
    // between a curve and the straight pieces that replace it.
    static constexpr float DefaultFlatness = 0.25f;

    struct TImpl; // defined in platform/graphics/GPQtAccess.h

    explicit TGPGraphicsPath(TFillMode fillMode = TFillMode::Alternate);
    TGPGraphicsPath(const TGPGraphicsPath& other);
    TGPGraphicsPath& operator=(const TGPGraphicsPath& other);
    TGPGraphicsPath(TGPGraphicsPath&&) noexcept;
    TGPGraphicsPath& operator=(TGPGraphicsPath&&) noexcept;
    ~TGPGraphicsPath();

    TFillMode GetFillMode() const;

    // Empties the path; the fill mode goes back to alternate.
    void Reset();
    void StartFigure();
    void CloseFigure();

    void AddLine(const TGPPointF& pt1, const TGPPointF& pt2);
    void AddLine(float x1, float y1, float x2, float y2);
    void AddLines(std::span<const TGPPointF> points);
    void AddArc(const TGPRectF& rect, float startAngle, float sweepAngle);
    void AddArc(float x, float y, float width, float height, float startAngle, float sweepAngle);

    void AddRectangle(const TGPRectF& rect);
    void AddEllipse(const TGPRectF& rect);
    void AddEllipse(float x, float y, float width, float height);
    // From the centre out to the arc's start, along the arc, and back to the centre.
    void AddPie(const TGPRectF& rect, float startAngle, float sweepAngle);
    void AddPie(float x, float y, float width, float height, float startAngle, float sweepAngle);
    void AddPolygon(std::span<const TGPPointF> points);

    // Adds the outlines of the glyphs of text (UTF-8, lines separated by "\n") as closed
    // figures, laid out exactly as TGPGraphics::DrawString draws it at origin on a
    // surface of dpiY dots per inch (which turns the font's size in points into pixels).
    // Filled, the figures are the text; unlike drawn text they are ready to be placed
    // under any transform without laying the glyphs out again.
    void AddString(const std::string& text, const TGPFont& font, const TGPPointF& origin,
                   const TGPStringFormat* format, float dpiY);

    // Replaces every curve by straight pieces (after moving the path through the matrix,
    // if one is given), so that drawing it later has no curves left to split.
    void Flatten(const TGPMatrix* matrix = nullptr, float flatness = DefaultFlatness);

    // Moves every point of the path through the matrix.
    void Transform(const TGPMatrix& matrix);

    // Replaces the path by the outline of the area that the pen would cover when stroking
    // it (after moving it through the matrix, if one is given). Curves are first flattened
    // to within flatness pixels. The result is a set of closed figures whose area, as the
    // path's fill mode fills it, is what the pen covers: with a centred pen the fill mode
    // becomes winding, because the stroke's figures overlap where it turns; with an inset
    // pen (which covers only the part inside the path's closed figures) the figures are
    // disjoint and the fill mode is kept.
    void Widen(const TGPPen& pen, const TGPMatrix* matrix = nullptr,
               float flatness = DefaultFlatness);

    // The smallest rectangle holding every point of the path (after the matrix, if any).
    TGPRectF GetBounds(const TGPMatrix* matrix = nullptr) const;
    bool IsEmpty() const;

    // Whether the point lies in the area the path encloses under its fill mode.
    bool IsVisible(const TGPPointF& point) const;
    bool IsVisible(float x, float y) const;

    const TImpl& Native() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};
