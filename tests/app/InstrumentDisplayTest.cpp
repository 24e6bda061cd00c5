// What the user sees of the instrument on a real X display: after the program starts,
// after every menu switch between the four instruments and after keys move or resize
// the instrument, the screen shows the whole instrument as it is now (its opaque pixels
// in its own colours), the desktop everywhere else, and the window's shape, as the X
// server holds it, is exactly the instrument's pixels. The expected picture is the
// instrument's own, drawn here with the same placement; a known-colour window stands
// for the desktop behind the program. Screen sizes are read from the display.

#include "app/InstrumentFrame.h"
#include "platform/widgets/VclGraphics.h"
#include "rulers/ProtractorRuler.h"
#include "rulers/RectangleRuler.h"
#include "rulers/TriangleRuler.h"
#include "support/DesktopWindow.h"
#include "support/ProgramSandbox.h"
#include "support/Waiting.h"
#include "support/XClient.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

const QString Program = TARSEL_BINARY_DIR "/app/TarselRuler";
const QColor kDesktop(255, 0, 255); // a colour no instrument has

// The desktop behind the program, in a colour no instrument has.
class TDesktop : public TDesktopWindow {
public:
    TDesktop() : TDesktopWindow(kDesktop) {}
};

// The four instruments as the test expects them, in the menu's order, placed about the
// middle of whatever screen the display has.
struct TModel {
    std::unique_ptr<TBaseRuler> Rulers[4];
    TModel(QSize screen) {
        Rulers[0] = std::make_unique<TRectangleRuler>();
        Rulers[1] = std::make_unique<TTriangleRuler>();
        Rulers[2] = std::make_unique<TProtractorRuler180>();
        Rulers[3] = std::make_unique<TProtractorRuler360>();
        const float cx = screen.width() / 2.0f, cy = screen.height() / 2.0f;
        // The straight ruler lies across the discs, so a switch that draws only where
        // the old instrument was shows at once.
        Place(*Rulers[0], cx - 450, cy - 40, 0);
        Place(*Rulers[1], cx - 350, cy - 260, 0);
        Place(*Rulers[2], cx - 300, cy - 280, 10);
        Place(*Rulers[3], cx - 200, cy - 250, 15);
    }
    static void Place(TBaseRuler& ruler, float x, float y, float angle) {
        ruler.OffsetX = x;
        ruler.OffsetY = y;
        ruler.Angle = angle;
    }
    QByteArray Settings(int selected) const {
        const char* names[] = {"TRectangleRuler", "TTriangleRuler", "TProtractorRuler180",
                               "TProtractorRuler360"};
        QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                         "<TAppInfo MouseSnap=\"0\" Transparent=\"255\">\r\n"
                         "  <OptionInfo AutoCheckUpdate=\"0\"/>\r\n"
                         "  <RulerObjectList><Items>\r\n";
        for (int i = 0; i < 4; ++i) {
            const TBaseRuler& r = *Rulers[i];
            xml += QByteArray("    <") + names[i] + " Angle=\"" + QByteArray::number(r.Angle) +
                   "\" Height=\"" + QByteArray::number(r.Height) + "\" OffsetX=\"" +
                   QByteArray::number(r.OffsetX) + "\" OffsetY=\"" + QByteArray::number(r.OffsetY) +
                   "\" Selected=\"" + (i == selected ? "1" : "0") + "\" Width=\"" +
                   QByteArray::number(r.Width) + "\"/>\r\n";
        }
        return xml + "  </Items></RulerObjectList>\r\n</TAppInfo>\r\n";
    }
};

// Anti-aliased edges of the turned numbers come out a few units apart from one process
// to the next; what matters is the instrument's colour, not black or the desktop.
bool SameColour(QRgb a, QRgb b) {
    constexpr int kTolerance = 24;
    return std::abs(qRed(a) - qRed(b)) <= kTolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= kTolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
}

