#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsQt.h"

#include "platform/graphics/GPQtAccess.h"
#include "platform/graphics/GPQtDrawAccess.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <optional>
#include <vector>

namespace {
// Anti-aliased shapes are shifted by half a pixel on the surface so that whole world
// coordinates fall on pixel centres (Qt puts them on pixel corners). Qt's aliased
// rasteriser already fills and strokes the pixels we want without the shift.
constexpr qreal kPixelCentreOffset = 0.5;
// How far past the surface's edges the "everything" clip reaches, in pixels.
constexpr qreal kUnboundedClipMargin = 2.0;
constexpr qreal kDegreesPerQuarterTurn = 90.0;

struct TQuality {
    TSmoothingMode Smoothing = SmoothingModeDefault;
    TInterpolationMode Interpolation = InterpolationModeDefault;
    TTextRenderingHint TextHint = TextRenderingHintSystemDefault;
};

struct TSavedState {
    TGraphicsState Id = 0;
    QTransform World;
    std::optional<QPainterPath> Clip;
    TQuality Quality;
};

bool IsAntiAliased(TSmoothingMode mode) {
    return mode == SmoothingModeHighQuality || mode == SmoothingModeAntiAlias ||
           mode == SmoothingModeAntiAlias8x8;
}

bool IsHighQualityResampling(TInterpolationMode mode) {
    return mode == InterpolationModeHighQuality || mode == InterpolationModeHighQualityBilinear ||
           mode == InterpolationModeHighQualityBicubic;
}

bool IsSingleBitText(TTextRenderingHint hint) {
    return hint == TextRenderingHintSingleBitPerPixel ||
           hint == TextRenderingHintSingleBitPerPixelGridFit;
}

QPainterPath Rectangle(float x, float y, float width, float height) {
    QPainterPath path;
    path.addRect(QRectF(x, y, width, height));
    return path;
}

QPainterPath Ellipse(float x, float y, float width, float height) {
    QPainterPath path;
    path.addEllipse(QRectF(x, y, width, height));
    return path;
}
} // namespace

struct TGPGraphics::TImpl {
    std::unique_ptr<QPainter> OwnPainter; // set when drawing on an image
    QPainter* Painter = nullptr;          // null when there is nothing to draw on
    // The painter's own transform when the surface was made: surface -> device. Surface
    // coordinates are the world transform's target and the clip's frame.
    QTransform Device;
    QTransform World;
    std::optional<QPainterPath> Clip; // surface coordinates; none means everything
    // Whether the clip's edge is anti-aliased: as the smoothing was when it was set or
    // restored.
    bool ClipAntiAliased = false;
    // What the painter was last clipped to, and whether with anti-aliasing (which shapes
    // the clip's edge). Rasterising a clip costs about as much as filling its area, so
    // the painter is clipped only when something is drawn, and a clip that is set again
    // unchanged (a restored state, the same outline once more) or that is replaced before
    // anything is drawn under it is never rasterised.
    bool ClipPending = false; // the clip was set, reset or restored since the painter got it
    bool ClipApplied = false;
    std::optional<QPainterPath> AppliedClip;
    bool AppliedClipAntiAliased = false;
    TQuality Quality;
    std::vector<TSavedState> Saved;
    TGraphicsState NextStateId = 1;

    bool Active() const { return Painter && Painter->isActive(); }

    void ApplyQuality() {
        if (!Active())
            return;
        Painter->setRenderHint(QPainter::Antialiasing, IsAntiAliased(Quality.Smoothing));
        Painter->setRenderHint(QPainter::SmoothPixmapTransform,
                               Quality.Interpolation != InterpolationModeNearestNeighbor);
        Painter->setRenderHint(QPainter::TextAntialiasing, !IsSingleBitText(Quality.TextHint));
    }

    // Takes note of a new clip (or none); the painter gets it when something is drawn.
    void ClipChanged() {
        ClipAntiAliased = IsAntiAliased(Quality.Smoothing);
        ClipPending = true;
    }

