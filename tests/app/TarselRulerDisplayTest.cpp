// The real program on a real X display (Xvfb in CI), driven like a user drives it:
// xdotool moves the pointer, clicks, drags and types; what the program did is read
// back from the screen, the window system and the settings file it writes at exit.
// Screenshots of each instrument and of the open menu are left in TARSEL_TEST_ARTIFACTS.

#include "support/DesktopWindow.h"
#include "support/PrivateXServer.h"
#include "support/ProgramSandbox.h"
#include "support/Waiting.h"
#include "support/XClient.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStringDecoder>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>

namespace {

const QString Program = TARSEL_BINARY_DIR "/app/TarselRuler";

// The straight ruler of the prepared settings: 500 x 64 at (400, 300), unrotated.
// Its pivot is its top-left corner; the resize handle sits 32 px in from its right
// end on the middle line, the rotate handle 32 px left of that.
constexpr int kLeft = 400;
constexpr int kTop = 300;
const QPoint kOnBody(kLeft + 200, kTop + 30);
const QPoint kResizeHandle(kLeft + 468, kTop + 32);
const QPoint kRotateHandle(kLeft + 436, kTop + 32);
const QPoint kBesideRuler(kLeft + 200, kTop + 200);

QByteArray PreparedSettings(const char* selected = "TRectangleRuler", int transparent = 178) {
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n") +
           "<TAppInfo MouseSnap=\"0\" Transparent=\"" + QByteArray::number(transparent) +
           "\">\r\n"
           "  <OptionInfo AutoCheckUpdate=\"0\"/>\r\n"
           "  <RulerObjectList>\r\n    <Items>\r\n"
           "      <TRectangleRuler Angle=\"0\" Height=\"64\" OffsetX=\"400\" OffsetY=\"300\" "
           "Selected=\"" +
           (qstrcmp(selected, "TRectangleRuler") == 0 ? "1" : "0") +
           "\" Width=\"500\"/>\r\n"
           "      <TTriangleRuler Angle=\"0\" Height=\"250\" OffsetX=\"400\" OffsetY=\"300\" "
           "Selected=\"" +
           (qstrcmp(selected, "TTriangleRuler") == 0 ? "1" : "0") +
           "\" Width=\"500\"/>\r\n"
           "    </Items>\r\n  </RulerObjectList>\r\n</TAppInfo>\r\n";
}

// One saved instrument's attributes, read from the settings file.
struct TSavedRuler {
    bool Found = false;
    double Angle = 0, Height = 0, OffsetX = 0, OffsetY = 0, Width = 0;
    bool Selected = false;
};

pugi::xml_document ParseSettings(const QByteArray& xml) {
    pugi::xml_document document;
    document.load_buffer(xml.constData(), static_cast<size_t>(xml.size()));
    return document;
}

TSavedRuler SavedRuler(const QByteArray& xml, const char* kind) {
    const pugi::xml_document document = ParseSettings(xml);
    const pugi::xml_node node =
        document.child("TAppInfo").child("RulerObjectList").child("Items").child(kind);
    TSavedRuler ruler;
    if (!node)
        return ruler;
    ruler.Found = true;
    ruler.Angle = node.attribute("Angle").as_double();
    ruler.Height = node.attribute("Height").as_double();
    ruler.OffsetX = node.attribute("OffsetX").as_double();
    ruler.OffsetY = node.attribute("OffsetY").as_double();
    ruler.Width = node.attribute("Width").as_double();
    ruler.Selected = node.attribute("Selected").as_int() == 1;
    return ruler;
}

std::string SavedAttribute(const QByteArray& xml, const char* name) {
    return ParseSettings(xml).child("TAppInfo").attribute(name).value();
}

QImage GrabScreen() {
    QApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

void SaveArtifact(const QImage& image, const QString& name) {
    image.save(QString(TARSEL_TEST_ARTIFACTS "/") + name);
}

// A plain window of the test under the program's window, counting the presses it gets.
class TWindowBelow : public TDesktopWindow {
public:
    TWindowBelow() : TDesktopWindow(QColor(255, 255, 255)) {}
    int Presses = 0;
    QPoint LastPress;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++Presses;
        LastPress = event->globalPosition().toPoint();
    }
};

class TarselRuler : public testing::Test {
protected:
    TProgramSandbox sandbox{Program};
    TXClient x;
    unsigned long window = 0;

