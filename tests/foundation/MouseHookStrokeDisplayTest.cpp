// Held strokes of the mouse hook on a real X display. Input "from the hardware" goes
// through Xvfb's mouse device; the pointer events that another program receives are
// those of a recording window of another connection, under the pointer.
#include <QWidget>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "foundation/MouseHook.h"
#include "support/DeviceInput.h"
#include "support/FakeInput.h"
#include "support/PointerRecorder.h"
#include "support/Waiting.h"

#include <X11/X.h>

namespace {

constexpr int kSteps = 20;
const QPoint kStep(3, 1);

// The motion events between the first press of the left button and its release.
std::vector<TPointerRecord> MovesOfStroke(const std::vector<TPointerRecord>& records) {
    std::vector<TPointerRecord> moves;
    bool pressed = false;
    for (const TPointerRecord& record : records) {
        if (record.Kind == TPointerRecord::Press && record.Button == 1)
            pressed = true;
        else if (record.Kind == TPointerRecord::Release && record.Button == 1)
            break;
        else if (pressed && record.Kind == TPointerRecord::Motion)
            moves.push_back(record);
    }
    return moves;
}

std::vector<TPointerRecord> ButtonsOf(const std::vector<TPointerRecord>& records) {
    std::vector<TPointerRecord> buttons;
    for (const TPointerRecord& record : records)
        if (record.Kind != TPointerRecord::Motion)
            buttons.push_back(record);
    return buttons;
}

class MouseHookStroke : public testing::Test {
protected:
    void SetUp() override {
        if (!device.Available())
            GTEST_SKIP() << "this display has no Xvfb mouse to send device input through";
        screen = device.ScreenSize();
        column = screen.width() / 2;
        start = QPoint(screen.width() / 4, screen.height() / 4);
        recorder = std::make_unique<TPointerRecorder>(QRect(QPoint(0, 0), screen));
        input.MoveTo(start);

        // Pulls every move of a pressed stroke onto one column.
        TMouseHook& hook = MouseHook();
        hook.OnLButtonDown = [this](TMouseHook*, TMouseButton, TShiftState, int&, int&) {
            pressed = true;
            ++presses;
        };
        hook.OnLButtonUp = [this](TMouseHook*, TMouseButton, TShiftState, int&, int&) {
            pressed = false;
            ++releases;
        };
        hook.OnMouseMove = [this](TMouseHook*, TShiftState, int& X, int&) {
            if (pressed)
                X = column;
        };
        hook.OnHoldStroke = [this](TMouseHook*) {
            ++holdQueries;
            return hold;
        };
        hook.SetActive(true);
        ASSERT_NE(hook.HookHandle(), nullptr);
    }

    void TearDown() override {
        FinalizeMouseHook();
        ProcessEventsUntil([] { return true; });
    }

    // Runs the event loop, where the hook reads, until 'done' holds.
    static bool Until(const std::function<bool()>& done) { return ProcessEventsUntil(done); }

    bool Floating() { return device.Attachment() == 0; }

    // Presses the device's left button and waits until the hook has handled it.
    void PressLeft() {
        device.Press(1);
        ASSERT_TRUE(Until([&] { return presses == 1; }));
        // The grab follows the report at once; a round trip of ours lets it land.
        device.Sync();
        ProcessEventsUntil([] { return true; });
    }

    // kSteps device moves; returns once the pointer has come to 'end'.
    bool Stroke(QPoint end) {
        for (int step = 0; step < kSteps; ++step)
            device.MoveBy(kStep.x(), kStep.y());
        return Until([&] { return device.PointerPosition() == end; });
    }

    QPoint StrokeEnd() const { return QPoint(column, start.y() + kSteps * kStep.y()); }

