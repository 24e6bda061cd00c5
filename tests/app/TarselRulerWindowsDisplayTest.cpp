// The program's windows as a user sees them, on a bare X display and under a real window
// manager (openbox): the About box, the update window and a message box open above the
// always-on-top instrument and wholly on the screen, every window carries exactly its
// caption, the first instrument writes in the language file's font and colour, and an
// instrument saved beyond the screen comes back into view. Sizes are read from the
// display, never assumed. Screenshots are left in TARSEL_TEST_ARTIFACTS.

#include "support/LocalHttpServer.h"
#include "support/Openbox.h"
#include "support/ProgramSandbox.h"
#include "support/Waiting.h"
#include "support/XClient.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <X11/Xlib.h>

#include <functional>
#include <memory>

namespace {

const QString Program = TARSEL_BINARY_DIR "/app/TarselRuler";

// The instruments' body colour.
const QColor kBody(135, 206, 235);

QRect ScreenRect() {
    return QGuiApplication::primaryScreen()->geometry();
}

QImage GrabScreen() {
    QApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

bool IsBody(QColor c) {
    return std::abs(c.red() - kBody.red()) < 8 && std::abs(c.green() - kBody.green()) < 8 &&
           std::abs(c.blue() - kBody.blue()) < 8;
}

bool IsRed(QColor c) {
    return c.red() > 160 && c.green() < 100 && c.blue() < 100;
}

QPointF SavedOffset(const QByteArray& xml, const char* kind) {
    pugi::xml_document document;
    document.load_buffer(xml.constData(), static_cast<size_t>(xml.size()));
    const pugi::xml_node node =
        document.child("TAppInfo").child("RulerObjectList").child("Items").child(kind);
    return {node.attribute("OffsetX").as_double(), node.attribute("OffsetY").as_double()};
}

// --- The X side: what any client of the display can read about the program's windows ---

class TDisplay {
public:
    TDisplay() : FDisplay(XOpenDisplay(nullptr)) {}
    ~TDisplay() { XCloseDisplay(FDisplay); }

    // Where the window's client area is on the screen.
    QRect ClientRect(unsigned long window) const {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(FDisplay, window, &attributes))
            return {};
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(FDisplay, window, DefaultRootWindow(FDisplay), 0, 0, &x, &y, &child);
        return {x, y, attributes.width, attributes.height};
    }

    // Whether the window is mapped and viewable: shown on the screen.
    bool IsShown(unsigned long window) const {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(FDisplay, window, &attributes) &&
               attributes.map_state == IsViewable;
    }

    // The window's place among the root window's children, bottom first: the place of
    // the frame a window manager put it in, or its own without one.
    int StackingIndex(unsigned long window) const {
        const Window root = DefaultRootWindow(FDisplay);
        Window top = window;
        for (;;) {
            Window rootReturn = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(FDisplay, top, &rootReturn, &parent, &children, &count))
                return -1;
            if (children)
                XFree(children);
            if (parent == root || parent == 0)
                break;
            top = parent;
        }
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(FDisplay, root, &rootReturn, &parent, &children, &count);
        int index = -1;
        for (unsigned i = 0; i < count; ++i)
            if (children[i] == top)
                index = static_cast<int>(i);
        if (children)
            XFree(children);
        return index;
    }

private:
    Display* FDisplay;
};

// A property of a window as xprop prints it: the part after " = ".
QString Property(unsigned long window, const QString& name) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window), name});
    xprop.waitForFinished(5000);
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    return line.section(" = ", 1);
}

// The window's title as the window manager and taskbars read it.
QString Title(unsigned long window) {
    QString title = Property(window, "_NET_WM_NAME");
    if (title.startsWith('"') && title.endsWith('"'))
        title = title.mid(1, title.size() - 2);
    return title;
}

// The first visible window of the program but 'except' whose title matches pattern, 0 if
// none came.
unsigned long WaitForTitle(qint64 pid, const QString& pattern,
                           std::chrono::milliseconds timeout = kPatience,
                           unsigned long except = 0) {
    const QRegularExpression wanted(pattern);
    unsigned long found = 0;
    ProcessEventsUntil(
        [&] {
            const QString ids = xdo::Output(
                {"search", "--onlyvisible", "--pid", QString::number(pid), "--name", "."});
            for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
                if (!found && id.toULong() != except &&
                    wanted.match(Title(id.toULong())).hasMatch())
                    found = id.toULong();
            return found != 0;
        },
        timeout);
    return found;
}

