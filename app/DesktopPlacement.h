#pragma once
// Keeps the instruments within reach when the desktop is smaller than the one they
// were saved on: an instrument none of whose pixels lies on any monitor cannot be
// clicked, so it is brought fully onto the primary monitor. One that shows at least
// partly is never moved: where it stands is the user's choice.
//
// Rectangles are in the main window's client frame (window pixels); the window's
// top-left corner is at windowOrigin on the desktop.

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

class TBaseRuler;
class TRulerObjectList;

// The smallest whole-pixel rectangle around the instrument's outline as it stands.
QRect RulerBounds(const TBaseRuler& ruler);

// The offset that moves bounds fully into home, or none (0, 0) while bounds meets one
// of the monitors. A rectangle larger than home keeps its top-left corner in view.
QPoint OffsetIntoView(const QRect& bounds, const std::vector<QRect>& monitors, const QRect& home);

// Applies the rule to every instrument of the list against the monitors of the desktop
// now; returns whether any moved.
bool BringRulersIntoView(TRulerObjectList& rulers, QPoint windowOrigin);

// Moves every instrument of the list by the given whole pixels in the window's frame:
// what keeps them in place on the desktop when the window's origin moves by -by.
void ShiftRulers(TRulerObjectList& rulers, QPoint by);

// Calls changed whenever a monitor comes, goes away or changes its geometry, from the
// event loop, while context lives.
void WatchDesktopChanges(QObject* context, std::function<void()> changed);
