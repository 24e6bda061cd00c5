// Snapped strokes of the real program, as another program below the instrument receives
// them: a recording window of another X connection lies under the program's window, and
// "hardware" input goes through Xvfb's mouse device (XTest's own device, which the
// program drives the pointer with, stands for remote-desktop and xdotool input).
// Positions come from the screen the display has; nothing assumes its size.

#include "app/HttpClient.h"
#include "support/DeviceInput.h"
#include "support/FakeInput.h"
#include "support/LocalHttpServer.h"
#include "support/PointerRecorder.h"
#include "support/ProgramSandbox.h"
#include "support/Waiting.h"
#include "support/XClient.h"
#include "support/XdoTool.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTransform>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

const QString Program = TARSEL_BINARY_DIR "/app/TarselRuler";

constexpr double kSnapGap = 2;   // px: the instruments put the pointer this far outside
constexpr double kTolerance = 1; // px: a snapped point is rounded to a pixel
constexpr int kRulerHeight = 64;

// One instrument of the settings file, in the program's window frame (which is the
// screen's here: the window covers the desktop from (0, 0)).
struct TInstrument {
    QString Kind;
    double Angle = 0;
    double OffsetX = 0, OffsetY = 0;
    double Width = 0, Height = 0;

    // Local (the instrument's own unrotated frame) to screen. The straight ruler turns
    // about its top-left corner, a protractor about its centre.
    QTransform ToScreen() const {
        const QPointF pivot =
            Kind == "TRectangleRuler" ? QPointF(0, 0) : QPointF(Width / 2, Height / 2);
        QTransform transform;
        transform.translate(OffsetX + pivot.x(), OffsetY + pivot.y());
        transform.rotate(Angle);
        transform.translate(-pivot.x(), -pivot.y());
        return transform;
    }
    QPoint Screen(QPointF local) const { return ToScreen().map(local).toPoint(); }
    QPointF Local(QPoint screen) const { return ToScreen().inverted().map(QPointF(screen)); }

    // How far a screen point lies from the line or circle that snapped points keep to.
    double OffSnapLine(QPoint screen) const {
        const QPointF p = Local(screen);
        if (Kind == "TRectangleRuler")
            return std::abs(p.y() + kSnapGap); // the top edge's
        return std::abs(std::hypot(p.x() - Width / 2, p.y() - Height / 2) - (Width / 2 + kSnapGap));
    }

    QByteArray Settings() const {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
               "<TAppInfo MouseSnap=\"1\" Transparent=\"255\">\r\n"
               "  <OptionInfo AutoCheckUpdate=\"0\"/>\r\n"
               "  <RulerObjectList>\r\n    <Items>\r\n      <" +
               Kind.toUtf8() + " Angle=\"" + QByteArray::number(Angle) + "\" Height=\"" +
               QByteArray::number(Height) + "\" OffsetX=\"" + QByteArray::number(OffsetX) +
               "\" OffsetY=\"" + QByteArray::number(OffsetY) + "\" Selected=\"1\" Width=\"" +
               QByteArray::number(Width) +
               "\"/>\r\n    </Items>\r\n  </RulerObjectList>\r\n"
               "</TAppInfo>\r\n";
    }
};

// A point between the first left press and its release, and those two, as recorded.
struct TStrokeRecord {
    bool Complete = false;
    QPoint Press;
    std::vector<QPoint> Moves;
    QPoint Release;
};

TStrokeRecord StrokeOf(const std::vector<TPointerRecord>& records) {
    TStrokeRecord stroke;
    bool pressed = false;
    for (const TPointerRecord& record : records) {
        if (record.Kind == TPointerRecord::Press && record.Button == 1 && !pressed) {
            pressed = true;
            stroke.Press = record.At;
        } else if (pressed && record.Kind == TPointerRecord::Motion) {
            stroke.Moves.push_back(record.At);
        } else if (pressed && record.Kind == TPointerRecord::Release && record.Button == 1) {
            stroke.Release = record.At;
            stroke.Complete = true;
            break;
        }
    }
    return stroke;
}

