// The program on a desktop of the test's own, with and without a window manager
// (openbox), as a user of a Linux desktop with more than one monitor meets it: the
// update check's waiting panel is on the screen while the service is slow to answer,
// its answer opens in the middle of the primary monitor, the main window covers a
// monitor added or taken away while the program runs, and window managers name the main
// window by the program's title. Then what the instruments draw: nothing beyond their
// outline. Each desktop is an Xvfb of its own (monitors set with xrandr), whose screen
// is also read from its framebuffer file: a grab of the root window under a window
// manager may come back black while a window of the program is modal. Screenshots are
// left in TARSEL_TEST_ARTIFACTS.

#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPPen.h"
#include "rulers/ProtractorRuler.h"
#include "support/LocalHttpServer.h"
#include "support/Openbox.h"
#include "support/PrivateXServer.h"
#include "support/ProgramSandbox.h"
#include "support/Waiting.h"
#include "support/XClient.h"
#include "support/XdoTool.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

const QString Program = TARSEL_BINARY_DIR "/app/TarselRuler";

// Each monitor of the test's desktops, pixels; a second one stands right of the first.
constexpr QSize kMonitor(1280, 800);
const QRect kPrimary(QPoint(0, 0), kMonitor);
// The desktop's own colour (the root window's), where the program draws nothing.
constexpr QRgb kDesktop = 0xFF406080;
const char* const kDesktopName = "#406080";
constexpr QRgb kBody = 0xFF87CEEB;
// The waiting panel's size, pixels.
constexpr QSize kPanel(398, 74);