    // Before anything is drawn: the painter clipped as the surface is.
    void ApplyClip() {
        if (!Active() || !ClipPending)
            return;
        ClipPending = false;
        if (ClipApplied && AppliedClip == Clip &&
            (!Clip || AppliedClipAntiAliased == ClipAntiAliased))
            return;
        ClipApplied = true;
        AppliedClip = Clip;
        AppliedClipAntiAliased = ClipAntiAliased;
        if (!Clip) {
            Painter->setClipping(false);
            return;
        }
        // The painter takes the clip under the anti-aliasing it was set with.
        const bool antiAliased = Painter->testRenderHint(QPainter::Antialiasing);
        if (antiAliased != ClipAntiAliased)
            Painter->setRenderHint(QPainter::Antialiasing, ClipAntiAliased);
        Painter->setWorldTransform(Device);
        Painter->setClipPath(*Clip, Qt::ReplaceClip);
        if (antiAliased != ClipAntiAliased)
            Painter->setRenderHint(QPainter::Antialiasing, antiAliased);
    }

    bool ShiftsShapes() const { return IsAntiAliased(Quality.Smoothing); }

    QTransform ShapeTransform() const {
        if (!ShiftsShapes())
            return World;
        return World * QTransform::fromTranslate(kPixelCentreOffset, kPixelCentreOffset);
    }

    // The area that "no clip" stands for when an area is taken away from it.
    QPainterPath Everything() const {
        QPainterPath path;
        const QRectF surface = Device.inverted().mapRect(
            QRectF(0, 0, Painter->device()->width(), Painter->device()->height()));
        path.addRect(surface.adjusted(-kUnboundedClipMargin, -kUnboundedClipMargin,
                                      kUnboundedClipMargin, kUnboundedClipMargin));
        return path;
    }

    double DpiY() const { return Active() ? Painter->device()->logicalDpiY() : 96.0; }

    QFont FontFor(const TGPFont& font) const {
        QFont qtFont = QtFontForDevice(font, DpiY());
        if (IsSingleBitText(Quality.TextHint))
            qtFont.setStyleStrategy(QFont::NoAntialias);
        return qtFont;
    }

    // The brush as Qt should use it under the painter's present world transform: hatch
    // patterns are held in place on the surface, textures keep their pixels on whole
    // world coordinates whether or not shapes are shifted.
    QBrush BrushFor(const TGPBrush& brush, bool shifted) const {
        QBrush qtBrush = *brush.Native().Brush;
        if (brush.Native().DeviceAligned)
            qtBrush.setTransform(Painter->worldTransform().inverted());
        else if (shifted)
            qtBrush.setTransform(
                QTransform::fromTranslate(-kPixelCentreOffset, -kPixelCentreOffset));
        return qtBrush;
    }

    void Fill(const TGPBrush& brush, const QPainterPath& path) {
        if (!Active() || brush.IsEmpty())
            return;
        ApplyClip();
        Painter->setWorldTransform(ShapeTransform() * Device);
        Painter->fillPath(path, BrushFor(brush, ShiftsShapes()));
    }

    void Stroke(const TGPPen& pen, const QPainterPath& path) {
        if (!Active())
            return;
        ApplyClip();
        Painter->setWorldTransform(ShapeTransform() * Device);
        Painter->strokePath(path, QtPen(pen));
    }

    QSizeF TextSize(const QString& text, const QFont& font) const {
        const QFontMetricsF metrics(font, Painter ? Painter->device() : nullptr);
        const QStringList lines = text.split(QLatin1Char('\n'));
        qreal width = 0;
        for (const QString& line : lines)
            width = std::max(width, metrics.horizontalAdvance(line));
        return QSizeF(width, metrics.lineSpacing() * lines.size());
    }
};

TGPGraphics::TGPGraphics(TGPImage& image) : FImpl(std::make_unique<TImpl>()) {
    QImage& pixels = image.Native().Image;
    if (!pixels.isNull()) {
        FImpl->OwnPainter = std::make_unique<QPainter>(&pixels);
        FImpl->Painter = FImpl->OwnPainter.get();
    }
    FImpl->ApplyQuality();
}