class SnappedStroke : public testing::Test {
protected:
    void SetUp() override {
        if (!device.Available())
            GTEST_SKIP() << "this display has no Xvfb mouse to send device input through";
        screen = device.ScreenSize();
    }

    // Placed on whole pixels, as dragging places an instrument.
    TInstrument StraightRuler(double angle) const {
        return {"TRectangleRuler",
                angle,
                std::round(screen.width() / 4.0),
                std::round(screen.height() / 3.0),
                std::min(500.0, screen.width() / 2.0),
                kRulerHeight};
    }

    TInstrument Protractor() const {
        const double side = std::min(400.0, screen.height() / 2.0);
        return {"TProtractorRuler360",
                0,
                std::round(screen.width() / 2.0 - side / 2),
                std::round(screen.height() / 2.0 - side / 2),
                side,
                side};
    }

    // The recording window first, then the program above it. Returns once the program
    // shows its instrument: it reads the mouse from before then.
    void Start(const TInstrument& instrument) {
        recorder = std::make_unique<TPointerRecorder>(QRect(QPoint(0, 0), screen));
        sandbox.WriteSettings(instrument.Settings());
        sandbox.Start();
        window = sandbox.WaitForWindow();
        ASSERT_NE(window, 0u) << "the program showed no window";
        ASSERT_TRUE(ProcessEventsUntil([&] { return x.IsCutToShape(window); }))
            << "the instrument did not show";
    }

    // The instrument's place on the screen, as the window's shape tells it.
    QRect Shape() const { return x.WindowShape(window).boundingRect(); }

    bool Floating() { return device.Attachment() == 0; }

    // Brings the pointer to 'at' and presses the device's left button there; with
    // 'held', waits until the program has taken the device (a hand's first move comes
    // milliseconds after its press; the program takes it well within one). The program
    // reads the move before the press, in the order the server sends them.
    QPoint PressAt(QPoint at, bool held = true) {
        input.MoveTo(at);
        const QPoint pressed = input.PointerPosition();
        device.Press(1);
        device.Sync();
        if (held)
            EXPECT_TRUE(ProcessEventsUntil([&] { return Floating(); }))
                << "the program took the mouse";
        return pressed;
    }

    void ReleaseAndRecord(TStrokeRecord& stroke) {
        device.Release(1);
        device.Sync();
        EXPECT_TRUE(ProcessEventsUntil([&] { return !Floating(); })) << "the mouse went back";
        EXPECT_TRUE(recorder->WaitUntil(
            [](const std::vector<TPointerRecord>& records) { return StrokeOf(records).Complete; }));
        stroke = StrokeOf(recorder->Records());
    }

    // Moves along the instrument's direction 'along' (screen), with a hand's wobble of
    // up to 2 px across it.
    void WobblyStroke(QPointF along, int steps) {
        const int wobble[] = {1, -1, 2, 0, -2, 1, -1, 0};
        const QPointF across(-along.y(), along.x());
        QPointF wanted;
        QPoint sent;
        for (int step = 0; step < steps; ++step) {
            wanted += 3 * along + wobble[step % std::size(wobble)] * across;
            const QPoint next = wanted.toPoint();
            device.MoveBy(next.x() - sent.x(), next.y() - sent.y());
            sent = next;
            std::this_thread::sleep_for(2ms);
        }
        device.Sync();
    }

    void ExpectOnSnapLine(const TInstrument& instrument, const TStrokeRecord& stroke,
                          QPoint pressedAt) {
        ASSERT_TRUE(stroke.Complete);
        EXPECT_EQ(stroke.Press, pressedAt) << "the press is never moved";
        EXPECT_GE(stroke.Moves.size(), 20u);
        int offLine = 0;
        for (const QPoint& move : stroke.Moves)
            if (instrument.OffSnapLine(move) > kTolerance) {
                ++offLine;
                ADD_FAILURE() << "a move at (" << move.x() << ", " << move.y() << ") lies "
                              << instrument.OffSnapLine(move) << " px off the snap line";
            }
        RecordProperty("moves_off_the_snap_line", offLine);
        EXPECT_LE(instrument.OffSnapLine(stroke.Release), kTolerance) << "the release too";
    }