bool IsDark(QRgb pixel) {
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

int CountPixels(const QImage& image, const QRect& rect, const std::function<bool(QRgb)>& match) {
    int count = 0;
    const QRect area = rect & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += match(image.pixel(x, y));
    return count;
}

double SavedOffsetX(const QByteArray& xml, const char* kind) {
    pugi::xml_document document;
    document.load_buffer(xml.constData(), static_cast<size_t>(xml.size()));
    return document.child("TAppInfo")
        .child("RulerObjectList")
        .child("Items")
        .child(kind)
        .attribute("OffsetX")
        .as_double();
}

QString Artifact(const QString& name) {
    return QString(TARSEL_TEST_ARTIFACTS "/") + name + ".png";
}

// A desktop of the test's own: an X server as wide as two monitors, with one monitor or
// two (RandR monitors, as a second screen plugged in shows), the desktop colour on its
// root window, and, for as long as it lives, DISPLAY naming it, so that xdotool, xprop
// and openbox started by the test work on it.
class TTestDesktop {
public:
    explicit TTestDesktop(bool twoMonitors) {
        if (FServer.Display().isEmpty())
            throw std::runtime_error("Xvfb did not start");
        qputenv("DISPLAY", FServer.Display().toLocal8Bit());
        FServer.Run("xsetroot", {"-solid", kDesktopName});
        FServer.Run("xrandr", {"--setmonitor", "first", Geometry(kPrimary), "screen"});
        if (twoMonitors)
            AddSecondMonitor();
    }
    ~TTestDesktop() { qputenv("DISPLAY", FOldDisplay); }
    TTestDesktop(const TTestDesktop&) = delete;
    TTestDesktop& operator=(const TTestDesktop&) = delete;

    void AddSecondMonitor() const {
        FServer.Run("xrandr", {"--setmonitor", "second", Geometry(Second()), "none"});
    }
    void RemoveSecondMonitor() const { FServer.Run("xrandr", {"--delmonitor", "second"}); }
    static QRect Second() { return kPrimary.translated(kMonitor.width(), 0); }

    // The primary monitor right of another one, as a laptop's screen left of its docking
    // station's monitor: the desktop's top-left corner is the other monitor's.
    void PutPrimaryRightOfAnother() const {
        FServer.Run("xrandr", {"--delmonitor", "first"});
        FServer.Run("xrandr", {"--setmonitor", "*first", Geometry(Second()), "screen"});
        AddLeftMonitor();
    }
    void AddLeftMonitor() const {
        FServer.Run("xrandr", {"--setmonitor", "left", Geometry(kPrimary), "none"});
    }
    void RemoveLeftMonitor() const { FServer.Run("xrandr", {"--delmonitor", "left"}); }

    QString Display() const { return FServer.Display(); }
    // What the screen shows, from the framebuffer.
    QImage Screen() const { return FServer.FramebufferImage(); }

private:
    // xrandr's "width/mmwidth x height/mmheight + x + y", at 96 dots per inch.
    static QString Geometry(const QRect& rect) {
        const auto mm = [](int pixels) { return qRound(pixels * 25.4 / 96); };
        return QString("%1/%2x%3/%4+%5+%6")
            .arg(rect.width())
            .arg(mm(rect.width()))
            .arg(rect.height())
            .arg(mm(rect.height()))
            .arg(rect.x())
            .arg(rect.y());
    }

    QByteArray FOldDisplay = qgetenv("DISPLAY");
    TPrivateXServer FServer{QSize(2 * kMonitor.width(), kMonitor.height()),
                            TPrivateXServer::TFramebuffer::InFile};
};

// A property of a window as xprop prints it: the part after " = ", quotes removed.
QString Property(unsigned long window, const QString& name) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window), name});
    xprop.waitForFinished(5000);
    QString value = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed().section(" = ", 1);
    if (value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

// The program's visible window named exactly name, 0 if none came.
unsigned long WaitForWindowNamed(qint64 pid, const QString& name) {
    unsigned long found = 0;
    ProcessEventsUntil([&] {
        const QString ids =
            xdo::Output({"search", "--onlyvisible", "--pid", QString::number(pid), "--name", "."});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
            if (Property(id.toULong(), "_NET_WM_NAME") == name)
                found = id.toULong();
        return found != 0;
    });
    return found;
}

class DesktopMonitors : public testing::TestWithParam<bool> {
protected:
    void Start(const QByteArray& settings, const QByteArray& language = {}) {
        sandbox.WriteSettings(settings);
        sandbox.UseLanguageFolder("test", language);
        sandbox.Start();
        window = sandbox.WaitForWindow();
        ASSERT_NE(window, 0u) << "the program showed no window";
    }

    // Waits until the instrument's body shows at screen point at.
    bool WaitForBodyAt(QPoint at) const {
        return ProcessEventsUntil(
            [&] { return X().Grab(QRect(at, QSize(1, 1))).pixel(0, 0) == kBody; });
    }

    void Quit(QPoint onInstrument) {
        xdo::Click(onInstrument);
        xdo::Key("Escape");
        EXPECT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
    }

    QString Suffix() const { return GetParam() ? "Openbox" : "NoWindowManager"; }
    const TXClient& X() const { return *xClient; }

    // The program's visible windows.
    QStringList Windows() const {
        return xdo::Output({"search", "--onlyvisible", "--pid", QString::number(sandbox.Pid())})
            .split('\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<TTestDesktop> desktop;
    std::unique_ptr<TOpenbox> manager;
    std::unique_ptr<TXClient> xClient;
    TProgramSandbox sandbox{Program};
    unsigned long window = 0;

    // The desktop first, then the manager on it, both gone after the program.
    void SetUpDesktop(bool twoMonitors) {
        desktop = std::make_unique<TTestDesktop>(twoMonitors);
        if (GetParam())
            manager = std::make_unique<TOpenbox>();
        xClient = std::make_unique<TXClient>(desktop->Display());
    }
};

// A straight ruler on the primary monitor, where the menu is opened.
const QRect kRulerOnPrimary(100, 100, 500, 64);

TEST_P(DesktopMonitors, WaitingPanelIsOnTheScreenAndTheAnswerOpensOnThePrimaryMonitor) {
    SetUpDesktop(true);
    TLocalHttpServer service;
    service.Reply(200, "OK", "0");
    service.Hold(true);
    Start(OneInstrumentSettings("TRectangleRuler", kRulerOnPrimary),
          "[TAppStr]\r\nAppTitle=测量尺\r\nUpdateUrl=" +
              QByteArray::fromStdString(service.BaseUrl()) + "/check.asp\r\n");
    ASSERT_TRUE(WaitForBodyAt(kRulerOnPrimary.topLeft() + QPoint(200, 32)));
    EXPECT_EQ(Property(window, "_NET_WM_NAME"), "测量尺") << "the language file's title";

    // 检查更新: the four kinds, snapping, 半透明, 帮助, then in 帮助 the fourth entry.
    const QPoint onRuler = kRulerOnPrimary.topLeft() + QPoint(150, 32);
    xdo::Click(onRuler, 3);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Windows().size() > 1; })) << "no menu";
    for (const char* key : {"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Right", "Down",
                            "Down", "Down", "Return"})
        xdo::Key(key);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !service.Requests().empty(); })) << "no request";

    // The request is out, and the service holds it: the panel stands on the screen.
    const QRect panel(kPrimary.center() - QPoint(kPanel.width() / 2, kPanel.height() / 2), kPanel);
    const QImage waiting = desktop->Screen();
    waiting.copy(panel.adjusted(-20, -20, 20, 20)).save(Artifact("WaitingPanel" + Suffix()));
    EXPECT_EQ(CountPixels(waiting, panel.adjusted(4, 4, -4, -4),
                          [](QRgb pixel) { return pixel == kDesktop; }),
              0)
        << "the desktop shows where the panel stands";
    EXPECT_GT(CountPixels(waiting, panel, IsDark), 100) << "the panel shows its text";

    service.Hold(false);
    const unsigned long box = WaitForWindowNamed(sandbox.Pid(), "提示");
    ASSERT_NE(box, 0u) << "no box told the newest version";
    QRect boxRect;
    ASSERT_TRUE(ProcessEventsUntil([&] {
        boxRect = X().WindowGeometry(box);
        return CountPixels(desktop->Screen(), boxRect, IsDark) > 20;
    })) << "the box is not drawn";
    desktop->Screen()
        .copy(boxRect.adjusted(-30, -30, 30, 30))
        .save(Artifact("AnswerBox" + Suffix()));
    // Its client area is centred; a window manager's frame may add a title bar above it.
    const QPoint offCentre = boxRect.center() - kPrimary.center();
    EXPECT_LE(std::abs(offCentre.x()), 10) << boxRect.x() << "," << boxRect.y();
    EXPECT_LE(std::abs(offCentre.y()), 30) << boxRect.x() << "," << boxRect.y();
    xdo::Key("Return");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !Windows().contains(QString::number(box)); }))
        << "the box did not close";
    Quit(onRuler);
}