class TarselRulerWindows : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam())
            manager = std::make_unique<TOpenbox>();
    }

    // Starts the program with the settings and the language file (UTF-8 text).
    void Start(const QByteArray& settings, const QByteArray& language = {},
               const QStringList& environment = {}) {
        sandbox.WriteSettings(settings);
        sandbox.UseLanguageFolder("test", language);
        sandbox.Start(environment);
        window = sandbox.WaitForWindow();
        ASSERT_NE(window, 0u) << "the program showed no window";
        ASSERT_TRUE(ProcessEventsUntil([&] { return x.IsCutToShape(window); }))
            << "the instrument did not show";
    }

    // Waits until the screen shows the instrument's pixels that pass 'enough'.
    QImage GrabWhenShown(const std::function<bool(const QImage&)>& enough) const {
        QImage shot;
        ProcessEventsUntil([&] {
            shot = GrabScreen();
            return enough(shot);
        });
        return shot;
    }

    // Waits until a window of the program has gone from the screen.
    void ExpectClosed(unsigned long dialog) const {
        EXPECT_TRUE(ProcessEventsUntil([&] { return !display.IsShown(dialog); }))
            << "the window stays open";
    }

    QByteArray Quit(QPoint focusAt) {
        xdo::Click(focusAt);
        xdo::Key("Escape");
        EXPECT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
        return sandbox.ReadSettings();
    }

    // Opens the menu on the instrument and walks it: downs, then into the submenu.
    void OpenHelpMenuEntry(QPoint on, int downsInHelp) {
        const size_t before = x.TopLevelWindows().size();
        xdo::Click(on, 3);
        ASSERT_TRUE(ProcessEventsUntil([&] { return x.TopLevelWindows().size() > before; }))
            << "no menu";
        for (int down = 0; down < 7; ++down) // four kinds, snapping, 半透明, 帮助
            xdo::Key("Down");
        xdo::Key("Right");
        if (downsInHelp < 0)
            xdo::Key("Up"); // the last entry: 关于...
        for (int down = 0; down < downsInHelp; ++down)
            xdo::Key("Down");
        xdo::Key("Return");
    }

    // The window is stacked above the main window and lies wholly on the screen, where the
    // screenshot shows it and not the instrument.
    void ExpectAboveAndVisible(unsigned long dialog, const char* shot) {
        // Painted: more than a blank rectangle in the window's place.
        ProcessEventsUntil([&] {
            const QRect client = display.ClientRect(dialog);
            const QImage screen = GrabScreen();
            const QColor corner = screen.pixelColor(client.center());
            return CountPixels(screen, client, [&](QColor c) { return c != corner; }) > 100;
        });
        const QRect client = display.ClientRect(dialog);
        EXPECT_GT(display.StackingIndex(dialog), display.StackingIndex(window))
            << "the window opens above the instrument";
        EXPECT_TRUE(ScreenRect().contains(client)) << "wholly on the screen";
        const QImage screen = GrabScreen();
        screen.save(QString(TARSEL_TEST_ARTIFACTS "/") + shot + (GetParam() ? "Openbox" : "") +
                    ".png");
        // (The logo on the left of the About box draws instruments of its own.)
        EXPECT_EQ(CountPixels(screen, client.adjusted(client.width() / 3, 0, 0, 0), IsBody), 0)
            << "no instrument over the window";
        // Not a blank rectangle either: the window shows its controls.
        const QColor corner = screen.pixelColor(client.center());
        EXPECT_GT(CountPixels(screen, client, [&](QColor c) { return c != corner; }), 100);
    }

    std::unique_ptr<TOpenbox> manager;
    TProgramSandbox sandbox{Program};
    TDisplay display;
    TXClient x;
    unsigned long window = 0;
};

// A full-circle protractor over the middle of the screen, where the boxes open.
QRect CentreCovering() {
    const QRect screen = ScreenRect();
    const int side = std::min(500, std::min(screen.width(), screen.height()) - 100);
    return {screen.center().x() - side / 2, screen.center().y() - side / 2, side, side};
}

TEST_P(TarselRulerWindows, AboutBoxOpensAboveTheInstrumentWithItsExactCaption) {
    const QRect protractor = CentreCovering();
    Start(OneInstrumentSettings("TProtractorRuler360", protractor));
    EXPECT_EQ(Title(window), "Tarsel桌面标尺") << "taskbars name the program by its title";
    const QPoint onBody = protractor.topLeft() + QPoint(protractor.width() / 2, 30);
    OpenHelpMenuEntry(onBody, -1);
    const unsigned long about = WaitForTitle(sandbox.Pid(), "^关于");
    ASSERT_NE(about, 0u) << "no About box";
    EXPECT_EQ(Title(about), "关于Tarsel桌面标尺");
    ExpectAboveAndVisible(about, "AboutAboveInstrument");
    // The box with the frame a window manager put around it is in the middle of the screen.
    const QRect frame = x.FrameGeometry(about);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 1) << frame.x() << "," << frame.y();
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 1) << frame.x() << "," << frame.y();
    xdo::Key("Escape");
    ExpectClosed(about);
    Quit(onBody);
}