    TDeviceInput device;
    TFakeInput input;
    QSize screen;
    int column = 0;
    QPoint start;
    std::unique_ptr<TPointerRecorder> recorder;
    bool hold = true;
    bool pressed = false;
    int presses = 0;
    int releases = 0;
    int holdQueries = 0;
};

TEST_F(MouseHookStroke, OtherProgramsSeeOnlyTheHandledMovesOfAHeldStroke) {
    PressLeft();
    EXPECT_EQ(holdQueries, 1);
    EXPECT_TRUE(Floating()) << "the mouse that pressed is held apart from the core pointer";
    ASSERT_TRUE(Stroke(StrokeEnd())) << "every move counts: " << device.PointerPosition().x()
                                     << ", " << device.PointerPosition().y();
    device.Release(1);
    ASSERT_TRUE(Until([&] { return releases == 1 && !Floating(); }));
    ASSERT_TRUE(recorder->WaitUntil([](const std::vector<TPointerRecord>& records) {
        return !ButtonsOf(records).empty() &&
               ButtonsOf(records).back().Kind == TPointerRecord::Release;
    }));

    const std::vector<TPointerRecord> records = recorder->Records();
    const std::vector<TPointerRecord> buttons = ButtonsOf(records);
    ASSERT_EQ(buttons.size(), 2u) << "one press and one release, nothing in between";
    EXPECT_EQ(buttons[0].Kind, TPointerRecord::Press);
    EXPECT_EQ(buttons[0].At, start) << "the press is never moved";
    EXPECT_EQ(buttons[1].Kind, TPointerRecord::Release);
    EXPECT_EQ(buttons[1].At, StrokeEnd());
    const std::vector<TPointerRecord> moves = MovesOfStroke(records);
    EXPECT_EQ(moves.size(), static_cast<size_t>(kSteps)) << "one event for each move";
    for (const TPointerRecord& move : moves) {
        EXPECT_EQ(move.At.x(), column) << "at y " << move.At.y();
        EXPECT_TRUE(move.State & Button1Mask) << "the button stays down throughout";
    }

    // The mouse moves the core pointer again.
    const QPoint before = device.PointerPosition();
    device.MoveBy(5, 0);
    EXPECT_TRUE(Until([&] { return device.PointerPosition() == before + QPoint(5, 0); }));
}

TEST_F(MouseHookStroke, AStrokeNotHeldIsPutRightAfterEachMoveAndLosesNone) {
    hold = false;
    PressLeft();
    EXPECT_EQ(holdQueries, 1);
    EXPECT_FALSE(Floating());
    ASSERT_TRUE(Stroke(StrokeEnd()));
    device.Release(1);
    ASSERT_TRUE(Until([&] { return releases == 1; }));
    ASSERT_TRUE(recorder->WaitUntil(
        [](const std::vector<TPointerRecord>& records) { return ButtonsOf(records).size() == 2; }));
    // Here the window below sees each move where the mouse took it first.
    int offColumn = 0;
    for (const TPointerRecord& move : MovesOfStroke(recorder->Records()))
        offColumn += move.At.x() != column;
    RecordProperty("moves_off_the_column", offColumn);
    EXPECT_EQ(ButtonsOf(recorder->Records()).back().At, StrokeEnd());
}

// Xvfb's mouse has three buttons and no wheel.
TEST_F(MouseHookStroke, AHeldStrokePassesTheOtherButtonsOn) {
    PressLeft();
    ASSERT_TRUE(Floating());
    ASSERT_TRUE(Stroke(StrokeEnd()));
    for (unsigned button : {TFakeInput::kRight, TFakeInput::kMiddle}) {
        device.Press(button);
        device.Release(button);
    }
    device.Release(1);
    ASSERT_TRUE(Until([&] { return releases == 1 && !Floating(); }));
    ASSERT_TRUE(recorder->WaitUntil([](const std::vector<TPointerRecord>& records) {
        return ButtonsOf(records).size() == 6;
    })) << ButtonsOf(recorder->Records()).size();

    const std::vector<TPointerRecord> buttons = ButtonsOf(recorder->Records());
    using K = TPointerRecord::TKind;
    const std::pair<unsigned, K> expected[] = {{1, K::Press}, {3, K::Press},   {3, K::Release},
                                               {2, K::Press}, {2, K::Release}, {1, K::Release}};
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].Button, expected[i].first) << i;
        EXPECT_EQ(buttons[i].Kind, expected[i].second) << i;
        if (i > 0)
            EXPECT_EQ(buttons[i].At, StrokeEnd()) << i;
    }
    EXPECT_EQ(presses, 1) << "only the left button reaches the handlers";
}

TEST_F(MouseHookStroke, XTestInputIsNeverHeld) {
    input.Press(TFakeInput::kLeft);
    ASSERT_TRUE(Until([&] { return presses == 1; }));
    EXPECT_EQ(holdQueries, 0);
    input.MoveTo(start + QPoint(10, 10));
    EXPECT_TRUE(Until([&] { return input.PointerPosition() == QPoint(column, start.y() + 10); }));
    input.Release(TFakeInput::kLeft);
    EXPECT_TRUE(Until([&] { return releases == 1; }));
}

TEST_F(MouseHookStroke, AStrokeOnTheProgramsOwnWindowIsLeftAlone) {
    QWidget own;
    own.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    own.setGeometry(QRect(start - QPoint(50, 50), QSize(400, 300)));
    own.show();
    // Mapped and exposed: the press below lands on it.
    ASSERT_TRUE(Until([&] { return own.windowHandle() && own.windowHandle()->isExposed(); }));

    PressLeft();
    EXPECT_EQ(holdQueries, 0);
    EXPECT_FALSE(Floating());
    const QPoint end = start + kSteps * kStep;
    EXPECT_TRUE(Stroke(end)) << "the handler's column is not applied";
    device.Release(1);
    EXPECT_TRUE(Until([&] { return releases == 1; }));
}

TEST_F(MouseHookStroke, EndingTheHookMidStrokeGivesTheMouseBack) {
    PressLeft();
    ASSERT_TRUE(Floating());
    FinalizeMouseHook();
    device.Sync();
    EXPECT_FALSE(Floating());
    const QPoint before = device.PointerPosition();
    device.MoveBy(7, 3);
    EXPECT_TRUE(Until([&] { return device.PointerPosition() == before + QPoint(7, 3); }));
    // The button is still down: its release reaches the window below as usual.
    device.Release(1);
    EXPECT_TRUE(recorder->WaitUntil([](const std::vector<TPointerRecord>& records) {
        const std::vector<TPointerRecord> buttons = ButtonsOf(records);
        return buttons.size() == 2 && buttons.back().Kind == TPointerRecord::Release;
    }));
}

} // namespace