TEST_P(DesktopMonitors, MainWindowCoversAMonitorThatComesAndLetsItGo) {
    SetUpDesktop(false);
    // Across the right edge of the primary monitor: it shows partly, so it stays there.
    const QRect ruler(kPrimary.right() + 1 - 200, 300, 500, 64);
    Start(OneInstrumentSettings("TRectangleRuler", ruler));
    const QPoint onPrimaryPart = ruler.topLeft() + QPoint(100, 32);
    ASSERT_TRUE(WaitForBodyAt(onPrimaryPart));
    EXPECT_EQ(Property(window, "_NET_WM_NAME"), "Tarsel桌面标尺") << "the program's title";
    EXPECT_EQ(X().WindowGeometry(window), kPrimary);

    desktop->AddSecondMonitor();
    const QRect both = kPrimary.united(TTestDesktop::Second());
    EXPECT_TRUE(ProcessEventsUntil([&] { return X().WindowGeometry(window) == both; }))
        << "the window does not cover the new monitor";
    const QPoint onNewPart = ruler.topLeft() + QPoint(400, 32);
    EXPECT_TRUE(WaitForBodyAt(onNewPart)) << "the instrument is cut at the old edge";
    const QImage whole = X().Grab(ruler.adjusted(-10, -10, 10, 10));
    whole.save(Artifact("RulerOnTheNewMonitor" + Suffix()));
    EXPECT_GT(CountPixels(whole, whole.rect(), [](QRgb pixel) { return pixel == kBody; }),
              ruler.width() * 30);

    desktop->RemoveSecondMonitor();
    EXPECT_TRUE(ProcessEventsUntil([&] { return X().WindowGeometry(window) == kPrimary; }))
        << "the window still covers the monitor that went";
    Quit(onPrimaryPart);
    EXPECT_EQ(SavedOffsetX(sandbox.ReadSettings(), "TRectangleRuler"), ruler.x())
        << "an instrument that showed partly is not moved";
}

// The laptop taken off its dock and put back: the monitor left of the primary one goes and
// comes while a straight ruler stands on the primary monitor. The window follows the
// desktop's top-left corner; the ruler stays where it stands on the screen, and is saved
// where it was loaded.
TEST_P(DesktopMonitors, AnInstrumentStaysPutWhileAMonitorLeftOfItGoesAndComes) {
    SetUpDesktop(false);
    desktop->PutPrimaryRightOfAnother();
    const QRect primary = TTestDesktop::Second();
    const QRect ruler(primary.x() + 300, 300, 500, 64);
    Start(OneInstrumentSettings("TRectangleRuler", ruler));
    const QPoint onRuler = ruler.topLeft() + QPoint(100, 32);
    ASSERT_TRUE(WaitForBodyAt(onRuler));
    const auto rulerShowsInPlace = [&](const QString& step) {
        QImage shot;
        const bool inPlace = ProcessEventsUntil([&] {
            shot = X().Grab(kPrimary.united(primary));
            const auto body = [](QRgb pixel) { return pixel == kBody; };
            return CountPixels(shot, ruler, body) > ruler.width() * 30 &&
                   CountPixels(shot, shot.rect(), body) == CountPixels(shot, ruler, body);
        });
        shot.save(Artifact("RulerStaysPut" + step + Suffix()));
        return inPlace;
    };

    desktop->RemoveLeftMonitor();
    EXPECT_TRUE(ProcessEventsUntil([&] { return X().WindowGeometry(window) == primary; }))
        << "the window does not follow the desktop's corner";
    EXPECT_TRUE(rulerShowsInPlace("AfterTheLeftMonitorWent")) << "the ruler moved";
    desktop->AddLeftMonitor();
    EXPECT_TRUE(ProcessEventsUntil([&] {
        return X().WindowGeometry(window) == kPrimary.united(primary);
    })) << "the window does not cover the monitor that came back";
    EXPECT_TRUE(rulerShowsInPlace("AfterItCameBack")) << "the ruler moved";
    Quit(onRuler);
    EXPECT_EQ(SavedOffsetX(sandbox.ReadSettings(), "TRectangleRuler"), ruler.x());
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, DesktopMonitors, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Openbox" : "NoWindowManager";
                         });