TEST_P(TarselRulerWindows, UpdateWindowAndItsAnswerOpenAboveTheInstrumentInTheDesktopsLanguage) {
    TLocalHttpServer server;
    server.Reply(200, "OK", "0");
    const QRect protractor = CentreCovering();
    const QByteArray language =
        "[TAppStr]\r\nUpdateUrl=" + QByteArray::fromStdString(server.BaseUrl()) + "/check.asp\r\n";
    Start(OneInstrumentSettings("TProtractorRuler360", protractor), language,
          {"LANG=zh_CN.UTF-8", "LANGUAGE=zh_CN"});
    const QPoint onBody = protractor.topLeft() + QPoint(protractor.width() / 2, 30);
    OpenHelpMenuEntry(onBody, 3); // 使用演示, 帮助, Tarsel网站, 检查更新
    const unsigned long box = WaitForTitle(sandbox.Pid(), "^提示");
    ASSERT_NE(box, 0u) << "no box told the newest version";
    EXPECT_EQ(Title(box), "提示") << "exactly the caption";
    ExpectAboveAndVisible(box, "UpdateAnswerAboveInstrument");
    xdo::Key("Return");
    ExpectClosed(box);
    EXPECT_EQ(server.Requests().size(), 1u);
    Quit(onBody);
}

TEST_P(TarselRulerWindows, TheWaitingUpdateWindowIsAboveTheInstrument) {
    TLocalHttpServer server;
    server.NeverAnswer();
    const QRect protractor = CentreCovering();
    const QByteArray language =
        "[TAppStr]\r\nUpdateUrl=" + QByteArray::fromStdString(server.BaseUrl()) + "/check.asp\r\n";
    Start(OneInstrumentSettings("TProtractorRuler360", protractor), language);
    const QPoint onBody = protractor.topLeft() + QPoint(protractor.width() / 2, 30);
    OpenHelpMenuEntry(onBody, 3);
    const unsigned long waiting =
        WaitForTitle(sandbox.Pid(), "^Tarsel桌面标尺$", kPatience, window);
    ASSERT_NE(waiting, 0u) << "no waiting window, or not under the program's title";
    ProcessEventsUntil([&] {
        return display.StackingIndex(waiting) > display.StackingIndex(window) &&
               ScreenRect().contains(display.ClientRect(waiting));
    });
    EXPECT_GT(display.StackingIndex(waiting), display.StackingIndex(window))
        << Property(waiting, "WM_TRANSIENT_FOR").toStdString() << " main " << window << " "
        << Property(waiting, "_NET_WM_WINDOW_TYPE").toStdString() << " "
        << Property(waiting, "_NET_WM_STATE").toStdString();
    EXPECT_TRUE(ScreenRect().contains(display.ClientRect(waiting)));
    // The program waits for the server now; it gives up after its time-out and says so.
    const unsigned long failed = WaitForTitle(sandbox.Pid(), "^提示$", std::chrono::seconds(60));
    ASSERT_NE(failed, 0u);
    ExpectAboveAndVisible(failed, "UpdateFailedAboveInstrument");
    xdo::Key("Return");
    ExpectClosed(failed);
    Quit(onBody);
}

TEST_P(TarselRulerWindows, FirstInstrumentWritesInTheLanguageFilesFontAndColour) {
    const QRect screen = ScreenRect();
    const QRect ruler(screen.x() + 100, screen.y() + 100, std::min(600, screen.width() - 200), 64);
    Start(OneInstrumentSettings("TRectangleRuler", ruler),
          "[TMainForm]\r\nFont=\"DejaVu Sans\";clRed;-16;0;12;Bold\r\n");
    const QImage shot = GrabWhenShown([&](const QImage& shown) {
        return CountPixels(shown, ruler, IsBody) > ruler.width() * 20 &&
               CountPixels(shown, ruler, IsRed) > 200;
    });
    shot.copy(ruler.adjusted(-10, -10, 10, 10))
        .save(TARSEL_TEST_ARTIFACTS "/FirstRulerRedNumbers" + QString(GetParam() ? "Openbox" : "") +
              ".png");
    EXPECT_GT(CountPixels(shot, ruler, IsBody), ruler.width() * 20) << "the ruler shows";
    EXPECT_GT(CountPixels(shot, ruler, IsRed), 200) << "its numbers are red";
    Quit(ruler.topLeft() + QPoint(200, 20));
}