    // Returns once the straight ruler shows: the window is cut to its shape and the screen
    // shows it on its body, not what lies beside it.
    void Start(const QByteArray& settings = PreparedSettings()) {
        sandbox.WriteSettings(settings);
        sandbox.UseLanguageFolder("test");
        sandbox.Start();
        window = sandbox.WaitForWindow();
        ASSERT_NE(window, 0u) << "the program showed no window";
        ASSERT_TRUE(ProcessEventsUntil([&] {
            return x.IsCutToShape(window) && Pixel(kOnBody) != Pixel(kBesideRuler);
        })) << "the instrument did not show";
        startShape = Shape();
    }

    QRgb Pixel(QPoint at) const { return x.Grab(QRect(at, QSize(1, 1))).pixel(0, 0); }
    QRect Shape() const { return x.WindowShape(window).boundingRect(); }
    QRect startShape; // the instrument's as it showed at the start

    // Waits until the program has moved the instrument by 'offset' from where it started.
    void ExpectMovedBy(QPoint offset) {
        EXPECT_TRUE(ProcessEventsUntil([&] { return Shape() == startShape.translated(offset); }))
            << "the instrument's shape stands at " << Shape().x() << "," << Shape().y();
    }

    // The topmost window is the program's main one while no menu or box is open.
    bool OnlyTheMainWindowOnTop() const {
        const std::vector<unsigned long> windows = x.TopLevelWindows();
        return !windows.empty() && windows.back() == window;
    }

    // Waits until the menu's choice is carried out: the menu has gone and the instrument
    // has changed its shape.
    void ExpectChosen(const QRegion& shapeBefore) {
        EXPECT_TRUE(ProcessEventsUntil([&] {
            return OnlyTheMainWindowOnTop() && x.WindowShape(window) != shapeBefore;
        })) << "the menu's choice was not carried out";
    }

    // Esc in the instrument's window ends the program; the settings file it writes
    // then is returned.
    QByteArray Quit(QPoint focusAt = kOnBody) {
        xdo::Click(focusAt);
        xdo::Key("Escape");
        EXPECT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
        return sandbox.ReadSettings();
    }

    // Opens the menu with a right click on the instrument.
    void OpenMenu(QPoint at = kOnBody) {
        xdo::Click(at, 3);
        ASSERT_TRUE(ProcessEventsUntil([&] { return !OnlyTheMainWindowOnTop(); })) << "no menu";
    }

    // Opens the About box from the menu; true once it shows.
    bool OpenAboutBox() {
        OpenMenu();
        for (int down = 0; down < 7; ++down) // ... 半透明, 帮助
            xdo::Key("Down");
        xdo::Key("Right");
        xdo::Key("Up"); // the last entry: 关于...
        xdo::Key("Return");
        return ProcessEventsUntil([] { return AboutBoxShows(); });
    }

    static bool AboutBoxShows() {
        return !xdo::Output({"search", "--onlyvisible", "--name", "^关于"}).isEmpty();
    }