    void StrokeAlong(const TInstrument& instrument, QPointF startLocal, QPointF along) {
        Start(instrument);
        const QPoint pressed = PressAt(instrument.Screen(startLocal));
        WobblyStroke(along, 40);
        TStrokeRecord stroke;
        ReleaseAndRecord(stroke);
        ExpectOnSnapLine(instrument, stroke, pressed);
    }

    // 100 moves of 'step' at 1 kHz from 2 px above the straight ruler's top edge, through
    // the given input; the pointer ends the full way along the top edge. With 'stall', the
    // program is stopped for 30 of the moves, as a busy machine may keep it from running.
    void FastStroke(QPoint step, const std::function<void(QPoint)>& moveBy,
                    const std::function<void(bool)>& button, bool held, bool stall = false) {
        const TInstrument ruler = StraightRuler(0);
        Start(ruler);
        const QPoint from = ruler.Screen({50, -kSnapGap});
        // From a pixel off the edge: the program pulls the pointer onto it, which shows that
        // it reads the mouse (it may still be busy starting up when its window shows).
        input.MoveTo(from + QPoint(0, 1));
        ASSERT_TRUE(ProcessEventsUntil([&] { return input.PointerPosition() == from; }))
            << "the program does not pull the pointer onto the edge";
        button(true);
        if (held) {
            ASSERT_TRUE(ProcessEventsUntil([&] { return Floating(); }));
        } else {
            ASSERT_TRUE(recorder->WaitUntil([](const std::vector<TPointerRecord>& records) {
                return !records.empty() && records.back().Kind == TPointerRecord::Press;
            })) << "the press reached the window below";
            // The moves follow at once, as XTest input sends them: by the time the program
            // reads the press, the server may have made several of them.
        }
        auto next = std::chrono::steady_clock::now();
        for (int move = 0; move < 100; ++move) {
            if (stall && (move == 20 || move == 50)) {
                input.PointerPosition(); // the moves so far have reached the server
                ::kill(static_cast<pid_t>(sandbox.Pid()), move == 20 ? SIGSTOP : SIGCONT);
            }
            moveBy(step);
            next += 1ms;
            std::this_thread::sleep_until(next);
        }
        const QPoint end(from.x() + 100 * step.x(), from.y());
        EXPECT_TRUE(ProcessEventsUntil([&] { return input.PointerPosition() == end; }))
            << "ended at (" << input.PointerPosition().x() << ", " << input.PointerPosition().y()
            << "), not (" << end.x() << ", " << end.y() << ")";
        button(false);
        ASSERT_TRUE(recorder->WaitUntil(
            [](const std::vector<TPointerRecord>& records) { return StrokeOf(records).Complete; }));
        const TStrokeRecord stroke = StrokeOf(recorder->Records());
        EXPECT_NEAR(stroke.Release.x(), end.x(), 1);
        EXPECT_NEAR(stroke.Release.y(), end.y(), 1);
        // A held stroke shows the window below only snapped moves, none of them past the
        // ruler's middle, where the bottom edge would take it. Not held, the window below
        // also sees where the input put the pointer before the program pulled it back, the
        // further off the later the program gets to run; that the pointer ends on the top
        // edge shows it was never pulled onto the bottom one, where it would have stayed.
        if (!held)
            return;
        for (const QPoint& move : stroke.Moves)
            EXPECT_LT(ruler.Local(move).y(), kRulerHeight / 2.0)
                << "at (" << move.x() << ", " << move.y() << ")";
    }

