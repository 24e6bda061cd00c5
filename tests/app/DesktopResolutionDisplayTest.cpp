// The program on desktops of 120 and 144 dots per inch (Xft.dpi, as desktop settings
// set it for 125 % and 150 %), each on an X server of the test's own: the straight
// ruler is drawn on the screen's own pixels, one centimetre being dpi x 39.37 / 100 of
// them, every tick one pixel wide on the pixel the scale puts it on, and a fresh ruler
// is placed and saved in the same pixels as on a 96 dpi desktop.

#include "rulers/RectangleRuler.h"
#include "support/PrivateXServer.h"
#include "support/ProgramSandbox.h"
#include "support/Waiting.h"
#include "support/XClient.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <set>
#include <vector>

namespace {

const QString Program = TARSEL_BINARY_DIR "/app/TarselRuler";
constexpr QRgb kBody = 0x87CEEB;
constexpr int kRulerLength = 500;
constexpr int kRulerHeight = 64;
constexpr int kBoxSide = 500; // a new instrument is centred as a 500 x 500 box

bool IsInk(QRgb pixel) {
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

// The largest mapped window of the display: the program's desktop-wide one.
unsigned long MainWindow(const TXClient& x) {
    unsigned long largest = 0;
    long area = 0;
    for (unsigned long window : x.TopLevelWindows()) {
        const QRect geometry = x.WindowGeometry(window);
        if (long(geometry.width()) * geometry.height() > area) {
            area = long(geometry.width()) * geometry.height();
            largest = window;
        }
    }
    return largest;
}

// The columns of one row of the ruler's picture that are wrong: not ink on a tick's
// column, or not the body colour between them.
std::vector<int> WrongColumns(const QImage& ruler, const std::set<int>& ticks, int row) {
    std::vector<int> wrong;
    for (int column = 2; column < kRulerLength - 3; ++column) {
        const QRgb pixel = ruler.pixel(column, row);
        if (ticks.count(column) > 0 ? !IsInk(pixel) : (pixel & 0xFFFFFF) != kBody)
            wrong.push_back(column);
    }
    return wrong;
}

class DesktopResolution : public testing::TestWithParam<int> {};

TEST_P(DesktopResolution, RulerTicksAreWholeDevicePixelsAndTheFreshPlacementIsUnscaled) {
    const int dpi = GetParam();
    TPrivateXServer server(QSize(1280, 800));
    server.SetXftDpi(dpi);
    TXClient x(server.Display());
    const QSize screen = x.ScreenSize();

    TProgramSandbox sandbox(Program); // no settings file: a fresh straight ruler
    sandbox.Start({"DISPLAY=" + server.Display()});
    const QPoint corner((screen.width() - kBoxSide) / 2, (screen.height() - kBoxSide) / 2);
    std::set<int> ticks;
    for (const TScaleTick& tick :
         WalkCentimeterScale(kRulerLength, PixelsPerCentimeter(dpi), TScaleAxis::Horizontal, {})
             .Ticks)
        ticks.insert(tick.Position);
    // The program is up once its window is cut to the ruler's shape; the ruler is drawn
    // once both of its edge rows show. Either way the checks below tell what is wrong.
    unsigned long window = 0;
    QImage ruler;
    ProcessEventsUntil([&] {
        window = MainWindow(x);
        if (!window || !x.IsCutToShape(window))
            return false;
        ruler = x.Grab(QRect(corner, QSize(kRulerLength, kRulerHeight)));
        return WrongColumns(ruler, ticks, 3).empty() &&
               WrongColumns(ruler, ticks, kRulerHeight - 4).empty();
    });
    ASSERT_NE(window, 0u);
    ASSERT_FALSE(ruler.isNull()) << "the ruler did not show";
    EXPECT_EQ(x.WindowGeometry(window), QRect(QPoint(0, 0), screen))
        << "the window covers the screen in its own pixels";

    ruler.save(QString(TARSEL_TEST_ARTIFACTS "/RulerAt%1dpi.png").arg(dpi));
    if (dpi == 120) // 47.244 px per centimetre
        for (int centimetre : {46, 93, 141, 188})
            EXPECT_TRUE(ticks.count(centimetre)) << centimetre;
    // Across both edges, a row that every tick crosses (the shortest is 5 px long) and
    // no number reaches: ink exactly on the tick columns, the body colour between them.
    for (const int row : {3, kRulerHeight - 4}) {
        const std::vector<int> wrong = WrongColumns(ruler, ticks, row);
        for (size_t i = 0; i < std::min<size_t>(wrong.size(), 6); ++i)
            ADD_FAILURE() << dpi << " dpi, row " << row << ", column " << wrong[i]
                          << (ticks.count(wrong[i]) ? ": no tick" : ": not the body colour");
    }

    sandbox.Terminate(); // saves the settings, like logging out
    ASSERT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
    const QByteArray xml = sandbox.ReadSettings();
    pugi::xml_document document;
    document.load_buffer(xml.constData(), static_cast<size_t>(xml.size()));
    const pugi::xml_node saved =
        document.child("TAppInfo").child("RulerObjectList").child("Items").child("TRectangleRuler");
    ASSERT_TRUE(saved) << xml.toStdString();
    EXPECT_EQ(saved.attribute("OffsetX").as_double(), (screen.width() - kBoxSide) / 2.0);
    EXPECT_EQ(saved.attribute("OffsetY").as_double(), (screen.height() - kBoxSide) / 2.0);
    EXPECT_EQ(saved.attribute("Width").as_double(), kRulerLength);
    EXPECT_EQ(saved.attribute("Height").as_double(), kRulerHeight);
}

INSTANTIATE_TEST_SUITE_P(HighResolutionDesktops, DesktopResolution, testing::Values(120, 144));

} // namespace