    QString WindowProperty(const QString& property) const {
        QProcess xprop;
        xprop.start("xprop", {"-id", QString::number(window), property});
        xprop.waitForFinished(5000);
        return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    }
};

TEST_F(TarselRuler, CoversTheScreenAndOnlyTheInstrumentTakesClicks) {
    TWindowBelow below;
    Start();
    const QString geometry = xdo::Output({"getwindowgeometry", QString::number(window)});
    EXPECT_TRUE(geometry.contains("Position: 0,0")) << geometry.toStdString();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_TRUE(
        geometry.contains(QString("Geometry: %1x%2").arg(screen.width()).arg(screen.height())))
        << geometry.toStdString();

    const QImage shot = GrabScreen();
    SaveArtifact(shot, "StraightRuler.png");
    EXPECT_EQ(shot.pixelColor(kBesideRuler), QColor(255, 255, 255))
        << "the desktop shows beside the instrument";
    EXPECT_NE(shot.pixelColor(kOnBody), QColor(255, 255, 255)) << "the instrument shows";

    xdo::Click(kBesideRuler);
    EXPECT_TRUE(ProcessEventsUntil([&] { return below.Presses == 1; }))
        << "a click beside the instrument reaches the window below";
    EXPECT_EQ(below.LastPress, kBesideRuler);
    // A click on the instrument, then one beside it again: the window below gets the second
    // one after any press of the first, so once it has that, a count of 2 says it had none.
    xdo::Click(kOnBody);
    xdo::Click(kBesideRuler + QPoint(5, 0));
    EXPECT_TRUE(ProcessEventsUntil([&] { return below.Presses >= 2; }));
    EXPECT_EQ(below.Presses, 2) << "a click on the instrument stays with the program";
    Quit();
}

TEST_F(TarselRuler, DragMovesTheRulerByExactlyThePointersWay) {
    Start();
    xdo::Drag(kOnBody, kOnBody + QPoint(123, 77));
    const TSavedRuler ruler = SavedRuler(Quit(kOnBody + QPoint(123, 77)), "TRectangleRuler");
    ASSERT_TRUE(ruler.Found);
    EXPECT_EQ(ruler.OffsetX, kLeft + 123);
    EXPECT_EQ(ruler.OffsetY, kTop + 77);
    EXPECT_EQ(ruler.Angle, 0);
    EXPECT_EQ(ruler.Width, 500);
}

TEST_F(TarselRuler, RotateHandleTurnsTheRulerAboutItsCorner) {
    Start();
    // A quarter turn clockwise about the pivot (the corner at (400, 300)).
    const double radius = std::hypot(436.0, 32.0);
    const double start = std::atan2(32.0, 436.0);
    QPoint at = kRotateHandle;
    xdo::MoveTo(at);
    xdo::Press(1);
    for (int step = 1; step <= 12; ++step) {
        const double angle = start + M_PI / 2 * step / 12;
        at = QPoint(kLeft + static_cast<int>(std::lround(radius * std::cos(angle))),
                    kTop + static_cast<int>(std::lround(radius * std::sin(angle))));
        xdo::MoveTo(at);
    }
    xdo::Release(1);
    SaveArtifact(GrabScreen(), "StraightRulerTurned.png");
    const TSavedRuler ruler = SavedRuler(Quit(QPoint(kLeft - 30, kTop + 200)), "TRectangleRuler");
    EXPECT_NEAR(ruler.Angle, 90.0, 1.0);
    EXPECT_EQ(ruler.OffsetX, kLeft) << "the pivot stays put";
    EXPECT_EQ(ruler.OffsetY, kTop);
}

TEST_F(TarselRuler, ResizeHandleLengthensTheRuler) {
    Start();
    xdo::Drag(kResizeHandle, kResizeHandle + QPoint(100, 40));
    const TSavedRuler ruler = SavedRuler(Quit(), "TRectangleRuler");
    EXPECT_EQ(ruler.Width, 600);
    EXPECT_EQ(ruler.Height, 64) << "the straight ruler keeps its height";
    EXPECT_EQ(ruler.OffsetX, kLeft);
}

TEST_F(TarselRuler, ArrowKeysNudgeAndResize) {
    Start();
    xdo::Click(kOnBody);
    xdo::Key("Right");
    xdo::Key("Right");
    xdo::Key("shift+Down");
    xdo::Key("ctrl+Right");
    xdo::Key("shift+ctrl+Right");
    xdo::Key("ctrl+Up"); // the straight ruler's height stays 64
    xdo::Key("a");       // other keys do nothing
    const TSavedRuler ruler = SavedRuler(Quit(kOnBody + QPoint(2, 8)), "TRectangleRuler");
    EXPECT_EQ(ruler.OffsetX, kLeft + 2);
    EXPECT_EQ(ruler.OffsetY, kTop + 8);
    EXPECT_EQ(ruler.Width, 509);
    EXPECT_EQ(ruler.Height, 64);
}

TEST_F(TarselRuler, ArrowKeysMoveThePointerWhileTheButtonIsHeld) {
    Start();
    xdo::MoveTo(kOnBody);
    xdo::Press(1);
    xdo::Key("shift+Left");
    const QPoint moved = xdo::PointerPos();
    xdo::Release(1);
    EXPECT_EQ(moved, kOnBody - QPoint(1, 0)) << "one pixel, whatever the modifiers";
    // The drag that the press started follows the pointer's one-pixel move, nothing more.
    const TSavedRuler ruler = SavedRuler(Quit(kOnBody), "TRectangleRuler");
    EXPECT_EQ(ruler.OffsetX, kLeft - 1);
    EXPECT_EQ(ruler.Width, 500);
}

TEST_F(TarselRuler, MenuChoosesInstrumentsAndTransparencyByKeyboard) {
    Start();
    QRegion shape = x.WindowShape(window);
    OpenMenu();
    SaveArtifact(GrabScreen(), "MenuOpen.png");
    xdo::Key("Down");
    xdo::Key("Down"); // 三角板
    xdo::Key("Return");
    ExpectChosen(shape);
    SaveArtifact(GrabScreen(), "SetSquare.png");

    // The protractors stand at their own default place, the middle of the screen: the
    // half disc above its centre, the full disc around it.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QPoint centre(screen.width() / 2, screen.height() / 2);
    const QPoint onBothDiscs = centre + QPoint(-150, -20);     // between two 10° lines
    const QPoint onlyOnTheFullDisc = centre + QPoint(13, 150); // between two 10° lines
    const char* kinds[] = {"HalfCircleProtractor.png", "FullCircleProtractor.png"};
    for (int kind = 0; kind < 2; ++kind) {
        shape = x.WindowShape(window);
        OpenMenu(kind == 0 ? QPoint(kLeft + 30, kTop + 200) : onBothDiscs);
        for (int down = 0; down < 3 + kind; ++down)
            xdo::Key("Down");
        xdo::Key("Return");
        ExpectChosen(shape);
        // Drawn where the new shape lets it show: on the half disc's place, and for the full
        // disc also below it (the half disc before it covered the first place already).
        const QPoint drawnLast = kind == 0 ? onBothDiscs : onlyOnTheFullDisc;
        ProcessEventsUntil([&] { return Pixel(drawnLast) != Pixel(QPoint(5, 5)); });
        const QImage shot = GrabScreen();
        SaveArtifact(shot, kinds[kind]);
        const QColor desktop = shot.pixelColor(5, 5);
        EXPECT_NE(shot.pixelColor(onBothDiscs), desktop) << kinds[kind];
        if (kind == 0)
            EXPECT_EQ(shot.pixelColor(onlyOnTheFullDisc), desktop) << "below the half disc";
        else
            EXPECT_NE(shot.pixelColor(onlyOnTheFullDisc), desktop) << "the full disc's lower half";
    }

    // Back to the set square, then the transparency submenu: 50 %.
    shape = x.WindowShape(window);
    OpenMenu(onBothDiscs);
    xdo::Key("Down");
    xdo::Key("Down");
    xdo::Key("Return");
    ExpectChosen(shape);
    OpenMenu(QPoint(kLeft + 30, kTop + 200));
    for (int down = 0; down < 6; ++down) // the four kinds, snapping, then 半透明
        xdo::Key("Down");
    const size_t menus = x.TopLevelWindows().size();
    xdo::Key("Right");
    ProcessEventsUntil([&] { return x.TopLevelWindows().size() > menus; }); // the submenu
    SaveArtifact(GrabScreen(), "MenuTransparency.png");
    for (int down = 0; down < 5; ++down) // 不透明 is active; 10 % ... 50 %
        xdo::Key("Down");
    xdo::Key("Return");
    // The window system blends the whole window by this property where a compositing
    // manager runs: 128 / 255 of full opacity.
    const QString expected = QString::number(qRound64(128 / 255.0 * 0xffffffffu));
    QString opacity;
    ProcessEventsUntil([&] {
        opacity = WindowProperty("_NET_WM_WINDOW_OPACITY");
        return opacity.endsWith(expected);
    });
    EXPECT_TRUE(opacity.endsWith(expected)) << opacity.toStdString() << " window " << window;

    const QByteArray settings = Quit(QPoint(kLeft + 30, kTop + 200));
    EXPECT_TRUE(SavedRuler(settings, "TTriangleRuler").Selected);
    EXPECT_FALSE(SavedRuler(settings, "TRectangleRuler").Selected);
    EXPECT_EQ(SavedAttribute(settings, "Transparent"), "128");
}

TEST_F(TarselRuler, SnappingIsSwitchedFromTheMenu) {
    Start();
    OpenMenu();
    for (int down = 0; down < 5; ++down)
        xdo::Key("Down");
    xdo::Key("Return");
    ASSERT_TRUE(ProcessEventsUntil([&] { return OnlyTheMainWindowOnTop(); })) << "the menu stays";
    EXPECT_EQ(SavedAttribute(Quit(), "MouseSnap"), "1");
}

TEST_F(TarselRuler, AboutBoxOpensFromTheMenuAndEscClosesIt) {
    Start();
    ASSERT_TRUE(OpenAboutBox()) << "no About box";
    SaveArtifact(GrabScreen(), "AboutBox.png");
    xdo::Key("Escape");
    EXPECT_TRUE(ProcessEventsUntil([] { return !AboutBoxShows(); }));
    // The menu opens on the next click: the program has handled the Esc and is still there.
    OpenMenu();
    EXPECT_TRUE(sandbox.IsRunning()) << "Esc closed only the About box";
    xdo::Key("Escape");
    ASSERT_TRUE(ProcessEventsUntil([&] { return OnlyTheMainWindowOnTop(); })) << "the menu stays";
    Quit();
}

TEST_F(TarselRuler, QuitsWithEscAndWritesOnlyTheStringHoldersIntoTheLanguageFile) {
    Start();
    const QByteArray settings = Quit();
    EXPECT_TRUE(SavedRuler(settings, "TRectangleRuler").Found);
    QFile language(sandbox.LanguageFilePath("test"));
    ASSERT_TRUE(language.open(QIODevice::ReadOnly)) << "the writable language file was written";
    // UTF-16 little-endian with a byte-order mark.
    QStringDecoder utf16(QStringDecoder::Utf16LE);
    const QString text = utf16.decode(language.readAll().mid(2));
    EXPECT_TRUE(text.contains("[TAppStr]"));
    EXPECT_FALSE(text.contains("[TMainForm]")) << "the main window's texts never get there";
}

TEST_F(TarselRuler, LoggingOutSavesTheSettingsLikeQuitting) {
    Start();
    xdo::Drag(kOnBody, kOnBody + QPoint(40, 30));
    ExpectMovedBy(QPoint(40, 30));
    sandbox.Terminate();
    ASSERT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
    const TSavedRuler ruler = SavedRuler(sandbox.ReadSettings(), "TRectangleRuler");
    ASSERT_TRUE(ruler.Found);
    EXPECT_EQ(ruler.OffsetX, kLeft + 40);
    EXPECT_EQ(ruler.OffsetY, kTop + 30);
}

// However the program ends, the session's settings reach the file.

TEST_F(TarselRuler, TerminatingWithTheAboutBoxOpenStillSaves) {
    Start();
    xdo::Drag(kOnBody, kOnBody + QPoint(25, 15));
    ASSERT_TRUE(OpenAboutBox()) << "no About box";
    sandbox.Terminate();
    ASSERT_TRUE(sandbox.WaitForExit()) << "a modal window must not hold the program open";
    const TSavedRuler ruler = SavedRuler(sandbox.ReadSettings(), "TRectangleRuler");
    EXPECT_EQ(ruler.OffsetX, kLeft + 25);
    EXPECT_EQ(ruler.OffsetY, kTop + 15);
}

TEST_F(TarselRuler, ReplacingTheProgramFileWhileItRunsKeepsTheSettingsFile) {
    Start();
    xdo::Drag(kOnBody, kOnBody + QPoint(-30, 20));
    // An upgrade writes the new program beside the old one and renames it over it.
    const QString upgrade = sandbox.BinDir() + "/TarselRuler.new";
    ASSERT_TRUE(QFile::copy(sandbox.ProgramPath(), upgrade));
    ASSERT_EQ(std::rename(upgrade.toLocal8Bit().constData(),
                          sandbox.ProgramPath().toLocal8Bit().constData()),
              0);
    const TSavedRuler ruler = SavedRuler(Quit(kOnBody + QPoint(-30, 20)), "TRectangleRuler");
    EXPECT_EQ(ruler.OffsetX, kLeft - 30);
    EXPECT_EQ(ruler.OffsetY, kTop + 20);
    EXPECT_EQ(QDir(sandbox.BinDir()).entryList({"*.ini"}, QDir::Files).join(' ').toStdString(),
              "TarselRuler.ini");
}

// The program on an X server of the test's own, which the test then ends under it.
class TarselRulerOnItsOwnDisplay : public testing::Test {
protected:
    TPrivateXServer server{QSize(1280, 800)};
    TProgramSandbox sandbox{Program};