    // A stroke of the mouse from the pointer's place through the points of 'path' (screen
    // pixels, each as far from the last as a hand moves between two reports), pressed and
    // held; 'between' runs after each move. Returns what the window below received.
    TStrokeRecord DeviceStroke(const std::vector<QPoint>& path,
                               const std::function<void(int move)>& between = {}) {
        QPoint sent = path.front();
        for (size_t move = 1; move < path.size(); ++move) {
            device.MoveBy(path[move].x() - sent.x(), path[move].y() - sent.y());
            sent = path[move];
            std::this_thread::sleep_for(2ms);
            if (between)
                between(static_cast<int>(move));
        }
        device.Sync();
        TStrokeRecord stroke;
        ReleaseAndRecord(stroke);
        return stroke;
    }

    // Along the snap line from the pressed point: every move of the mouse reaches the
    // window below, on the line, and the stroke ends where the mouse's motion ends.
    void ExpectTravelledWithTheMouse(const TInstrument& instrument, const TStrokeRecord& stroke,
                                     QPoint pressed, const std::vector<QPoint>& path) {
        ExpectOnSnapLine(instrument, stroke, pressed);
        EXPECT_GE(stroke.Moves.size(), path.size() - 1) << "a move for every move of the mouse";
        const QPoint end = pressed + path.back() - path.front();
        RecordProperty("moves_received", static_cast<int>(stroke.Moves.size()));
        EXPECT_NEAR(stroke.Release.x(), end.x(), kTolerance);
        EXPECT_NEAR(stroke.Release.y(), end.y(), kTolerance);
    }

    // A stroke that keeps exactly to the snap line, as a steady hand draws along the edge.
    void ExactStrokeAlong(const TInstrument& instrument, const std::vector<QPoint>& path) {
        Start(instrument);
        const QPoint pressed = PressAt(path.front());
        ASSERT_LE(instrument.OffSnapLine(pressed), kTolerance);
        const TStrokeRecord stroke = DeviceStroke(path);
        ExpectTravelledWithTheMouse(instrument, stroke, pressed, path);
    }

    // Starts the program on the straight ruler with the update service at 'service', and
    // a check from the menu (检查更新: the four kinds, snapping, 半透明, 帮助, then the
    // fourth entry of 帮助). Returns once the service has the request.
    TInstrument StartWithUpdateCheck(const TLocalHttpServer& service) {
        const TInstrument ruler = StraightRuler(0);
        sandbox.UseLanguageFolder(
            "test", "[TAppStr]\r\nUpdateUrl=" + QByteArray::fromStdString(service.BaseUrl()) +
                        "/check.asp\r\n");
        Start(ruler);
        xdo::Click(ruler.Screen({200, kRulerHeight / 2.0}), 3);
        EXPECT_TRUE(ProcessEventsUntil([&] { return x.TopLevelWindows().size() > 2; }))
            << "no menu";
        for (const char* key : {"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Right",
                                "Down", "Down", "Down", "Return"})
            xdo::Key(key);
        EXPECT_TRUE(ProcessEventsUntil([&] { return !service.Requests().empty(); }))
            << "no update check";
        return ruler;
    }

    // The program's windows but the main one that carry its title: the waiting panel.
    QStringList WaitingPanels() const {
        QStringList panels;
        const QString ids =
            xdo::Output({"search", "--onlyvisible", "--pid", QString::number(sandbox.Pid())});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
            if (id.toULong() != window && xdo::Output({"getwindowname", id}) == "Tarsel桌面标尺")
                panels << id;
        return panels;
    }

    // Points 'step' px apart from 'startLocal' along the straight direction 'along'
    // (screen), rounded to pixels as a mouse reports them.
    static std::vector<QPoint> StraightPath(const TInstrument& instrument, QPointF startLocal,
                                            QPointF along, double step, int moves) {
        const QPointF start = instrument.ToScreen().map(startLocal);
        std::vector<QPoint> path;
        for (int move = 0; move <= moves; ++move)
            path.push_back((start + move * step * along).toPoint());
        return path;
    }

