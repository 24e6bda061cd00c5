#include "platform/graphics/GPGraphicsPath.h"

#include "platform/graphics/GPQtAccess.h"
#include "platform/graphics/GPQtDrawAccess.h"

#include <QFontMetricsF>
#include <QImage>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {
constexpr double kFullTurn = 360.0;
constexpr double kMetersPerInch = 0.0254;

double DegToRad(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

double RadToDeg(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

// The ellipse parameter t (point = centre + (a cos t, b sin t)) of the point whose direction
// seen from the centre is the given angle. Both in degrees, y downward. The result stays in
// the same turn as the angle, so sweeps of any length keep their sense and extent.
double EllipseParameter(double angle, double a, double b) {
    if (a == b || a <= 0.0 || b <= 0.0)
        return angle;
    const double rad = DegToRad(angle);
    const double t = std::atan2(a * std::sin(rad), b * std::cos(rad));
    const double turns = std::round((rad - t) / (2.0 * std::numbers::pi));
    return RadToDeg(t + turns * 2.0 * std::numbers::pi);
}

// An arc as ellipse parameters in radians (the parameter grows clockwise on the screen).
struct TArc {
    QPointF Centre;
    double A = 0.0; // half width
    double B = 0.0; // half height
    double Start = 0.0;
    double Sweep = 0.0;

    QPointF At(double t) const { return Centre + QPointF(A * std::cos(t), B * std::sin(t)); }
    QPointF Tangent(double t) const { return QPointF(-A * std::sin(t), B * std::cos(t)); }
};

TArc ToArc(const TGPRectF& rect, float startAngle, float sweepAngle) {
    const double sweep = std::clamp<double>(sweepAngle, -kFullTurn, kFullTurn);
    const double a = rect.Width / 2.0;
    const double b = rect.Height / 2.0;
    const double start = EllipseParameter(startAngle, a, b);
    const double end =
        std::abs(sweep) == kFullTurn ? start + sweep : EllipseParameter(startAngle + sweep, a, b);
    return {QPointF(rect.X + a, rect.Y + b), a, b, DegToRad(start), DegToRad(end - start)};
}

// Cubic pieces of at most a quarter turn each, with exact end points; the control points
// lie along the tangents at 4/3 tan(h/4) of the parameter step h.
void AppendArc(QPainterPath& path, const TArc& arc) {
    const int pieces = std::max(
        1, static_cast<int>(std::ceil(std::abs(arc.Sweep) / (std::numbers::pi / 2) - 1e-9)));
    const double step = arc.Sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4.0);
    // A full turn ends exactly where it began, so closing it adds no sliver of a line.
    const bool fullTurn = std::abs(arc.Sweep) >= 2.0 * std::numbers::pi;
    for (int i = 0; i < pieces; ++i) {
        const bool last = i + 1 == pieces;
        const double t0 = arc.Start + i * step;
        const double t1 = last ? arc.Start + arc.Sweep : t0 + step;
        const QPointF end = last && fullTurn ? arc.At(arc.Start) : arc.At(t1);
        path.cubicTo(arc.At(t0) + k * arc.Tangent(t0), end - k * arc.Tangent(t1), end);
    }
}

// Cubic pieces are cut into enough straight pieces that none strays farther than flatness
// from the curve: a chord of a piece of parameter length h deviates at most M h^2 / 8,
// M bounding the second derivative (6 times the larger second difference of the controls).
int PiecesForCubic(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3,
                   double flatness) {
    const QPointF d1 = p0 - 2.0 * p1 + p2;
    const QPointF d2 = p1 - 2.0 * p2 + p3;
    const double m = 6.0 * std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
    const double pieces = std::ceil(std::sqrt(m / (8.0 * std::max(flatness, 1e-3))));
    return std::clamp(static_cast<int>(pieces), 1, 1000);
}

QPointF CubicPoint(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3,
                   double t) {
    const double u = 1.0 - t;
    return u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
}

QPainterPath Flattened(const QPainterPath& path, double flatness) {
    QPainterPath result;
    result.setFillRule(path.fillRule());
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            result.moveTo(e);
        } else if (e.isLineTo()) {
            result.lineTo(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPointF c1 = e;
            const QPointF c2 = path.elementAt(i + 1);
            const QPointF end = path.elementAt(i + 2);
            const int pieces = PiecesForCubic(current, c1, c2, end, flatness);
            for (int k = 1; k < pieces; ++k)
                result.lineTo(CubicPoint(current, c1, c2, end, double(k) / pieces));
            result.lineTo(end);
            i += 2;
        }
        current = result.currentPosition();
    }
    return result;
}

