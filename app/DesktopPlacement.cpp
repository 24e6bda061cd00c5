#include "app/DesktopPlacement.h"

#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPMatrix.h"
#include "rulers/BaseRuler.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {

// Monitor rectangles in the window's frame, and the primary one's usable area.
std::vector<QRect> Monitors(QPoint windowOrigin) {
    std::vector<QRect> monitors;
    for (const QScreen* screen : QGuiApplication::screens())
        monitors.push_back(screen->geometry().translated(-windowOrigin));
    return monitors;
}

QRect HomeArea(QPoint windowOrigin) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry().translated(-windowOrigin) : QRect();
}

// The shift along one axis that puts [low, high) inside [homeLow, homeHigh), the low
// end first when it does not fit.
int ShiftInto(int low, int high, int homeLow, int homeHigh) {
    if (high > homeHigh)
        return std::max(homeHigh - high, homeLow - low);
    if (low < homeLow)
        return homeLow - low;
    return 0;
}

} // namespace

QRect RulerBounds(const TBaseRuler& ruler) {
    TGPMatrix placement;
    placement.Translate(ruler.OffsetX, ruler.OffsetY, TMatrixOrder::Prepend);
    placement.RotateAt(ruler.Angle, ruler.GetOrigin(), TMatrixOrder::Prepend);
    TGPGraphicsPath outline;
    ruler.GetOutline(outline);
    const TGPRectF bounds = outline.GetBounds(&placement);
    const int left = static_cast<int>(std::floor(bounds.GetLeft()));
    const int top = static_cast<int>(std::floor(bounds.GetTop()));
    return QRect(QPoint(left, top), QPoint(static_cast<int>(std::ceil(bounds.GetRight())) - 1,
                                           static_cast<int>(std::ceil(bounds.GetBottom())) - 1));
}

QPoint OffsetIntoView(const QRect& bounds, const std::vector<QRect>& monitors, const QRect& home) {
    if (bounds.isEmpty() || home.isEmpty())
        return {};
    for (const QRect& monitor : monitors)
        if (monitor.intersects(bounds))
            return {};
    return {ShiftInto(bounds.left(), bounds.right() + 1, home.left(), home.right() + 1),
            ShiftInto(bounds.top(), bounds.bottom() + 1, home.top(), home.bottom() + 1)};
}

bool BringRulersIntoView(TRulerObjectList& rulers, QPoint windowOrigin) {
    const std::vector<QRect> monitors = Monitors(windowOrigin);
    const QRect home = HomeArea(windowOrigin);
    bool moved = false;
    for (int i = 0; i < rulers.GetCount(); ++i) {
        auto* ruler = dynamic_cast<TBaseRuler*>(rulers.GetItem(i));
        if (!ruler)
            continue;
        const QPoint shift = OffsetIntoView(RulerBounds(*ruler), monitors, home);
        if (shift.isNull())
            continue;
        ruler->OffsetX += static_cast<float>(shift.x());
        ruler->OffsetY += static_cast<float>(shift.y());
        moved = true;
    }
    return moved;
}

void ShiftRulers(TRulerObjectList& rulers, QPoint by) {
    for (int i = 0; i < rulers.GetCount(); ++i)
        if (TBaseRuler* ruler = rulers.GetItem(i)) {
            ruler->OffsetX += static_cast<float>(by.x());
            ruler->OffsetY += static_cast<float>(by.y());
        }
}

void WatchDesktopChanges(QObject* context, std::function<void()> changed) {
    auto watch = [context, changed](QScreen* screen) {
        QObject::connect(
            screen, &QScreen::geometryChanged, context, [changed] { changed(); },
            Qt::QueuedConnection);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    QObject::connect(qApp, &QGuiApplication::screenAdded, context,
                     [context, watch, changed](QScreen* screen) {
                         watch(screen);
                         // Later: the desktop takes the new monitor in after the signal.
                         QTimer::singleShot(0, context, [changed] { changed(); });
                     });
    // Queued: the monitor that goes is still listed while the signal runs.
    QObject::connect(
        qApp, &QGuiApplication::screenRemoved, context, [changed] { changed(); },
        Qt::QueuedConnection);
}
