// The mouse hook on a real X display: pointer input comes from XTest, so the hook sees
// it exactly as it would see a user's mouse.
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

#include "foundation/MouseHook.h"
#include "support/FakeInput.h"
#include "support/Waiting.h"

namespace {

constexpr QPoint kStart{50, 50};

enum class TReportKind { Move, LeftDown, LeftUp };

struct TReport {
    TReportKind kind;
    QPoint at;
    bool operator==(const TReport&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TReport& report) {
    static const char* const names[] = {"Move", "LeftDown", "LeftUp"};
    return out << names[static_cast<int>(report.kind)] << "(" << report.at.x() << ", "
               << report.at.y() << ")";
}

// A plain window that counts the presses it is sent.
class TPressCounter : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class MouseHookDisplayTest : public testing::Test {
protected:
    void SetUp() override {
        input.MoveTo(kStart);
        ASSERT_EQ(input.PointerPosition(), kStart);
    }

    void TearDown() override {
        FinalizeMouseHook();
        // Lets the watch's notifier, freed later by design, go.
        ProcessEventsUntil([] { return true; });
    }

    // Binds all three handlers to record what they are given, leaving every point alone.
    void Record(TMouseHook& hook) {
        hook.OnMouseMove = [this](TMouseHook*, TShiftState, int& X, int& Y) {
            reports.push_back({TReportKind::Move, {X, Y}});
        };
        hook.OnLButtonDown = [this](TMouseHook*, TMouseButton button, TShiftState, int& X, int& Y) {
            EXPECT_EQ(button, TMouseButton::mbLeft);
            reports.push_back({TReportKind::LeftDown, {X, Y}});
        };
        hook.OnLButtonUp = [this](TMouseHook*, TMouseButton button, TShiftState, int& X, int& Y) {
            EXPECT_EQ(button, TMouseButton::mbLeft);
            reports.push_back({TReportKind::LeftUp, {X, Y}});
        };
    }

    std::vector<TReport> ButtonReports() const {
        std::vector<TReport> buttons;
        for (const TReport& report : reports)
            if (report.kind != TReportKind::Move)
                buttons.push_back(report);
        return buttons;
    }

    bool Reported(TReport wanted) {
        return ProcessEventsUntil(
            [&] { return std::find(reports.begin(), reports.end(), wanted) != reports.end(); });
    }

    TFakeInput input;
    std::vector<TReport> reports;
};

TEST_F(MouseHookDisplayTest, MoveHandlerThatChangesThePointMovesThePointerThere) {
    constexpr int kColumn = 500;
    std::vector<QPoint> moves;
    MouseHook().OnMouseMove = [&](TMouseHook* sender, TShiftState shift, int& X, int& Y) {
        EXPECT_EQ(sender, &MouseHook());
        EXPECT_EQ(shift, TShiftState{});
        moves.push_back({X, Y});
        X = kColumn; // pulls every move onto one column
    };
    MouseHook().SetActive(true);
    ASSERT_NE(MouseHook().HookHandle(), nullptr);

    input.MoveTo({300, 200});
    ASSERT_TRUE(ProcessEventsUntil([&] { return moves.size() >= 2; }));
    EXPECT_EQ(moves.front(), QPoint(300, 200));
    // The move the hook made arrives as a move of its own, which the handler leaves alone.
    EXPECT_EQ(moves[1], QPoint(kColumn, 200));
    EXPECT_EQ(input.PointerPosition(), QPoint(kColumn, 200));

    input.MoveTo({320, 700});
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return input.PointerPosition() == QPoint(kColumn, 700); }));
}