TGPGraphics::TGPGraphics(std::unique_ptr<TImpl> impl) : FImpl(std::move(impl)) {
    FImpl->ApplyQuality();
}

std::unique_ptr<TGPGraphics> CreateGraphics(QPainter& painter) {
    auto impl = std::make_unique<TGPGraphics::TImpl>();
    impl->Painter = &painter;
    impl->Device = painter.worldTransform();
    painter.save(); // undone by the destructor
    return std::make_unique<TGPGraphics>(std::move(impl));
}

TGPGraphics::~TGPGraphics() {
    if (FImpl->OwnPainter)
        FImpl->OwnPainter->end();
    else if (FImpl->Painter)
        FImpl->Painter->restore();
}

bool TGPGraphics::IsValid() const {
    return FImpl->Active();
}

float TGPGraphics::GetDpiY() const {
    return static_cast<float>(FImpl->DpiY());
}

void TGPGraphics::SetSmoothingMode(TSmoothingMode mode) {
    if (mode == SmoothingModeInvalid)
        return;
    FImpl->Quality.Smoothing = mode;
    FImpl->ApplyQuality();
}

TSmoothingMode TGPGraphics::GetSmoothingMode() const {
    return FImpl->Quality.Smoothing;
}

void TGPGraphics::SetInterpolationMode(TInterpolationMode mode) {
    if (mode == InterpolationModeInvalid)
        return;
    FImpl->Quality.Interpolation = mode;
    FImpl->ApplyQuality();
}

TInterpolationMode TGPGraphics::GetInterpolationMode() const {
    return FImpl->Quality.Interpolation;
}

void TGPGraphics::SetTextRenderingHint(TTextRenderingHint hint) {
    FImpl->Quality.TextHint = hint;
    FImpl->ApplyQuality();
}

TTextRenderingHint TGPGraphics::GetTextRenderingHint() const {
    return FImpl->Quality.TextHint;
}

void TGPGraphics::SetTransform(const TGPMatrix& matrix) {
    FImpl->World = QtTransform(matrix);
}

void TGPGraphics::GetTransform(TGPMatrix& matrix) const {
    SetQtTransform(matrix, FImpl->World);
}

// Qt composes transforms as row vectors like the matrix does: "a * b" applies a first.
// Prepending a step makes it act on points before the present transform.
void TGPGraphics::TranslateTransform(float dx, float dy, TMatrixOrder order) {
    const QTransform step = QTransform::fromTranslate(dx, dy);
    FImpl->World = order == TMatrixOrder::Prepend ? step * FImpl->World : FImpl->World * step;
}

void TGPGraphics::RotateTransform(float angle, TMatrixOrder order) {
    QTransform step;
    step.rotate(angle);
    FImpl->World = order == TMatrixOrder::Prepend ? step * FImpl->World : FImpl->World * step;
}

void TGPGraphics::SetClip(const TGPGraphicsPath& path, TCombineMode mode) {
    if (!FImpl->Active())
        return;
    // A clip is a set of whole pixels, as the system's clip regions are: an outline on
    // whole coordinates, such as a ruler's (0, 0, Width, Height), holds exactly the
    // pixels 0 to Width - 1. So it takes the world transform without the half-pixel shift
    // of anti-aliased shapes; shifted, Qt's rectangle clip rounds the half pixels up and
    // would hold column Width instead of column 0.
    const QPainterPath area = FImpl->World.map(QtPath(path));
    const std::optional<QPainterPath>& clip = FImpl->Clip;
    switch (mode) {
    case TCombineMode::Replace:
        FImpl->Clip = area;
        break;
    case TCombineMode::Intersect:
        FImpl->Clip = clip ? clip->intersected(area) : area;
        break;
    case TCombineMode::Union:
        if (clip)
            FImpl->Clip = clip->united(area);
        break;
    case TCombineMode::Xor: {
        const QPainterPath present = clip ? *clip : FImpl->Everything();
        FImpl->Clip = present.united(area).subtracted(present.intersected(area));
        break;
    }
    case TCombineMode::Exclude:
        FImpl->Clip = (clip ? *clip : FImpl->Everything()).subtracted(area);
        break;
    case TCombineMode::Complement:
        FImpl->Clip = clip ? area.subtracted(*clip) : QPainterPath();
        break;
    }
    FImpl->ClipChanged();
}