    // xdotool on the private display.
    QString Xdo(const QStringList& arguments) const {
        QProcess xdotool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", server.Display());
        xdotool.setProcessEnvironment(env);
        xdotool.start("xdotool", arguments);
        xdotool.waitForFinished(10000);
        return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
    }

    std::unique_ptr<TXClient> x; // on the private display, once it runs
    unsigned long window = 0;
    QRect startShape;

    // The program's visible windows on the private display.
    QStringList ProgramWindows() const {
        return Xdo({"search", "--onlyvisible", "--pid", QString::number(sandbox.Pid())})
            .split('\n', Qt::SkipEmptyParts);
    }

    QRect Shape() const { return x->WindowShape(window).boundingRect(); }

    // True once the program's window shows and is cut to its instrument's shape.
    bool WaitForInstrument() {
        x = std::make_unique<TXClient>(server.Display());
        const bool shown = ProcessEventsUntil([&] {
            const QStringList windows = ProgramWindows();
            window = windows.isEmpty() ? 0 : windows.front().toULong();
            return !sandbox.IsRunning() || (window && x->IsCutToShape(window));
        });
        startShape = shown && window ? Shape() : QRect();
        return shown && sandbox.IsRunning();
    }

    // Drags in steps a hand's pace apart and waits until the instrument stands where the
    // drag took it.
    void Drag(QPoint from, QPoint to) {
        Xdo({"mousemove", QString::number(from.x()), QString::number(from.y())});
        Xdo({"mousedown", "1"});
        for (int step = 1; step <= 8; ++step) {
            const QPoint at = from + (to - from) * step / 8;
            Xdo({"mousemove", QString::number(at.x()), QString::number(at.y())});
            QThread::msleep(20);
        }
        Xdo({"mouseup", "1"});
        EXPECT_TRUE(ProcessEventsUntil([&] { return Shape() == startShape.translated(to - from); }))
            << "the instrument did not follow the drag";
    }