// The area a stroke covers. The figures may overlap where the stroke turns; filled by the
// non-zero rule they give exactly that area.
QPainterPath StrokeArea(const QPainterPath& flat, const TGPPen& pen, float width) {
    QPainterPathStroker stroker;
    ConfigureQtStroker(stroker, pen);
    stroker.setWidth(width);
    QPainterPath stroke = stroker.createStroke(flat);
    stroke.setFillRule(Qt::WindingFill);
    return stroke;
}
} // namespace

Qt::FillRule QtFillRule(TFillMode fillMode) {
    return fillMode == TFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill;
}

TGPGraphicsPath::TGPGraphicsPath(TFillMode fillMode) : FImpl(std::make_unique<TImpl>()) {
    FImpl->Path.setFillRule(QtFillRule(fillMode));
}

TGPGraphicsPath::TGPGraphicsPath(const TGPGraphicsPath& other)
    : FImpl(std::make_unique<TImpl>(*other.FImpl)) {}

TGPGraphicsPath& TGPGraphicsPath::operator=(const TGPGraphicsPath& other) {
    if (this != &other)
        FImpl = std::make_unique<TImpl>(*other.FImpl);
    return *this;
}

TGPGraphicsPath::TGPGraphicsPath(TGPGraphicsPath&&) noexcept = default;
TGPGraphicsPath& TGPGraphicsPath::operator=(TGPGraphicsPath&&) noexcept = default;
TGPGraphicsPath::~TGPGraphicsPath() = default;

TFillMode TGPGraphicsPath::GetFillMode() const {
    return FImpl->Path.fillRule() == Qt::WindingFill ? TFillMode::Winding : TFillMode::Alternate;
}

void TGPGraphicsPath::Reset() {
    FImpl->Path = QPainterPath();
    FImpl->FigureOpen = false;
}

void TGPGraphicsPath::StartFigure() {
    FImpl->FigureOpen = false;
}

void TGPGraphicsPath::CloseFigure() {
    if (FImpl->FigureOpen)
        FImpl->Path.closeSubpath();
    FImpl->FigureOpen = false;
}

void TGPGraphicsPath::AddLine(const TGPPointF& pt1, const TGPPointF& pt2) {
    AddLines(std::array{pt1, pt2});
}

void TGPGraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
    AddLine(TGPPointF(x1, y1), TGPPointF(x2, y2));
}

void TGPGraphicsPath::AddLines(std::span<const TGPPointF> points) {
    if (points.empty())
        return;
    QPainterPath& path = FImpl->Path;
    const QPointF first(points.front().X, points.front().Y);
    if (FImpl->FigureOpen) {
        if (path.currentPosition() != first)
            path.lineTo(first);
    } else
        path.moveTo(first);
    for (const auto& p : points.subspan(1))
        path.lineTo(p.X, p.Y);
    FImpl->FigureOpen = true;
}

void TGPGraphicsPath::AddArc(const TGPRectF& rect, float startAngle, float sweepAngle) {
    const TArc arc = ToArc(rect, startAngle, sweepAngle);
    const QPointF first = arc.At(arc.Start);
    QPainterPath& path = FImpl->Path;
    if (!FImpl->FigureOpen)
        path.moveTo(first);
    else if (path.currentPosition() != first)
        path.lineTo(first);
    AppendArc(path, arc);
    FImpl->FigureOpen = true;
}

void TGPGraphicsPath::AddArc(float x, float y, float width, float height, float startAngle,
                             float sweepAngle) {
    AddArc(TGPRectF(x, y, width, height), startAngle, sweepAngle);
}

void TGPGraphicsPath::AddRectangle(const TGPRectF& rect) {
    QPainterPath& path = FImpl->Path;
    path.moveTo(rect.GetLeft(), rect.GetTop());
    path.lineTo(rect.GetRight(), rect.GetTop());
    path.lineTo(rect.GetRight(), rect.GetBottom());
    path.lineTo(rect.GetLeft(), rect.GetBottom());
    path.closeSubpath();
    FImpl->FigureOpen = false;
}

void TGPGraphicsPath::AddEllipse(const TGPRectF& rect) {
    StartFigure();
    AddArc(rect, 0.0f, static_cast<float>(kFullTurn));
    CloseFigure();
}

void TGPGraphicsPath::AddEllipse(float x, float y, float width, float height) {
    AddEllipse(TGPRectF(x, y, width, height));
}

void TGPGraphicsPath::AddPie(const TGPRectF& rect, float startAngle, float sweepAngle) {
    const TArc arc = ToArc(rect, startAngle, sweepAngle);
    FImpl->Path.moveTo(arc.Centre);
    FImpl->Path.lineTo(arc.At(arc.Start));
    AppendArc(FImpl->Path, arc);
    FImpl->Path.closeSubpath();
    FImpl->FigureOpen = false;
}