TEST_P(TarselRulerWindows, InstrumentSavedBeyondTheScreenComesIntoViewOnePartlyOnStays) {
    const QRect screen = ScreenRect();
    // As saved on a desktop three times as large.
    const QRect far(screen.right() + 2 * screen.width(), screen.bottom() + screen.height(), 500,
                    64);
    Start(OneInstrumentSettings("TRectangleRuler", far));
    const QImage shot = GrabWhenShown(
        [&](const QImage& shown) { return CountPixels(shown, screen, IsBody) > 500 * 20; });
    shot.save(TARSEL_TEST_ARTIFACTS "/RulerBroughtIntoView" + QString(GetParam() ? "Openbox" : "") +
              ".png");
    EXPECT_GT(CountPixels(shot, screen, IsBody), 500 * 20) << "the ruler is on the screen";
    const QPointF brought =
        SavedOffset(Quit(screen.bottomRight() - QPoint(250, 30)), "TRectangleRuler");
    // Wholly on the screen, as near to where it was as it fits: the bottom-right corner.
    EXPECT_EQ(brought.x(), screen.right() + 1 - 500);
    EXPECT_EQ(brought.y(), screen.bottom() + 1 - 64);

    // One whose left end shows is left where it is.
    TProgramSandbox second{Program};
    const QRect partly(screen.right() - 100, screen.y() + 200, 500, 64);
    second.WriteSettings(OneInstrumentSettings("TRectangleRuler", partly));
    second.UseLanguageFolder("test");
    second.Start();
    const unsigned long secondWindow = second.WaitForWindow();
    ASSERT_NE(secondWindow, 0u);
    ASSERT_TRUE(ProcessEventsUntil([&] { return x.IsCutToShape(secondWindow); }));
    xdo::Click(partly.topLeft() + QPoint(50, 20));
    xdo::Key("Escape");
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(SavedOffset(second.ReadSettings(), "TRectangleRuler"), QPointF(partly.topLeft()));
}

TEST_P(TarselRulerWindows, AngleHintFollowsThePointerOverTheRotateHandle) {
    const QRect screen = ScreenRect();
    const QRect ruler(screen.x() + 100, screen.y() + 200, 500, 64);
    Start(OneInstrumentSettings("TRectangleRuler", ruler));
    // The rotate handle sits 64 px in from the ruler's right end on its middle line.
    const QPoint handle = ruler.topLeft() + QPoint(500 - 64, 32);
    xdo::MoveTo(handle - QPoint(4, 4));
    xdo::MoveTo(handle - QPoint(3, 3));
    const auto hintRect = [&] {
        // The hint is a small window of the program next to the pointer.
        const QString ids =
            xdo::Output({"search", "--onlyvisible", "--pid", QString::number(sandbox.Pid())});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
            const QRect rect = display.ClientRect(id.toULong());
            if (id.toULong() != window && rect.width() < 200 && rect.height() < 60)
                return rect;
        }
        return QRect();
    };
    QRect first;
    ProcessEventsUntil([&] { return !(first = hintRect()).isNull(); });
    ASSERT_FALSE(first.isNull()) << "no hint over the rotate handle";
    xdo::MoveTo(handle + QPoint(3, 4));
    QRect second;
    ProcessEventsUntil(
        [&] { return (second = hintRect()).topLeft() - first.topLeft() == QPoint(6, 7); });
    EXPECT_EQ(second.topLeft() - first.topLeft(), QPoint(6, 7))
        << "the hint moved with the pointer";
    const QImage shot = GrabWhenShown([&](const QImage& shown) {
        return CountPixels(shown, second, [](QColor c) { return c.lightness() < 80; }) > 20;
    });
    shot.copy(second.adjusted(-80, -40, 80, 20))
        .save(TARSEL_TEST_ARTIFACTS "/AngleHint" + QString(GetParam() ? "Openbox" : "") + ".png");
    EXPECT_GT(CountPixels(shot, second, [](QColor c) { return c.lightness() < 80; }), 20)
        << "the hint shows its text";
    xdo::MoveTo(ruler.topLeft() + QPoint(100, 20));
    EXPECT_TRUE(ProcessEventsUntil([&] { return hintRect().isNull(); }))
        << "and goes away off the handle";
    Quit(ruler.topLeft() + QPoint(100, 20));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, TarselRulerWindows, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Openbox" : "NoWindowManager";
                         });

} // namespace