    // Starts the program with the prepared settings and a writable language file, and
    // moves the ruler by (60, 45).
    void StartAndMoveTheRuler(const char* mouseSnap) {
        QByteArray settings = PreparedSettings();
        settings.replace("MouseSnap=\"0\"", QByteArray("MouseSnap=\"") + mouseSnap + "\"");
        sandbox.WriteSettings(settings);
        sandbox.UseLanguageFolder("test");
        sandbox.Start({"DISPLAY=" + server.Display()});
        EXPECT_TRUE(WaitForInstrument()) << sandbox.Output().toStdString();
        Drag(kOnBody, kOnBody + QPoint(60, 45));
        // Over the rotate handle the program loads its own cursors, which the shut-down
        // must not trip over; its angle hint shows it is there.
        const QPoint handle = kRotateHandle + QPoint(60, 45);
        Xdo({"mousemove", QString::number(handle.x()), QString::number(handle.y())});
        EXPECT_TRUE(ProcessEventsUntil([&] { return ProgramWindows().size() > 1; }))
            << "no angle hint over the rotate handle";
    }

    QByteArray ReadLanguageFile() const {
        QFile language(sandbox.LanguageFilePath("test"));
        return language.open(QIODevice::ReadOnly) ? language.readAll() : QByteArray();
    }

