#include "platform/graphics/GPPen.h"

#include "platform/graphics/GPQtAccess.h"

namespace {
Qt::PenJoinStyle QtJoin(TLineJoin join) {
    switch (join) {
    case TLineJoin::Bevel:
        return Qt::BevelJoin;
    case TLineJoin::Round:
        return Qt::RoundJoin;
    case TLineJoin::MiterClipped:
    case TLineJoin::Miter:
        break;
    }
    return Qt::MiterJoin;
}

// Our miter limit is the miter's full length over the pen width; Qt measures from the
// corner point, which is half of that.
double QtMiterLimit(float miterLimit) {
    return miterLimit / 2.0;
}
} // namespace

QColor QtColor(ARGB color) {
    return QColor::fromRgba(color);
}

QPen QtPen(const TGPPen& pen) {
    QPen result(QtColor(pen.GetColor()));
    result.setWidthF(pen.GetWidth());
    result.setCapStyle(Qt::FlatCap);
    result.setJoinStyle(QtJoin(pen.GetLineJoin()));
    result.setMiterLimit(QtMiterLimit(pen.GetMiterLimit()));
    return result;
}

void ConfigureQtStroker(QPainterPathStroker& stroker, const TGPPen& pen) {
    stroker.setWidth(pen.GetWidth());
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(QtJoin(pen.GetLineJoin()));
    stroker.setMiterLimit(QtMiterLimit(pen.GetMiterLimit()));
}
