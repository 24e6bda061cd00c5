#include "platform/widgets/Cursor.h"
#include "platform/widgets/CursorQt.h"

#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <map>
#include <span>

#include "resources/cursors/cursor300.xpm"
#include "resources/cursors/cursor301.xpm"
#include "resources/cursors/cursor302.xpm"
#include "resources/cursors/cursor303.xpm"
#include "resources/cursors/cursor304.xpm"
#include "resources/cursors/cursor305.xpm"
#include "resources/cursors/cursor306.xpm"
#include "resources/cursors/cursor307.xpm"
#include "resources/cursors/cursor308.xpm"
#include "resources/cursors/cursor309.xpm"
#include "resources/cursors/cursor310.xpm"
#include "resources/cursors/cursor311.xpm"
#include "resources/cursors/cursor312.xpm"
#include "resources/cursors/cursor313.xpm"
#include "resources/cursors/cursor314.xpm"
#include "resources/cursors/cursor315.xpm"
#include "resources/cursors/cursor316.xpm"
#include "resources/cursors/cursor317.xpm"
#include "resources/cursors/cursor318.xpm"
#include "resources/cursors/cursor319.xpm"
#include "resources/cursors/cursor320.xpm"
#include "resources/cursors/cursor321.xpm"
#include "resources/cursors/cursor322.xpm"
#include "resources/cursors/cursor323.xpm"
#include "resources/cursors/cursor324.xpm"
#include "resources/cursors/cursor325.xpm"
#include "resources/cursors/cursor326.xpm"
#include "resources/cursors/cursor327.xpm"
#include "resources/cursors/cursor328.xpm"
#include "resources/cursors/cursor329.xpm"
#include "resources/cursors/cursor330.xpm"
#include "resources/cursors/cursor331.xpm"

namespace platform {

class TCursorImage {
public:
    TCursorImage(const QImage& image, int hotSpotX, int hotSpotY)
        : Image(image), HotSpotX(hotSpotX), HotSpotY(hotSpotY) {}

    QImage Image;
    int HotSpotX = 0;
    int HotSpotY = 0;
};

namespace {
struct TCursorResource {
    int Number;
    const char* const* Xpm;
};

constexpr TCursorResource kCursorResources[] = {
    {300, cursor300_xpm}, {301, cursor301_xpm}, {302, cursor302_xpm}, {303, cursor303_xpm},
    {304, cursor304_xpm}, {305, cursor305_xpm}, {306, cursor306_xpm}, {307, cursor307_xpm},
    {308, cursor308_xpm}, {309, cursor309_xpm}, {310, cursor310_xpm}, {311, cursor311_xpm},
    {312, cursor312_xpm}, {313, cursor313_xpm}, {314, cursor314_xpm}, {315, cursor315_xpm},
    {316, cursor316_xpm}, {317, cursor317_xpm}, {318, cursor318_xpm}, {319, cursor319_xpm},
    {320, cursor320_xpm}, {321, cursor321_xpm}, {322, cursor322_xpm}, {323, cursor323_xpm},
    {324, cursor324_xpm}, {325, cursor325_xpm}, {326, cursor326_xpm}, {327, cursor327_xpm},
    {328, cursor328_xpm}, {329, cursor329_xpm}, {330, cursor330_xpm}, {331, cursor331_xpm},
};

// The hot spot is the fifth and sixth number of an XPM's header line
// ("width height colours chars-per-pixel hot-x hot-y"); (0, 0) when it is absent.
std::pair<int, int> XpmHotSpot(const char* header) {
    int width = 0, height = 0, colours = 0, charsPerPixel = 0, x = 0, y = 0;
    if (std::sscanf(header, "%d %d %d %d %d %d", &width, &height, &colours, &charsPerPixel, &x,
                    &y) != 6)
        return {0, 0};
    return {x, y};
}

// The screen's table of custom cursors by number (the handles belong to whoever loaded them).
std::map<std::int16_t, HCURSOR>& CursorTable() {
    static std::map<std::int16_t, HCURSOR> table;
    return table;
}

Qt::CursorShape StandardShape(std::int16_t number) {
    switch (number) {
    case -1:
        return Qt::BlankCursor;
    case -3:
        return Qt::CrossCursor;
    case -4:
        return Qt::IBeamCursor;
    case -6:
        return Qt::SizeBDiagCursor;
    case -7:
        return Qt::SizeVerCursor;
    case -8:
        return Qt::SizeFDiagCursor;
    case -9:
        return Qt::SizeHorCursor;
    case -10:
        return Qt::UpArrowCursor;
    case -11:
        return Qt::WaitCursor;
    case -18:
        return Qt::ForbiddenCursor;
    case -19:
        return Qt::BusyCursor;
    case -20:
        return Qt::WhatsThisCursor;
    case -21:
        return Qt::PointingHandCursor;
    case -22:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}
} // namespace

HCURSOR LoadCursorResource(int number) {
    for (const TCursorResource& resource : kCursorResources) {
        if (resource.Number != number)
            continue;
        const QImage image(resource.Xpm);
        if (image.isNull())
            return nullptr;
        const auto [x, y] = XpmHotSpot(resource.Xpm[0]);
        return new TCursorImage(image, x, y);
    }
    return nullptr;
}

void DestroyCursor(HCURSOR cursor) {
    delete cursor;
}

TCursorInfo GetCursorInfo(HCURSOR cursor) {
    if (!cursor)
        return {};
    return {cursor->Image.width(), cursor->Image.height(), cursor->HotSpotX, cursor->HotSpotY};
}

void SetScreenCursor(std::int16_t number, HCURSOR cursor) {
    if (cursor)
        CursorTable()[number] = cursor;
    else
        CursorTable().erase(number);
}

HCURSOR GetScreenCursor(std::int16_t number) {
    const auto found = CursorTable().find(number);
    return found == CursorTable().end() ? nullptr : found->second;
}

QCursor QtCursorForNumber(std::int16_t number) {
    if (const HCURSOR custom = GetScreenCursor(number))
        return QCursor(QPixmap::fromImage(custom->Image), custom->HotSpotX, custom->HotSpotY);
    return QCursor(StandardShape(number));
}

} // namespace platform