// A point of the plain body of each instrument, local pixels: off the handles, the
// scale and the numbers.
const QPointF kBodyPoints[4] = {{100, 32}, {150, 40}, {300, 150}, {300, 150}};

class InstrumentOnScreen : public testing::Test {
protected:
    TXClient x;
    TDesktop desktop;
    TModel model{x.ScreenSize()};
    TProgramSandbox sandbox{Program};
    TFont font;
    unsigned long window = 0;
    int current = 0;

    void Start(int selected) {
        current = selected;
        sandbox.WriteSettings(model.Settings(selected));
        sandbox.Start();
        window = sandbox.WaitForWindow();
        ASSERT_NE(window, 0u) << "the program showed no window";
    }

    QPoint BodyPoint() const {
        float px = kBodyPoints[current].x(), py = kBodyPoints[current].y();
        model.Rulers[current]->RulerToScreen(px, py);
        return QPoint(qRound(px), qRound(py));
    }

    void ChooseFromMenu(int kind) {
        xdo::Click(BodyPoint(), 3);
        ASSERT_TRUE(ProcessEventsUntil([&] { return MenuShows(); })) << "no menu";
        for (int down = 0; down <= kind; ++down)
            xdo::Key("Down");
        xdo::Key("Return");
        current = kind;
    }

    // The menu is a window of its own above the program's.
    bool MenuShows() const {
        const std::vector<unsigned long> windows = x.TopLevelWindows();
        return !windows.empty() && windows.back() != window && windows.back() != desktop.winId();
    }

    // What the screen and the X server show of the current instrument.
    struct TShown {
        QImage Screen;
        int Opaque = 0, WrongInside = 0, WrongOutside = 0, Covered = 0;
        QPoint FirstWrong;
        QRgb Wanted = 0, Instead = 0;
        QRegion ShapeDiffers; // the window's shape xor the instrument's pixels
        bool Whole() const {
            return Opaque > 1000 && WrongInside == 0 && WrongOutside == 0 && Covered == 0 &&
                   ShapeDiffers.isEmpty();
        }
    };

    TShown Shown(const TInstrumentFrame& expected) const {
        const QImage& picture = expected.Picture();
        const QRect bounds = expected.Bounds();
        TShown shown;
        shown.Screen = x.GrabScreen();
        const QImage& screen = shown.Screen;
        for (int py = 0; py < picture.height(); ++py)
            for (int px = 0; px < picture.width(); ++px) {
                const QPoint at = bounds.topLeft() + QPoint(px, py);
                if (!screen.rect().contains(at))
                    continue;
                const QRgb want = picture.pixel(px, py);
                const QRgb got = screen.pixel(at);
                if (qAlpha(want) == 255) {
                    ++shown.Opaque;
                    if (!SameColour(got, want) && shown.WrongInside++ == 0) {
                        shown.FirstWrong = at;
                        shown.Wanted = want;
                        shown.Instead = got;
                    }
                } else if (qAlpha(want) == 0) {
                    shown.WrongOutside += got != kDesktop.rgb();
                }
            }
        // Away from the picture the desktop shows: sample a grid of the whole screen.
        for (int sy = 0; sy < screen.height(); sy += 16)
            for (int sx = 0; sx < screen.width(); sx += 16)
                if (!bounds.contains(sx, sy))
                    shown.Covered += screen.pixel(sx, sy) != kDesktop.rgb();
        // The same pixels, however the X server splits them into rectangles.
        shown.ShapeDiffers = x.WindowShape(window).xored(expected.Shape());
        return shown;
    }