    TDeviceInput device;
    TFakeInput input;
    TXClient x;
    unsigned long window = 0;
    QSize screen;
    TProgramSandbox sandbox{Program};
    std::unique_ptr<TPointerRecorder> recorder;
};

TEST_F(SnappedStroke, AlongTheStraightRulerTheWindowBelowGetsOnlyPointsOnTheEdge) {
    StrokeAlong(StraightRuler(0), {100, -kSnapGap}, {1, 0});
}

TEST_F(SnappedStroke, AlongATurnedStraightRulerTheWindowBelowGetsOnlyPointsOnTheEdge) {
    const double angle = 30;
    const double radians = angle * M_PI / 180;
    StrokeAlong(StraightRuler(angle), {100, -kSnapGap}, {std::cos(radians), std::sin(radians)});
}

TEST_F(SnappedStroke, AroundTheProtractorTheWindowBelowGetsOnlyPointsOnTheCircle) {
    const TInstrument protractor = Protractor();
    // From the top of the circle, to the right: the circle bends the stroke down.
    StrokeAlong(protractor, {protractor.Width / 2, -kSnapGap}, {1, 0});
}

// The plainest stroke there is: the pointer is on the line already and the mouse keeps
// to it, so no move needs pulling. Each still has to reach the window below.
TEST_F(SnappedStroke, AStrokeExactlyAlongTheEdgeTravelsWithEveryMoveOfTheMouse) {
    const TInstrument ruler = StraightRuler(0);
    ExactStrokeAlong(ruler, StraightPath(ruler, {100, -kSnapGap}, {1, 0}, 6, 55));
}

TEST_F(SnappedStroke, AStrokeExactlyAlongATurnedEdgeTravelsWithEveryMoveOfTheMouse) {
    const double radians = 30 * M_PI / 180;
    const TInstrument ruler = StraightRuler(30);
    ExactStrokeAlong(
        ruler, StraightPath(ruler, {60, -kSnapGap}, {std::cos(radians), std::sin(radians)}, 6, 50));
}

TEST_F(SnappedStroke, AStrokeAlongTheProtractorsRimTravelsWithEveryMoveOfTheMouse) {
    const TInstrument protractor = Protractor();
    // Clockwise from the top of the circle, 6 px of arc between two moves.
    const double radius = protractor.Width / 2 + kSnapGap;
    const QPointF centre =
        protractor.ToScreen().map(QPointF(protractor.Width / 2, protractor.Height / 2));
    std::vector<QPoint> path;
    for (int move = 0; move <= 50; ++move) {
        const double angle = -M_PI / 2 + move * 6 / radius;
        path.push_back((centre + radius * QPointF(std::cos(angle), std::sin(angle))).toPoint());
    }
    ExactStrokeAlong(protractor, path);
}

// A slow stroke that drifts a pixel towards the ruler now and then: the drift is pulled
// back, and the moves in between go on as they come, so the window below never sees a
// jump larger than the mouse's own step.
TEST_F(SnappedStroke, ASlowStrokeThatRarelyDriftsMovesInStepsOfTheMouse) {
    const TInstrument ruler = StraightRuler(0);
    Start(ruler);
    std::vector<QPoint> path = StraightPath(ruler, {60, -kSnapGap}, {1, 0}, 2, 150);
    for (size_t move = 12; move < path.size(); move += 12)
        for (size_t later = move; later < path.size(); ++later)
            path[later].ry() += 1;
    const QPoint pressed = PressAt(path.front());
    const TStrokeRecord stroke = DeviceStroke(path);
    std::vector<QPoint> received{stroke.Press};
    received.insert(received.end(), stroke.Moves.begin(), stroke.Moves.end());
    received.push_back(stroke.Release);
    int largest = 0;
    for (size_t i = 1; i < received.size(); ++i)
        largest = std::max({largest, std::abs(received[i].x() - received[i - 1].x()),
                            std::abs(received[i].y() - received[i - 1].y())});
    RecordProperty("largest_step", largest);
    EXPECT_LE(largest, 2 + 1) << "the mouse's own step, and a pixel of rounding";
    ExpectOnSnapLine(ruler, stroke, pressed);
    EXPECT_NEAR(stroke.Release.x(), pressed.x() + 300, kTolerance) << "the stroke's full length";
}

