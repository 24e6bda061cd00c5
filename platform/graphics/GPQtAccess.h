#pragma once
// Platform-internal bridge from the drawing types to the Qt objects behind them. Only
// sources in platform/ (and the platform tests) include this header; the layers above see
// the Qt-free headers alone.

#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPMatrix.h"
#include "platform/graphics/GPPen.h"
#include "platform/graphics/GPRegion.h"

#include <QColor>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>
#include <QTransform>

struct TGPGraphicsPath::TImpl {
    // Carries the fill mode as its fill rule.
    QPainterPath Path;
    // Whether lines and arcs added next continue the last figure.
    bool FigureOpen = false;
};

struct TGPRegion::TImpl {
    // An infinite region is held as a very large square (see TGPRegion) and flagged.
    QPainterPath Area;
    bool Infinite = true;
};

Qt::FillRule QtFillRule(TFillMode fillMode);

inline const QPainterPath& QtPath(const TGPGraphicsPath& path) {
    return path.Native().Path;
}

inline const QPainterPath& QtRegionArea(const TGPRegion& region) {
    return region.Native().Area;
}

inline QTransform QtTransform(const TGPMatrix& matrix) {
    const auto& m = matrix.Elements();
    return QTransform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

inline void SetQtTransform(TGPMatrix& matrix, const QTransform& transform) {
    matrix.SetElements(std::array<double, 6>{transform.m11(), transform.m12(), transform.m21(),
                                             transform.m22(), transform.dx(), transform.dy()});
}

QColor QtColor(ARGB color);
// A pen of the same colour, width, join and miter limit, with flat ends.
QPen QtPen(const TGPPen& pen);
// Width, join and miter limit of the pen, flat ends.
void ConfigureQtStroker(QPainterPathStroker& stroker, const TGPPen& pen);