// --- Nothing beyond the outline ---

struct TOutlineCase {
    const char* Name;
    const char* Kind;
    int Width;
    int Height;
    int Dpi;
};

class InstrumentOutline : public testing::TestWithParam<TOutlineCase> {};

// A tick that falls exactly on the ruler's right end (x = Width) and the handles of a
// protractor below its minimum size (a settings file keeps that size) lie beyond the
// outline: the desktop shows there.
TEST_P(InstrumentOutline, NothingIsDrawnOutsideIt) {
    const TOutlineCase& row = GetParam();
    TPrivateXServer server(kMonitor);
    server.SetXftDpi(row.Dpi);
    server.Run("xsetroot", {"-solid", kDesktopName});
    TXClient x(server.Display());
    const QRect bounds(100, 100, row.Width, row.Height);
    TProgramSandbox sandbox(Program);
    sandbox.WriteSettings(OneInstrumentSettings(row.Kind, bounds));
    sandbox.Start({"DISPLAY=" + server.Display()});
    const QRect around = bounds.adjusted(-20, -20, 20, 20);
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return CountPixels(x.Grab(around), QRect(QPoint(0, 0), around.size()),
                           [](QRgb pixel) { return pixel == kBody; }) > row.Width * 5;
    })) << "the instrument does not show";
    const QImage shot = x.Grab(around);
    shot.save(Artifact(QString("Outline") + row.Name));

    // The outline in screen pixels, with the 1 px pen's anti-aliased fringe (1.5 px).
    TProtractorRuler180 protractor;
    protractor.Width = static_cast<float>(row.Width);
    protractor.Height = static_cast<float>(row.Height);
    TGPGraphicsPath outline;
    TGPGraphicsPath fringe;
    protractor.GetOutline(outline);
    protractor.GetOutline(fringe);
    fringe.Widen(TGPPen(0xFF000000, 3.0f));
    const bool isRuler = QByteArray(row.Kind) == "TRectangleRuler";
    // The ruler's outline (0, 0, Width, Height) holds the pixels 0 to Width - 1 across.
    const auto inside = [&](float localX, float localY) {
        if (isRuler)
            return localX >= 0 && localX < row.Width && localY >= 0 && localY < row.Height;
        return outline.IsVisible(localX, localY) || fringe.IsVisible(localX, localY);
    };
    int past = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int column = 0; column < shot.width(); ++column) {
            // The pixel's centre in the instrument's frame (pixel (0, 0) is the frame's
            // (0, 0) under anti-aliasing: shapes are drawn on pixel centres).
            const float localX = float(column + around.x() - bounds.x());
            const float localY = float(y + around.y() - bounds.y());
            if (shot.pixel(column, y) != kDesktop && !inside(localX, localY)) {
                if (++past <= 5)
                    ADD_FAILURE() << "drawn at (" << localX << ", " << localY << ")";
            }
        }
    EXPECT_EQ(past, 0);
    sandbox.Terminate();
    EXPECT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstrumentOutline,
    testing::Values(TOutlineCase{"RulerTickOnTheRightEndAt96dpi", "TRectangleRuler", 498, 64, 96},
                    TOutlineCase{"RulerTickOnTheRightEndAt120dpi", "TRectangleRuler", 500, 64, 120},
                    TOutlineCase{"HalfProtractorBelowItsMinimumSize", "TProtractorRuler180", 120,
                                 120, 96}),
    [](const testing::TestParamInfo<TOutlineCase>& info) { return info.param.Name; });

} // namespace