    // The screen shows the current instrument whole and nothing else, and the window's
    // shape is its pixels, once the program has caught up with what the test did.
    void ExpectWholeInstrument(const QString& step) {
        TInstrumentFrame expected;
        expected.Update(*model.Rulers[current], font, QRect(QPoint(0, 0), x.ScreenSize()));
        TShown shown;
        ProcessEventsUntil([&] {
            shown = Shown(expected);
            return shown.Whole();
        });
        shown.Screen.save(QString(TARSEL_TEST_ARTIFACTS "/InstrumentOnScreen-%1.png").arg(step));
        EXPECT_GT(shown.Opaque, 1000) << step.toStdString();
        EXPECT_EQ(shown.WrongInside, 0)
            << step.toStdString() << ": pixels of the instrument not shown, the first at "
            << shown.FirstWrong.x() << "," << shown.FirstWrong.y() << std::hex << ": "
            << shown.Wanted << " shown as " << shown.Instead;
        EXPECT_EQ(shown.WrongOutside, 0)
            << step.toStdString() << ": pixels beside it not the desktop's";
        EXPECT_EQ(shown.Covered, 0)
            << step.toStdString() << ": the window shows beside the instrument";
        const QRect differ = shown.ShapeDiffers.boundingRect();
        EXPECT_TRUE(differ.isEmpty())
            << step.toStdString() << ": the shape differs from the instrument's pixels around "
            << differ.x() << "," << differ.y() << " " << differ.width() << "x" << differ.height();
    }

    void Quit() {
        sandbox.Terminate();
        EXPECT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
    }
};

TEST_F(InstrumentOnScreen, EveryMenuSwitchShowsTheWholeNewInstrument) {
    Start(0);
    ExpectWholeInstrument("loaded-straight-ruler");
    // Every instrument after every other: ruler -> full -> half -> set square -> full ...
    const int order[] = {3, 2, 1, 3, 0, 2, 0, 1, 0};
    for (int kind : order) {
        ChooseFromMenu(kind);
        ExpectWholeInstrument(QString("menu-%1").arg(kind));
    }
    Quit();
}

TEST_F(InstrumentOnScreen, ShiftArrowsMoveAndCtrlArrowsResizeTheWholeInstrument) {
    for (int kind : {3, 1}) {
        SCOPED_TRACE(kind);
        Start(kind);
        ExpectWholeInstrument(QString("loaded-%1").arg(kind));
        TBaseRuler& ruler = *model.Rulers[kind];
        xdo::Click(BodyPoint()); // focus; a press without a move changes nothing
        xdo::Key("shift+Down");
        xdo::Key("shift+Right");
        ruler.OffsetX += 8;
        ruler.OffsetY += 8;
        ExpectWholeInstrument(QString("shift-arrows-%1").arg(kind));
        xdo::Key("shift+ctrl+Right");
        xdo::Key("shift+ctrl+Down");
        ruler.SetSize(ruler.Width + 8, ruler.Height);
        ruler.SetSize(ruler.Width, ruler.Height + 8);
        ExpectWholeInstrument(QString("ctrl-arrows-%1").arg(kind));
        xdo::Key("shift+Left");
        xdo::Key("shift+Up");
        ruler.OffsetX -= 8;
        ruler.OffsetY -= 8;
        ExpectWholeInstrument(QString("shift-back-%1").arg(kind));
        Quit();
    }
}

// The program's resident memory, MiB, from /proc.
double ResidentMiB(qint64 pid) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// A settings file may hold a set square of 40000 px, far larger than any screen: what of
// it lies on the screen shows as usual, and the program's memory stays that of a screenful
// (a picture of the whole instrument would take gigabytes).
TEST_F(InstrumentOnScreen, ASetSquareFarLargerThanTheScreenShowsAtTheCostOfAScreen) {
    TBaseRuler& square = *model.Rulers[1];
    TModel::Place(square, 40, 40, 0);
    square.Width = square.Height = 40000;
    Start(1);
    ExpectWholeInstrument("huge-set-square");
    const double resident = ResidentMiB(sandbox.Pid());
    EXPECT_GT(resident, 0) << "no memory figure";
    EXPECT_LT(resident, 1024);
    Quit();
}

} // namespace