void TGPGraphics::ResetClip() {
    FImpl->Clip.reset();
    FImpl->ClipChanged();
}

bool TGPGraphics::IsClipped() const {
    return FImpl->Clip.has_value();
}

TGraphicsState TGPGraphics::Save() {
    const TGraphicsState id = FImpl->NextStateId++;
    FImpl->Saved.push_back({id, FImpl->World, FImpl->Clip, FImpl->Quality});
    return id;
}

void TGPGraphics::Restore(TGraphicsState state) {
    auto& saved = FImpl->Saved;
    const auto found = std::find_if(saved.begin(), saved.end(),
                                    [state](const TSavedState& s) { return s.Id == state; });
    if (found == saved.end())
        return;
    FImpl->World = found->World;
    FImpl->Clip = found->Clip;
    FImpl->Quality = found->Quality;
    saved.erase(found, saved.end());
    FImpl->ApplyQuality();
    FImpl->ClipChanged();
}

void TGPGraphics::Clear(ARGB color) {
    if (!FImpl->Active())
        return;
    FImpl->ApplyClip();
    QPainter& painter = *FImpl->Painter;
    painter.setWorldTransform(QTransform());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(0, 0, painter.device()->width(), painter.device()->height()),
                     QtColor(color));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TGPGraphics::FillRectangle(const TGPBrush& brush, const TGPRectF& rect) {
    FillRectangle(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

void TGPGraphics::FillRectangle(const TGPBrush& brush, float x, float y, float width,
                                float height) {
    FImpl->Fill(brush, Rectangle(x, y, width, height));
}

void TGPGraphics::DrawRectangle(const TGPPen& pen, const TGPRectF& rect) {
    DrawRectangle(pen, rect.X, rect.Y, rect.Width, rect.Height);
}

void TGPGraphics::DrawRectangle(const TGPPen& pen, float x, float y, float width, float height) {
    FImpl->Stroke(pen, Rectangle(x, y, width, height));
}

void TGPGraphics::FillEllipse(const TGPBrush& brush, const TGPRectF& rect) {
    FillEllipse(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

void TGPGraphics::FillEllipse(const TGPBrush& brush, float x, float y, float width, float height) {
    FImpl->Fill(brush, Ellipse(x, y, width, height));
}

void TGPGraphics::DrawEllipse(const TGPPen& pen, const TGPRectF& rect) {
    DrawEllipse(pen, rect.X, rect.Y, rect.Width, rect.Height);
}

void TGPGraphics::DrawEllipse(const TGPPen& pen, float x, float y, float width, float height) {
    FImpl->Stroke(pen, Ellipse(x, y, width, height));
}

void TGPGraphics::FillPath(const TGPBrush& brush, const TGPGraphicsPath& path) {
    FImpl->Fill(brush, QtPath(path));
}

void TGPGraphics::DrawPath(const TGPPen& pen, const TGPGraphicsPath& path) {
    FImpl->Stroke(pen, QtPath(path));
}

void TGPGraphics::DrawLine(const TGPPen& pen, float x1, float y1, float x2, float y2) {
    if (!FImpl->Active())
        return;
    FImpl->ApplyClip();
    FImpl->Painter->setWorldTransform(FImpl->ShapeTransform() * FImpl->Device);
    FImpl->Painter->setPen(QtPen(pen));
    FImpl->Painter->drawLine(QLineF(x1, y1, x2, y2));
}

void TGPGraphics::DrawLine(const TGPPen& pen, const TGPPointF& pt1, const TGPPointF& pt2) {
    DrawLine(pen, pt1.X, pt1.Y, pt2.X, pt2.Y);
}

void TGPGraphics::DrawImage(const TGPImage& image, float x, float y) {
    DrawImage(image, TGPRectF(x, y, image.GetWidth(), image.GetHeight()), 0, 0, image.GetWidth(),
              image.GetHeight());
}

void TGPGraphics::DrawImage(const TGPImage& image, const TGPRectF& destRect, float srcX, float srcY,
                            float srcWidth, float srcHeight, TUnit /*srcUnit*/) {
    const QImage& pixels = image.Native().Image;
    if (!FImpl->Active() || pixels.isNull() || destRect.IsEmptyArea() || !(srcWidth > 0) ||
        !(srcHeight > 0))
        return;
    FImpl->ApplyClip();
    QPainter& painter = *FImpl->Painter;
    const QRectF source(srcX, srcY, srcWidth, srcHeight);
    const QRectF target(destRect.X, destRect.Y, destRect.Width, destRect.Height);
    const QTransform& world = FImpl->World;
    // Qt's own resampling is bilinear at best; for the high-quality modes an upright
    // image is scaled ahead with area averaging to its exact size on the surface.
    if (IsHighQualityResampling(FImpl->Quality.Interpolation) && !world.isRotating()) {
        const QRect onSurface = world.mapRect(target).toRect();
        const QRect sourcePixels = source.toAlignedRect().intersected(pixels.rect());
        if (onSurface.isEmpty() || sourcePixels.isEmpty())
            return;
        const QImage scaled =
            pixels.copy(sourcePixels)
                .scaled(onSurface.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.setWorldTransform(FImpl->Device);
        painter.drawImage(onSurface.topLeft(), scaled);
        return;
    }
    painter.setWorldTransform(world * FImpl->Device);
    painter.drawImage(target, pixels, source);
}

void TGPGraphics::DrawString(const std::string& text, const TGPFont& font, const TGPPointF& origin,
                             const TGPBrush& brush) {
    DrawString(text, font, origin, nullptr, brush);
}

void TGPGraphics::DrawString(const std::string& text, const TGPFont& font, const TGPPointF& origin,
                             const TGPStringFormat* format, const TGPBrush& brush) {
    if (!FImpl->Active() || text.empty() || !font.IsAvailable() || brush.IsEmpty())
        return;
    FImpl->ApplyClip();
    QPainter& painter = *FImpl->Painter;
    const QString qtText = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const QFont qtFont = FImpl->FontFor(font);
    const QSizeF size = FImpl->TextSize(qtText, qtFont);

    QTransform placement = FImpl->World;
    if (format && format->IsVertical()) {
        // The line's top faces right: turn a quarter clockwise about the box's top-right
        // corner, so the turned line fills the upright box from its top-left corner.
        placement = QTransform().rotate(kDegreesPerQuarterTurn) *
                    QTransform::fromTranslate(origin.X + size.height(), origin.Y) * placement;
    } else {
        placement = QTransform::fromTranslate(origin.X, origin.Y) * placement;
    }
    painter.setWorldTransform(placement * FImpl->Device);
    painter.setFont(qtFont);
    painter.setPen(QPen(FImpl->BrushFor(brush, false), 0));
    painter.drawText(QRectF(QPointF(0, 0), size), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                     qtText);
}

TGPRectF TGPGraphics::MeasureString(const std::string& text, const TGPFont& font,
                                    const TGPRectF& layoutRect,
                                    const TGPStringFormat* format) const {
    if (text.empty() || !font.IsAvailable())
        return TGPRectF(layoutRect.X, layoutRect.Y, 0, 0);
    const QString qtText = QString::fromUtf8(text.data(), qsizetype(text.size()));
    QSizeF size = FImpl->TextSize(qtText, FImpl->FontFor(font));
    if (format && format->IsVertical())
        size.transpose();
    return TGPRectF(layoutRect.X, layoutRect.Y, float(size.width()), float(size.height()));
}