void TGPGraphicsPath::AddPie(float x, float y, float width, float height, float startAngle,
                             float sweepAngle) {
    AddPie(TGPRectF(x, y, width, height), startAngle, sweepAngle);
}

void TGPGraphicsPath::Flatten(const TGPMatrix* matrix, float /*flatness*/) {
    // Qt splits curves finely enough for pixel work on its own.
    const QTransform transform = matrix ? QtTransform(*matrix) : QTransform();
    QPainterPath flat;
    flat.setFillRule(FImpl->Path.fillRule());
    for (const QPolygonF& figure : FImpl->Path.toSubpathPolygons(transform))
        flat.addPolygon(figure);
    FImpl->Path = flat;
    FImpl->FigureOpen = false;
}

void TGPGraphicsPath::AddString(const std::string& text, const TGPFont& font,
                                const TGPPointF& origin, const TGPStringFormat* format,
                                float dpiY) {
    if (text.empty() || !font.IsAvailable())
        return;
    // The font as a surface of that resolution holds it.
    QImage surface(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMeter = qRound(dpiY / kMetersPerInch);
    surface.setDotsPerMeterX(dotsPerMeter);
    surface.setDotsPerMeterY(dotsPerMeter);
    const QFont qtFont(QtFontForDevice(font, dpiY), &surface);
    const QFontMetricsF metrics(qtFont, &surface);
    const QStringList lines =
        QString::fromUtf8(text.data(), qsizetype(text.size())).split(QLatin1Char('\n'));
    // Each line's baseline lies its ascent below the top of its line box.
    QPainterPath glyphs;
    for (qsizetype i = 0; i < lines.size(); ++i)
        glyphs.addText(QPointF(0, metrics.ascent() + i * metrics.lineSpacing()), qtFont, lines[i]);
    const qreal height = metrics.lineSpacing() * lines.size();
    // Vertical text: a quarter turn clockwise about the upright box's top-right corner.
    const QTransform placement =
        format && format->IsVertical()
            ? QTransform().rotate(90) * QTransform::fromTranslate(origin.X + height, origin.Y)
            : QTransform::fromTranslate(origin.X, origin.Y);
    FImpl->Path.addPath(placement.map(glyphs));
    FImpl->FigureOpen = false;
}

void TGPGraphicsPath::AddPolygon(std::span<const TGPPointF> points) {
    if (points.empty())
        return;
    StartFigure();
    AddLines(points);
    CloseFigure();
}

void TGPGraphicsPath::Transform(const TGPMatrix& matrix) {
    const Qt::FillRule rule = FImpl->Path.fillRule();
    FImpl->Path = QtTransform(matrix).map(FImpl->Path);
    FImpl->Path.setFillRule(rule);
}

void TGPGraphicsPath::Widen(const TGPPen& pen, const TGPMatrix* matrix, float flatness) {
    const Qt::FillRule rule = FImpl->Path.fillRule();
    QPainterPath source = FImpl->Path;
    if (matrix)
        source = QtTransform(*matrix).map(source);
    const QPainterPath flat = Flattened(source, flatness);

    if (pen.GetAlignment() == TPenAlignment::Inset) {
        // A stroke twice as wide, centred on the outline, cut down to the enclosed area. The
        // cut leaves figures that do not overlap, so the fill mode stays as it was.
        FImpl->Path = StrokeArea(flat, pen, 2.0f * pen.GetWidth()).intersected(flat);
        FImpl->Path.setFillRule(rule);
    } else {
        // Making the overlapping stroke figures disjoint costs milliseconds on a circle, too
        // much for a hit test on every pointer move; the path is switched to winding instead.
        FImpl->Path = StrokeArea(flat, pen, pen.GetWidth());
    }
    FImpl->FigureOpen = false;
}

TGPRectF TGPGraphicsPath::GetBounds(const TGPMatrix* matrix) const {
    const QRectF bounds =
        matrix ? QtTransform(*matrix).map(FImpl->Path).boundingRect() : FImpl->Path.boundingRect();
    return {static_cast<float>(bounds.x()), static_cast<float>(bounds.y()),
            static_cast<float>(bounds.width()), static_cast<float>(bounds.height())};
}

bool TGPGraphicsPath::IsEmpty() const {
    return FImpl->Path.elementCount() == 0;
}

bool TGPGraphicsPath::IsVisible(const TGPPointF& point) const {
    return FImpl->Path.contains(QPointF(point.X, point.Y));
}

bool TGPGraphicsPath::IsVisible(float x, float y) const {
    return IsVisible(TGPPointF(x, y));
}