TEST_F(MouseHookDisplayTest, HandlerThatLeavesThePointAloneChangesNothing) {
    TPressCounter window;
    window.setGeometry(100, 100, 400, 300);
    window.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return window.isVisible(); }));

    Record(MouseHook());
    MouseHook().SetActive(true);
    input.MoveTo({300, 200});
    ASSERT_TRUE(Reported({TReportKind::Move, {300, 200}}));
    EXPECT_EQ(input.PointerPosition(), QPoint(300, 200));

    // The click goes on to the window under the pointer, which grabs the pointer from
    // the press to the release: the release is reported all the same.
    input.Click(TFakeInput::kLeft);
    ASSERT_TRUE(Reported({TReportKind::LeftUp, {300, 200}})) << testing::PrintToString(reports);
    EXPECT_TRUE(ProcessEventsUntil([&] { return window.presses == 1; }));
    EXPECT_EQ(input.PointerPosition(), QPoint(300, 200));
}

TEST_F(MouseHookDisplayTest, OnlyTheLeftButtonReachesTheHandlers) {
    Record(MouseHook());
    MouseHook().SetActive(true);
    input.MoveTo({400, 300});

    for (unsigned other :
         {TFakeInput::kRight, TFakeInput::kMiddle, TFakeInput::kWheelUp, TFakeInput::kWheelDown})
        input.Click(other);
    input.Press(TFakeInput::kLeft);
    // Each report gives the pointer where it is when the report is made.
    ASSERT_TRUE(Reported({TReportKind::LeftDown, {400, 300}}));
    input.MoveTo({410, 310});
    input.Release(TFakeInput::kLeft);

    ASSERT_TRUE(Reported({TReportKind::LeftUp, {410, 310}}));
    const std::vector<TReport> expected{{TReportKind::LeftDown, {400, 300}},
                                        {TReportKind::LeftUp, {410, 310}}};
    EXPECT_EQ(ButtonReports(), expected);
}

// XTest input sends its moves right behind a press: here the server has made them all before
// the hook reads the press, which is reported where the moves before it left the pointer.
TEST_F(MouseHookDisplayTest, AnXTestPressIsReportedWhereItWasMadeNotWhereTheMovesAfterItWent) {
    Record(MouseHook());
    MouseHook().SetActive(true);
    input.MoveTo({300, 200});
    ASSERT_TRUE(Reported({TReportKind::Move, {300, 200}}));
    input.Press(TFakeInput::kLeft); // the hook reads only in the event loop, below
    input.MoveTo({340, 230});
    input.Release(TFakeInput::kLeft);
    ASSERT_TRUE(Reported({TReportKind::LeftUp, {340, 230}}));
    EXPECT_EQ(ButtonReports().front(), (TReport{TReportKind::LeftDown, {300, 200}}));
}

TEST_F(MouseHookDisplayTest, LeftHandedMouseReportsItsLogicalLeftButton) {
    const std::vector<unsigned char> original = input.ButtonMap();
    ASSERT_GE(original.size(), 3u);
    struct TRestore {
        TFakeInput& input;
        const std::vector<unsigned char>& map;
        ~TRestore() { input.SetButtonMap(map); }
    } restore{input, original};

    Record(MouseHook());
    MouseHook().SetActive(true);
    // Swapped while the hook is on: the hook must follow the change.
    std::vector<unsigned char> swapped = original;
    std::swap(swapped[0], swapped[2]);
    ASSERT_TRUE(input.SetButtonMap(swapped));

    input.MoveTo({200, 200});
    input.Click(TFakeInput::kLeft);  // now the logical right button
    input.Click(TFakeInput::kRight); // now the logical left button
    ASSERT_TRUE(Reported({TReportKind::LeftUp, {200, 200}}));
    const std::vector<TReport> expected{{TReportKind::LeftDown, {200, 200}},
                                        {TReportKind::LeftUp, {200, 200}}};
    EXPECT_EQ(ButtonReports(), expected);
}