// With the button held the arrow keys nudge the pointer a pixel; the next move of the mouse
// goes on from the nudged place.
TEST_F(SnappedStroke, ArrowKeyNudgesDuringAHeldStrokeSurviveTheNextMoveOfTheMouse) {
    const TInstrument ruler = StraightRuler(0);
    Start(ruler);
    xdo::Click(ruler.Screen({200, kRulerHeight / 2.0})); // the keyboard's focus
    const std::vector<QPoint> path = StraightPath(ruler, {60, -kSnapGap}, {1, 0}, 6, 20);
    const QPoint pressed = PressAt(path.front());
    TStrokeRecord stroke = DeviceStroke(path, [&](int move) {
        if (move != 10)
            return;
        device.Sync();
        const QPoint before = input.PointerPosition();
        for (int nudge = 0; nudge < 3; ++nudge)
            xdo::Key("Right");
        EXPECT_TRUE(ProcessEventsUntil([&] {
            return input.PointerPosition() == before + QPoint(3, 0);
        })) << "nudged to ("
            << input.PointerPosition().x() << ", " << input.PointerPosition().y() << ")";
    });
    ASSERT_TRUE(stroke.Complete);
    EXPECT_NEAR(stroke.Release.x(), pressed.x() + 20 * 6 + 3, kTolerance)
        << "the three nudges are kept";
}

TEST_F(SnappedStroke, AFastStrokeOfTheMouseTravelsItsFullLengthAlongTheEdge) {
    for (const QPoint step : {QPoint(3, 1), QPoint(3, 2)}) {
        SCOPED_TRACE(testing::Message() << "steps of (" << step.x() << ", " << step.y() << ")");
        FastStroke(
            step, [&](QPoint by) { device.MoveBy(by.x(), by.y()); },
            [&](bool press) { press ? device.Press(1) : device.Release(1); }, true);
        sandbox.Terminate();
        sandbox.WaitForExit();
        if (HasFatalFailure())
            return;
    }
}

TEST_F(SnappedStroke, AFastStrokeOfXTestInputTravelsItsFullLengthAlongTheEdge) {
    for (const QPoint step : {QPoint(3, 1), QPoint(3, 2)}) {
        SCOPED_TRACE(testing::Message() << "steps of (" << step.x() << ", " << step.y() << ")");
        FastStroke(
            step, [&](QPoint by) { input.MoveBy(by.x(), by.y()); },
            [&](bool press) { press ? input.Press(1) : input.Release(1); }, false);
        EXPECT_FALSE(Floating()) << "XTest input is never held";
        sandbox.Terminate();
        sandbox.WaitForExit();
        if (HasFatalFailure())
            return;
    }
}

// The moves that pile up while the program cannot run are caught up one by one, each
// pulled onto the edge it is near, so the stroke does not jump to the other edge.
TEST_F(SnappedStroke, AFastStrokeOfXTestInputStaysOnItsEdgeWhenTheProgramFallsBehind) {
    FastStroke(
        QPoint(3, 2), [&](QPoint by) { input.MoveBy(by.x(), by.y()); },
        [&](bool press) { press ? input.Press(1) : input.Release(1); }, false, true);
}