    // Starts the program, moves the ruler, ends the X server and returns the settings
    // file the program wrote on its way out.
    QByteArray MoveTheRulerAndLoseTheDisplay(const char* mouseSnap) {
        StartAndMoveTheRuler(mouseSnap);
        x.reset(); // a client of a server that goes away would end this test
        server.Kill();
        // Exit code 1, as for any program that lost its display; but no crash.
        const std::optional<int> exitCode = sandbox.WaitForExitCode();
        EXPECT_TRUE(exitCode.has_value())
            << "the program crashed or hung: " << sandbox.Output().toStdString();
        return sandbox.ReadSettings();
    }
};

TEST_F(TarselRulerOnItsOwnDisplay, LosingTheDisplaySavesTheSettings) {
    ASSERT_FALSE(server.Display().isEmpty()) << "Xvfb did not start";
    const QByteArray settings = MoveTheRulerAndLoseTheDisplay("0");
    const TSavedRuler ruler = SavedRuler(settings, "TRectangleRuler");
    EXPECT_EQ(ruler.OffsetX, kLeft + 60) << sandbox.Output().toStdString();
    EXPECT_EQ(ruler.OffsetY, kTop + 45);
    QFile language(sandbox.LanguageFilePath("test"));
    ASSERT_TRUE(language.open(QIODevice::ReadOnly)) << "the language file is written too";
    QStringDecoder utf16(QStringDecoder::Utf16LE);
    EXPECT_TRUE(QString(utf16.decode(language.readAll().mid(2))).contains("[TAppStr]"));
}

// With snapping on the program holds a second connection of its own to the server.
TEST_F(TarselRulerOnItsOwnDisplay, LosingTheDisplayWhileSnappingSavesTheSettings) {
    ASSERT_FALSE(server.Display().isEmpty()) << "Xvfb did not start";
    const QByteArray settings = MoveTheRulerAndLoseTheDisplay("1");
    EXPECT_EQ(SavedAttribute(settings, "MouseSnap"), "1") << sandbox.Output().toStdString();
    EXPECT_EQ(SavedRuler(settings, "TRectangleRuler").OffsetY, kTop + 45);
}

// Quitting runs the shut-down after the event loop; losing the display with snapping off
// lets Qt's connection notice it and call exit(), which runs the shut-down from there.
// Both save the same files.
TEST_F(TarselRulerOnItsOwnDisplay, QuittingAndLosingTheDisplaySaveTheSameFiles) {
    ASSERT_FALSE(server.Display().isEmpty()) << "Xvfb did not start";
    StartAndMoveTheRuler("0");
    const QPoint onBody = kOnBody + QPoint(60, 45);
    Xdo({"mousemove", QString::number(onBody.x()), QString::number(onBody.y())});
    Xdo({"click", "1"});
    Xdo({"key", "Escape"});
    ASSERT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
    const QByteArray quitSettings = sandbox.ReadSettings();
    const QByteArray quitLanguage = ReadLanguageFile();
    ASSERT_EQ(SavedRuler(quitSettings, "TRectangleRuler").OffsetX, kLeft + 60);
    ASSERT_FALSE(quitLanguage.isEmpty()) << "the writable language file was written";

    // The same session again from the same files, ended by losing the display.
    ASSERT_TRUE(QFile::remove(sandbox.LanguageFilePath("test")));
    const QByteArray lostSettings = MoveTheRulerAndLoseTheDisplay("0");
    EXPECT_EQ(lostSettings.toStdString(), quitSettings.toStdString())
        << sandbox.Output().toStdString();
    EXPECT_TRUE(ReadLanguageFile() == quitLanguage) << "the language file differs";
}

// A shared installation with a prepared settings file: the user may write the file but
// not the program's folder, so no new file can be made beside it.
TEST_F(TarselRulerOnItsOwnDisplay, AnOrdinaryUserSavesIntoAFileInAFolderTheyMayNotWrite) {
    ASSERT_FALSE(server.Display().isEmpty()) << "Xvfb did not start";
    sandbox.WriteSettings(PreparedSettings());
    const QByteArray bin = sandbox.BinDir().toLocal8Bit();
    const QByteArray settingsFile = sandbox.SettingsPath().toLocal8Bit();
    QStringList launcher;
    uid_t owner = ::geteuid();
    if (owner == 0) {
        // As the super-user: run the program as "nobody", who owns only the file.
        const passwd* nobody = ::getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        owner = nobody->pw_uid;
        ASSERT_EQ(::chmod(QDir(sandbox.BinDir()).filePath("..").toLocal8Bit().constData(), 0755),
                  0);
        ASSERT_EQ(::chown(settingsFile.constData(), nobody->pw_uid, nobody->pw_gid), 0);
        launcher = {"setpriv", "--reuid=" + QString::number(nobody->pw_uid),
                    "--regid=" + QString::number(nobody->pw_gid), "--clear-groups", "--"};
    } else {
        ASSERT_EQ(::chmod(bin.constData(), 0555), 0);
    }
    sandbox.Start({"DISPLAY=" + server.Display()}, launcher);
    ASSERT_TRUE(WaitForInstrument()) << sandbox.Output().toStdString();
    Drag(kOnBody, kOnBody + QPoint(-40, 35));
    sandbox.Terminate();
    const bool ended = sandbox.WaitForExit();
    ::chmod(bin.constData(), 0755);
    ASSERT_TRUE(ended) << sandbox.Output().toStdString();
    const TSavedRuler ruler = SavedRuler(sandbox.ReadSettings(), "TRectangleRuler");
    EXPECT_EQ(ruler.OffsetX, kLeft - 40) << sandbox.Output().toStdString();
    EXPECT_EQ(ruler.OffsetY, kTop + 35);
    struct stat saved {};
    ASSERT_EQ(::stat(settingsFile.constData(), &saved), 0);
    EXPECT_EQ(saved.st_uid, owner) << "the file keeps its owner";
    EXPECT_EQ(QDir(sandbox.BinDir()).entryList(QDir::Files).join(' ').toStdString(),
              "TarselRuler TarselRuler.ini");
}

} // namespace