TEST_F(MouseHookDisplayTest, PressHandlerThatChangesThePointMovesThePointer) {
    MouseHook().OnLButtonDown = [](TMouseHook*, TMouseButton, TShiftState, int& X, int& Y) {
        X = 600;
        Y = 500;
    };
    MouseHook().SetActive(true);
    input.MoveTo({100, 100});
    input.Press(TFakeInput::kLeft);
    EXPECT_TRUE(ProcessEventsUntil([&] { return input.PointerPosition() == QPoint(600, 500); }));
    input.Release(TFakeInput::kLeft);
}

TEST_F(MouseHookDisplayTest, ActivatingTwiceInstallsOneHookAndDeactivatingStopsTheEvents) {
    Record(MouseHook());
    MouseHook().SetActive(false); // without a hook: nothing happens
    EXPECT_EQ(MouseHook().HookHandle(), nullptr);

    MouseHook().SetActive(true);
    const platform::MouseWatcher* first = MouseHook().HookHandle();
    ASSERT_NE(first, nullptr);
    MouseHook().SetActive(true);
    EXPECT_EQ(MouseHook().HookHandle(), first);

    input.MoveTo({250, 250});
    input.Click(TFakeInput::kLeft);
    ASSERT_TRUE(Reported({TReportKind::LeftUp, {250, 250}}));
    EXPECT_EQ(ButtonReports().size(), 2u) << "one hook reports each press once";

    MouseHook().SetActive(false);
    EXPECT_EQ(MouseHook().HookHandle(), nullptr);
    const size_t reportsWhileOn = reports.size();

    // A second hook shows when the input has gone round.
    TMouseHook witness;
    bool witnessSawRelease = false;
    witness.OnLButtonUp = [&](TMouseHook*, TMouseButton, TShiftState, int&, int&) {
        witnessSawRelease = true;
    };
    witness.SetActive(true);
    input.MoveTo({260, 260});
    input.Click(TFakeInput::kLeft);
    ASSERT_TRUE(ProcessEventsUntil([&] { return witnessSawRelease; }));
    EXPECT_EQ(reports.size(), reportsWhileOn);
}

TEST_F(MouseHookDisplayTest, HandlerMayRemoveTheHookWhileItRuns) {
    int calls = 0;
    MouseHook().OnLButtonDown = [&](TMouseHook* sender, TMouseButton, TShiftState, int& X, int&) {
        ++calls;
        sender->SetActive(false);
        X += 10;
    };
    MouseHook().OnMouseMove = [&](TMouseHook*, TShiftState, int&, int&) { ++calls; };
    MouseHook().SetActive(true);
    input.MoveTo({300, 300});
    ASSERT_TRUE(ProcessEventsUntil([&] { return calls == 1; }));
    input.Click(TFakeInput::kLeft);
    input.MoveTo({310, 300});
    input.Click(TFakeInput::kLeft);
    ASSERT_TRUE(ProcessEventsUntil([&] { return MouseHook().HookHandle() == nullptr; }));
    // Later input finds no hook; a fresh one works again.
    EXPECT_EQ(calls, 2);
    MouseHook().SetActive(true);
    input.MoveTo({320, 300});
    EXPECT_TRUE(ProcessEventsUntil([&] { return calls == 3; }));
}

TEST_F(MouseHookDisplayTest, FailingHandlerLeavesThePointerAloneAndTheHookGoesOn) {
    int calls = 0;
    MouseHook().OnMouseMove = [&](TMouseHook*, TShiftState, int& X, int&) {
        ++calls;
        X += 100; // changed, and then the handler fails
        throw std::runtime_error("Snap point out of reach");
    };
    MouseHook().SetActive(true);
    testing::internal::CaptureStderr();
    input.MoveTo({300, 300});
    ASSERT_TRUE(ProcessEventsUntil([&] { return calls == 1; }));
    input.MoveTo({310, 300});
    ASSERT_TRUE(ProcessEventsUntil([&] { return calls == 2; }));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(input.PointerPosition(), QPoint(310, 300));
    EXPECT_NE(said.find("Snap point out of reach"), std::string::npos) << said;
}

} // namespace