TEST_F(SnappedStroke, APressOnTheInstrumentsEdgeBandDragsItAndIsNotHeld) {
    const TInstrument ruler = StraightRuler(0);
    Start(ruler);
    const QRect shapeBefore = Shape();
    // 4 px inside the top edge: near the edge, but on the body. Coming there the pointer is
    // pulled onto the edge; a move of more than 8 px along it lets it go again.
    input.MoveTo(ruler.Screen({100, 4}));
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return input.PointerPosition() == ruler.Screen({100, -kSnapGap});
    })) << "pulled onto the edge";
    const QPoint onBand = ruler.Screen({120, 4});
    ASSERT_EQ(PressAt(onBand, false), onBand);
    WobblyStroke({1, 0}, 10);
    EXPECT_FALSE(Floating()) << "a drag of the instrument is the program's own";
    const QPoint moved = input.PointerPosition();
    device.Release(1);
    device.Sync();
    EXPECT_TRUE(ProcessEventsUntil([&] {
        return Shape() == shapeBefore.translated(moved - onBand);
    })) << "the ruler stands where the drag took it";
    sandbox.Terminate();
    ASSERT_TRUE(sandbox.WaitForExit()) << sandbox.Output().toStdString();
    // The drag took the ruler exactly the pointer's way, unsnapped.
    const QByteArray settings = sandbox.ReadSettings();
    const QPoint expected =
        moved - onBand + QPoint(static_cast<int>(ruler.OffsetX), static_cast<int>(ruler.OffsetY));
    EXPECT_TRUE(settings.contains("OffsetX=\"" + QByteArray::number(expected.x()) + "\""))
        << settings.toStdString();
    EXPECT_TRUE(settings.contains("OffsetY=\"" + QByteArray::number(expected.y()) + "\""))
        << settings.toStdString();
}

TEST_F(SnappedStroke, KillingTheProgramMidStrokeLeavesTheMouseWorking) {
    const TInstrument ruler = StraightRuler(0);
    Start(ruler);
    PressAt(ruler.Screen({100, -kSnapGap}));
    WobblyStroke({1, 0}, 10);
    ASSERT_TRUE(Floating());
    ::kill(static_cast<pid_t>(sandbox.Pid()), SIGKILL);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !Floating(); }))
        << "the server gives the mouse back";

    const QPoint before = device.PointerPosition();
    device.MoveBy(10, 5);
    device.Sync();
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return device.PointerPosition() == before + QPoint(10, 5); }));
    // The button is still held; its release reaches the window below.
    device.Release(1);
    device.Sync();
    EXPECT_TRUE(recorder->WaitUntil(
        [](const std::vector<TPointerRecord>& records) { return StrokeOf(records).Complete; }));
}

// The update check waits for a service that never answers; meanwhile a stroke in the
// program below keeps to the edge, reaches that program while the check still waits, and
// gives the mouse back at its release.
TEST_F(SnappedStroke, AStrokeDuringAnUpdateCheckIsSnappedAndEndsWithItsRelease) {
    TLocalHttpServer service;
    service.NeverAnswer();
    const TInstrument ruler = StartWithUpdateCheck(service);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !WaitingPanels().empty(); }))
        << "no waiting panel under the program's title";
    const QPoint pressed = PressAt(ruler.Screen({100, -kSnapGap}));
    WobblyStroke({1, 0}, 40);
    TStrokeRecord stroke;
    ReleaseAndRecord(stroke);
    ExpectOnSnapLine(ruler, stroke, pressed);
    EXPECT_EQ(service.WaitingClients(), 1) << "the stroke waited for the check to end";
}

TEST_F(SnappedStroke, SigtermDuringAnUpdateCheckEndsTheProgramAtOnceAndSavesTheSettings) {
    TLocalHttpServer service;
    service.NeverAnswer();
    StartWithUpdateCheck(service);
    ASSERT_TRUE(QFile::remove(sandbox.SettingsPath())); // read at start, written at the end
    QElapsedTimer clock;
    clock.start();
    sandbox.Terminate();
    // Long before the check would give up by itself.
    EXPECT_TRUE(sandbox.WaitForExit(THttpClientSettings{}.TotalTimeout.count() / 2))
        << sandbox.Output().toStdString();
    RecordProperty("ms_from_sigterm_to_exit", static_cast<int>(clock.elapsed()));
    EXPECT_TRUE(sandbox.ReadSettings().contains("<TRectangleRuler")) << "the settings were saved";
}

} // namespace
