#include "rulers/BaseRuler.h"

#include "foundation/Exceptions.h"
#include "foundation/SLSysUtils.h"
#include "foundation/VBCursor.h"
#include "platform/desktop/Screen.h"
#include "rulers/TestInstruments.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace {

// The main window as the instrument sees it, recording what the instrument asks of it.
class TRecordingHost : public TRulerHost {
public:
    int Cursor = INT_MIN;
    bool HintShown = false;
    std::vector<std::string> Hints;
    TGPPoint HintAt;
    int Repaints = 0;
    TGPPoint Pointer{640, 480};

    void SetCursor(int cursorId) override { Cursor = cursorId; }
    void ShowHint(const std::string& text, const TGPPoint& screenPoint) override {
        HintShown = true;
        Hints.push_back(text);
        HintAt = screenPoint;
    }
    void HideHint() override { HintShown = false; }
    TGPPoint CursorPos() const override { return Pointer; }
    void Repaint() override { ++Repaints; }
};

// An instrument that keeps every default of the base: minimum size, snap point.
class TPlainRuler : public TBaseRuler {
public:
    void GetOutline(TGPGraphicsPath& path) const override {
        path.AddRectangle(TGPRectF(0, 0, Width, Height));
    }
    TGPPointF GetResizeHandle() const override { return {Width - 32, Height / 2}; }
    TGPPointF GetOrigin() const override { return {0, 0}; }
};

TGPPointF ToWindow(const TBaseRuler& ruler, TGPPointF local) {
    ruler.RulerToScreen(local.X, local.Y);
    return local;
}

TGPPointF ToLocal(const TBaseRuler& ruler, TGPPointF window) {
    ruler.ScreenToRuler(window.X, window.Y);
    return window;
}

TGPPoint Rounded(TGPPointF p) {
    return {static_cast<int>(std::lround(p.X)), static_cast<int>(std::lround(p.Y))};
}

void Place(TBaseRuler& ruler, float offsetX, float offsetY, float angle = 0) {
    ruler.OffsetX = offsetX;
    ruler.OffsetY = offsetY;
    ruler.Angle = angle;
}

constexpr float kEps = 1e-3f;

} // namespace

// ---------------------------------------------------------------------------------------------

TEST(BaseRulerConstruction, CentresA500BoxOnThePrimaryScreenThenTakesItsOwnSize) {
    const auto screen = platform::PrimaryScreenSize();
    const TTestBoxRuler box;
    EXPECT_FLOAT_EQ(box.OffsetX, (screen.width() - 500) / 2.0f);
    EXPECT_FLOAT_EQ(box.OffsetY, (screen.height() - 500) / 2.0f);
    EXPECT_EQ(box.Width, 200);
    EXPECT_EQ(box.Height, 100);
    EXPECT_EQ(box.Angle, 0);
    EXPECT_FALSE(box.Selected);
    EXPECT_EQ(box.GetDragState(), TDragState::Idle);
    EXPECT_FALSE(box.GetSnapEngaged());
    EXPECT_FALSE(box.GetSnapSticky());
}

TEST(BaseRulerSetSize, KeepsTheMinimumAndABoundButNoOtherRule) {
    TPlainRuler plain;
    plain.SetSize(10, 1000);
    EXPECT_EQ(plain.Width, 64);
    EXPECT_EQ(plain.Height, 1000);
    plain.SetSize(64.5f, 63.9f);
    EXPECT_EQ(plain.Width, 64.5f);
    EXPECT_EQ(plain.Height, 64);

    TTestBoxRuler box;
    const float offsetX = box.OffsetX;
    box.SetSize(10, 10);
    EXPECT_EQ(box.Width, 80);
    EXPECT_EQ(box.Height, 40);
    EXPECT_EQ(box.OffsetX, offsetX) << "SetSize never moves the instrument";

    // A runaway request cannot make the instrument larger than any scale can walk.
    box.SetSize(1e30f, std::numeric_limits<float>::infinity());
    EXPECT_EQ(box.Width, kMaxRulerExtent);
    EXPECT_EQ(box.Height, kMaxRulerExtent);
    box.SetSize(std::nanf(""), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(box.Width, 80);
    EXPECT_EQ(box.Height, 40);
}

TEST(BaseRulerShape, RotateHandleSits32PixelsLeftOfTheResizeHandle) {
    TTestBoxRuler box;
    EXPECT_EQ(box.GetResizeHandle(), TGPPointF(168, 50));
    EXPECT_EQ(box.GetRotateHandle(), TGPPointF(136, 50));
    EXPECT_EQ(box.GetMinSize(), TGPPoint(80, 40));
    TPlainRuler plain;
    EXPECT_EQ(plain.GetMinSize(), TGPPoint(64, 64));
    EXPECT_EQ(plain.SnapPoint({3.5f, -7}), TGPPointF(3.5f, -7));
}

// ---------------------------------------------------------------------------------------------
// Frames

struct FrameCase {
    const char* Name;
    bool Disc; // pivot at the centre of a 300 x 300 disc, else the corner of a 200 x 100 box
    float Angle;
    TGPPointF Local;
    TGPPointF Window;
};

class BaseRulerFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(BaseRulerFrames, MapLocalToWindowAndBack) {
    const FrameCase& c = GetParam();
    TTestBoxRuler box;
    TTestDiscRuler disc;
    TBaseRuler& ruler = c.Disc ? static_cast<TBaseRuler&>(disc) : box;
    Place(ruler, 100, 50, c.Angle);

    const TGPPointF window = ToWindow(ruler, c.Local);
    EXPECT_NEAR(window.X, c.Window.X, kEps);
    EXPECT_NEAR(window.Y, c.Window.Y, kEps);
    const TGPPointF back = ToLocal(ruler, window);
    EXPECT_NEAR(back.X, c.Local.X, kEps);
    EXPECT_NEAR(back.Y, c.Local.Y, kEps);
}

const double kCos359 = std::cos(359 * std::numbers::pi / 180);
const double kSin359 = std::sin(359 * std::numbers::pi / 180);

INSTANTIATE_TEST_SUITE_P(
    Rows, BaseRulerFrames,
    ::testing::Values(FrameCase{"UnrotatedIsAPureTranslation", false, 0, {10, 20}, {110, 70}},
                      FrameCase{"QuarterTurnIsClockwiseOnScreen", false, 90, {10, 0}, {100, 60}},
                      FrameCase{
                          "NegativeQuarterTurnIsCounterClockwise", false, -90, {10, 0}, {100, 40}},
                      FrameCase{"AnglesAreNotReducedBeforeUse", false, 450, {10, 0}, {100, 60}},
                      FrameCase{"AlmostAFullTurn",
                                false,
                                359,
                                {100, 0},
                                {100 + 100 * float(kCos359), 50 + 100 * float(kSin359)}},
                      FrameCase{"NegativeCoordinates", false, 180, {-20, -30}, {120, 80}},
                      FrameCase{"DiscCentreStaysWhereverItTurns", true, 37, {150, 150}, {250, 200}},
                      FrameCase{"DiscCornerSwingsAboutTheCentre", true, 180, {0, 0}, {400, 350}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(BaseRulerFramesRoundTrip, EveryWindowPointComesBackAtAnyAngle) {
    TTestDiscRuler disc;
    for (float angle : {0.0f, 0.001f, 33.3f, 90.0f, 271.5f, 359.0f, -1234.5f}) {
        Place(disc, -350.5f, 1700.25f, angle);
        for (int x = -2000; x <= 4000; x += 731)
            for (int y = -900; y <= 2600; y += 517) {
                const TGPPointF window = ToWindow(disc, ToLocal(disc, TGPPointF(x, y)));
                ASSERT_NEAR(window.X, x, 2e-3) << angle;
                ASSERT_NEAR(window.Y, y, 2e-3) << angle;
            }
    }
}

// ---------------------------------------------------------------------------------------------
// Hit tests

struct HitCase {
    const char* Name;
    TGPPointF Local;
    bool Rotate;
    bool Resize;
    bool NearEdge;
};

class BaseRulerHitTests : public ::testing::TestWithParam<HitCase> {};

// The 200 x 100 box: rotate handle at (136, 50), resize handle at (168, 50).
TEST_P(BaseRulerHitTests, HandlesAreCirclesOfRadius8AndTheEdgeBandIs8PixelsEitherSide) {
    const HitCase& c = GetParam();
    TTestBoxRuler box;
    EXPECT_EQ(box.IsOnRotateHandle(c.Local), c.Rotate);
    EXPECT_EQ(box.IsOnResizeHandle(c.Local), c.Resize);
    EXPECT_EQ(box.IsNearEdge(c.Local), c.NearEdge);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BaseRulerHitTests,
    ::testing::Values(HitCase{"RotateHandleCentre", {136, 50}, true, false, false},
                      HitCase{"InsideTheRotateCircle", {141, 55}, true, false, false},
                      HitCase{"OnTheRotateRim", {136, 58}, true, false, false},
                      HitCase{"JustOutsideTheRotateCircle", {142, 56}, false, false, false},
                      HitCase{"ResizeHandleCentre", {168, 50}, false, true, false},
                      HitCase{"OnTheResizeRim", {168, 42}, false, true, false},
                      HitCase{"SevenOutsideTheTopEdge", {100, -7}, false, false, true},
                      HitCase{"SevenInsideTheTopEdge", {100, 7}, false, false, true},
                      HitCase{"NineOutsideTheTopEdge", {100, -9}, false, false, false},
                      HitCase{"NineInsideTheTopEdge", {100, 9}, false, false, false},
                      HitCase{"SevenOutsideTheLeftEdge", {-7, 50}, false, false, true},
                      HitCase{"SevenOutsideTheRightEdge", {207, 50}, false, false, true},
                      HitCase{"NineBelowTheBottomEdge", {100, 109}, false, false, false},
                      HitCase{"DeepInsideTheBody", {60, 50}, false, false, false},
                      HitCase{"FarAway", {-500, 900}, false, false, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(BaseRulerHitTestsOnCurves, TheBandFollowsARoundOutline) {
    TTestDiscRuler disc; // radius 150 about (150, 150)
    const float s = std::sqrt(0.5f);
    for (float r : {143.0f, 157.0f})
        EXPECT_TRUE(disc.IsNearEdge({150 + r * s, 150 - r * s})) << r;
    for (float r : {141.0f, 159.0f})
        EXPECT_FALSE(disc.IsNearEdge({150 + r * s, 150 - r * s})) << r;
}

// ---------------------------------------------------------------------------------------------
// Drag

class BaseRulerDrag : public ::testing::Test {
protected:
    TTestBoxRuler Box;
    TRecordingHost Host;

    // Hovering loads the custom cursors; free them while the application still exists.
    void TearDown() override { FinalizeVBCursor(); }

    // Window position of a local point of the box, rounded like a mouse event.
    TGPPoint At(TGPPointF local) const { return Rounded(ToWindow(Box, local)); }
    void Press(TGPPoint p, TMouseButton button = TMouseButton::mbLeft) {
        Box.MouseDown(&Host, button, 0, p.X, p.Y);
    }
    void Move(TGPPoint p) { Box.MouseMove(&Host, 0, p.X, p.Y); }
    void Release(TGPPoint p, TMouseButton button = TMouseButton::mbLeft) {
        Box.MouseUp(&Host, button, 0, p.X, p.Y);
    }
};

TEST_F(BaseRulerDrag, APressOffTheHandlesMovesByExactlyThePointersDisplacement) {
    Place(Box, 100.5f, 50.25f, 30);
    Press({150, 90});
    EXPECT_EQ(Box.GetDragState(), TDragState::Moving);
    Move({163, 71});
    EXPECT_FLOAT_EQ(Box.OffsetX, 113.5f);
    EXPECT_FLOAT_EQ(Box.OffsetY, 31.25f);
    Move({140, 95});
    EXPECT_FLOAT_EQ(Box.OffsetX, 90.5f);
    EXPECT_FLOAT_EQ(Box.OffsetY, 55.25f);
    EXPECT_EQ(Box.Angle, 30);
    EXPECT_EQ(Host.Repaints, 2) << "every drag move repaints at once";
    Release({140, 95});
    EXPECT_EQ(Box.GetDragState(), TDragState::Idle);
    Move({400, 400});
    EXPECT_FLOAT_EQ(Box.OffsetX, 90.5f) << "an idle move does not drag";
}

TEST_F(BaseRulerDrag, OnlyTheLeftButtonStartsADragButAnyReleaseEndsIt) {
    Place(Box, 100, 100);
    Press(At({136, 50}), TMouseButton::mbRight);
    Press(At({168, 50}), TMouseButton::mbMiddle);
    EXPECT_EQ(Box.GetDragState(), TDragState::Idle);
    Press(At({136, 50}));
    EXPECT_EQ(Box.GetDragState(), TDragState::Rotating);
    Release(At({0, 0}), TMouseButton::mbRight);
    EXPECT_EQ(Box.GetDragState(), TDragState::Idle);
    Press(At({168, 50}));
    EXPECT_EQ(Box.GetDragState(), TDragState::Resizing);
    // A press can start anywhere the window receives it, even off the body.
    Release(At({0, 0}));
    Press({5000, -5000});
    EXPECT_EQ(Box.GetDragState(), TDragState::Moving);
}

TEST_F(BaseRulerDrag, TurningTheRotateHandleAQuarterTurnAdds90AndShowsTheReading) {
    Place(Box, 300, 300);
    const TGPPointF handle = Box.GetRotateHandle(); // (136, 50), 20.2 degrees below +x
    Press(At(handle));
    ASSERT_EQ(Box.GetDragState(), TDragState::Rotating);
    // Where the handle lies after a quarter turn clockwise about the corner (0, 0).
    Move(Rounded({300 - handle.Y, 300 + handle.X}));
    EXPECT_NEAR(Box.Angle, 90, 0.5);
    EXPECT_EQ(Box.OffsetX, 300);
    EXPECT_EQ(Box.OffsetY, 300);
    EXPECT_EQ(Host.Repaints, 1);
    ASSERT_TRUE(Host.HintShown);
    EXPECT_EQ(Host.Hints.back(), Box.AngleHintText());
    EXPECT_EQ(Host.HintAt, Host.Pointer) << "the hint shows at the pointer";
    Release(Rounded({300 - handle.Y, 300 + handle.X}));
    EXPECT_FALSE(Host.HintShown);
}

TEST_F(BaseRulerDrag, TwoTurnsOfThePointerAccumulateWithoutNormalising) {
    Place(Box, 500, 500);
    const TGPPointF handle = Box.GetRotateHandle();
    const double radius = std::hypot(handle.X, handle.Y);
    const double start = std::atan2(handle.Y, handle.X);
    Press(At(handle));
    for (int step = 1; step <= 48; ++step) { // 15 degrees a step, 720 in all
        const double a = start + step * std::numbers::pi / 12;
        Move({static_cast<int>(std::lround(500 + radius * std::cos(a))),
              static_cast<int>(std::lround(500 + radius * std::sin(a)))});
    }
    EXPECT_NEAR(Box.Angle, 720, 1.0);
    Release({0, 0});
    // Counter-clockwise turns take it back below zero.
    Place(Box, 500, 500, 0);
    Press(At(handle));
    for (int step = 1; step <= 30; ++step) {
        const double a = start - step * std::numbers::pi / 12;
        Move({static_cast<int>(std::lround(500 + radius * std::cos(a))),
              static_cast<int>(std::lround(500 + radius * std::sin(a)))});
    }
    EXPECT_NEAR(Box.Angle, -450, 1.0);
}

TEST_F(BaseRulerDrag, ResizingFollowsThePointerInLocalAxesAndStopsAtTheMinimum) {
    Place(Box, 200, 200, 90); // turned: local x runs down the screen
    Press(At({168, 50}));
    ASSERT_EQ(Box.GetDragState(), TDragState::Resizing);
    Move(At({218, 70}));
    EXPECT_NEAR(Box.Width, 250, 0.01);
    EXPECT_NEAR(Box.Height, 120, 0.01);
    EXPECT_EQ(Box.OffsetX, 200) << "the corner pivot keeps its place";
    Move(At({-400, -400}));
    EXPECT_EQ(Box.Width, 80);
    EXPECT_EQ(Box.Height, 40);
    EXPECT_FALSE(Host.HintShown) << "no hint while resizing";
    EXPECT_EQ(Host.Repaints, 2);
}

TEST(BaseRulerDragCentrePivot, ResizingKeepsTheCentreOnTheSameWindowPoint) {
    TTestDiscRuler disc;
    TRecordingHost host;
    Place(disc, 100, 100, 40);
    const TGPPointF centre = ToWindow(disc, disc.GetOrigin());
    const TGPPoint press = Rounded(ToWindow(disc, disc.GetResizeHandle()));
    disc.MouseDown(&host, TMouseButton::mbLeft, 0, press.X, press.Y);
    ASSERT_EQ(disc.GetDragState(), TDragState::Resizing);
    for (int step = 1; step <= 5; ++step) {
        disc.MouseMove(&host, 0, press.X + 20 * step, press.Y + 7 * step);
        const TGPPointF now = ToWindow(disc, disc.GetOrigin());
        EXPECT_NEAR(now.X, centre.X, 0.01);
        EXPECT_NEAR(now.Y, centre.Y, 0.01);
    }
    EXPECT_GT(disc.Width, 300);
    EXPECT_EQ(disc.Width, disc.Height);
    disc.MouseMove(&host, 0, -3000, -3000);
    EXPECT_EQ(disc.Width, 100);
}

TEST(BaseRulerDragWithoutWindow, ChangesTheInstrumentButGivesNoFeedback) {
    TTestBoxRuler box;
    Place(box, 0, 0);
    box.MouseMove(nullptr, 0, 136, 50); // idle over the rotate handle
    box.MouseDown(nullptr, TMouseButton::mbLeft, 0, 136, 50);
    box.MouseMove(nullptr, 0, -50, 136);
    EXPECT_NEAR(box.Angle, 90, 0.5);
    box.MouseUp(nullptr, TMouseButton::mbLeft, 0, 0, 0);
    EXPECT_EQ(box.GetDragState(), TDragState::Idle);
}

// ---------------------------------------------------------------------------------------------
// Pointer feedback

TEST_F(BaseRulerDrag, HoverShowsTheRotateCursorAndAngleOnlyOverTheRotateHandle) {
    Place(Box, 100, 100);
    Move(At({136, 50}));
    EXPECT_EQ(Host.Cursor, 312);
    ASSERT_TRUE(Host.HintShown);
    EXPECT_EQ(Host.Hints.back(), "360.00");
    Move(At({137, 51}));
    EXPECT_EQ(Host.Hints.size(), 2u) << "each move over the handle shows the hint again";
    Move(At({168, 50}));
    EXPECT_EQ(Host.Cursor, crSizeAll);
    EXPECT_FALSE(Host.HintShown);
    Move(At({136, 50}));
    Move(At({20, 20}));
    EXPECT_EQ(Host.Cursor, crDefault);
    EXPECT_FALSE(Host.HintShown);
    EXPECT_EQ(Host.Repaints, 0) << "hovering never repaints";
}

TEST_F(BaseRulerDrag, TheCursorStaysAsSetWhileADragRuns) {
    Place(Box, 100, 100);
    Move(At({168, 50}));
    Press(At({168, 50}));
    Move(At({20, 20}));
    EXPECT_EQ(Host.Cursor, crSizeAll);
}

struct HintCase {
    const char* Name;
    float Angle;
    const char* Text;
};

class BaseRulerAngleHint : public ::testing::TestWithParam<HintCase> {};

TEST_P(BaseRulerAngleHint, ReadsCounterClockwiseWithTwoDecimals) {
    TTestBoxRuler box;
    box.Angle = GetParam().Angle;
    EXPECT_EQ(box.AngleHintText(), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Rows, BaseRulerAngleHint,
                         ::testing::Values(HintCase{"UnrotatedReads360NotZero", 0, "360.00"},
                                           HintCase{"QuarterClockwise", 90, "270.00"},
                                           HintCase{"QuarterCounterClockwise", -90, "90.00"},
                                           HintCase{"SameAs270", 270, "90.00"},
                                           HintCase{"WholeTurnsDrop", 450, "270.00"},
                                           HintCase{"SmallNegative", -30, "30.00"},
                                           HintCase{"Fraction", 12.25f, "347.75"},
                                           HintCase{"ManyTurnsBack", -1440, "360.00"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(BaseRulerAngleHintSeparator, UsesTheLocalesDecimalSeparator) {
    const char saved = DecimalSeparator();
    SetDecimalSeparator(',');
    TTestBoxRuler box;
    box.Angle = 90;
    EXPECT_EQ(box.AngleHintText(), "270,00");
    SetDecimalSeparator(saved);
}

TEST(BaseRulerAngleHintHuge, AHugeAngleStillGivesAReadingInRange) {
    // Steps of 360 would never bring this one into range.
    TTestBoxRuler box;
    box.Angle = 1e30f;
    const std::string text = box.AngleHintText();
    const double value = std::stod(text);
    EXPECT_GT(value, 0);
    EXPECT_LE(value, 360);
}

// ---------------------------------------------------------------------------------------------
// Cursor snapping. The box sits unrotated at (100, 100): its top edge is window y = 100,
// and it snaps to 2 px above that edge, window y = 98.

class BaseRulerSnapping : public ::testing::Test {
protected:
    TTestBoxRuler Box;

    void SetUp() override { Place(Box, 100, 100); }
    TGPPoint HookMove(int x, int y) {
        Box.HookMouseMove(0, x, y);
        return {x, y};
    }
    TGPPoint HookDown(int x, int y, TMouseButton button = TMouseButton::mbLeft) {
        Box.HookLButtonDown(button, 0, x, y);
        return {x, y};
    }
    TGPPoint HookUp(int x, int y) {
        Box.HookLButtonUp(TMouseButton::mbLeft, 0, x, y);
        return {x, y};
    }
};

TEST_F(BaseRulerSnapping, APressNearTheEdgeProjectsEveryMoveUntilTheRelease) {
    EXPECT_EQ(HookDown(150, 95), TGPPoint(150, 95)) << "the press itself never moves";
    EXPECT_TRUE(Box.GetSnapEngaged());
    EXPECT_EQ(HookMove(400, 700), TGPPoint(400, 98)) << "however far away";
    EXPECT_EQ(HookMove(-30, 150), TGPPoint(-30, 98)) << "inside or outside the body";
    EXPECT_FALSE(Box.GetSnapSticky()) << "engaged moves leave the anchor alone";
    EXPECT_EQ(HookUp(-30, 98), TGPPoint(-30, 98));
    EXPECT_FALSE(Box.GetSnapEngaged());
    EXPECT_EQ(HookMove(400, 700), TGPPoint(400, 700));
}

TEST_F(BaseRulerSnapping, APressFartherThan8PixelsOrWithAnotherButtonDoesNotEngage) {
    HookDown(150, 88);
    EXPECT_FALSE(Box.GetSnapEngaged());
    HookDown(150, 95, TMouseButton::mbRight);
    EXPECT_FALSE(Box.GetSnapEngaged());
    EXPECT_EQ(HookMove(150, 80), TGPPoint(150, 80)) << "20 px away is left alone";
}

TEST_F(BaseRulerSnapping, ProximityAnchorsAndHoldsUntilThePointerPullsMoreThan8PixelsAway) {
    EXPECT_EQ(HookMove(150, 104), TGPPoint(150, 98));
    EXPECT_TRUE(Box.GetSnapSticky());
    EXPECT_EQ(Box.GetSnapAnchor(), TGPPointF(50, -2));
    EXPECT_EQ(HookMove(155, 99), TGPPoint(155, 98)) << "5 px along the edge: still held";
    EXPECT_EQ(HookMove(158, 105), TGPPoint(158, 98)) << "exactly 8 px is not beyond";
    EXPECT_EQ(HookMove(159, 99), TGPPoint(159, 99)) << "9 px: this one move goes through";
    EXPECT_FALSE(Box.GetSnapSticky());
    EXPECT_EQ(HookMove(160, 99), TGPPoint(160, 98)) << "and the next one anchors anew";
    EXPECT_EQ(Box.GetSnapAnchor(), TGPPointF(60, -2));
}

TEST_F(BaseRulerSnapping, LeavingTheBandKeepsTheAnchorForTheReturn) {
    HookMove(150, 104);
    EXPECT_EQ(HookMove(150, 60), TGPPoint(150, 60));
    EXPECT_TRUE(Box.GetSnapSticky());
    EXPECT_EQ(HookMove(152, 103), TGPPoint(152, 98)) << "back near the old anchor: snapped";
    HookMove(150, 60);
    EXPECT_EQ(HookMove(200, 103), TGPPoint(200, 103)) << "back elsewhere: let through once";
    EXPECT_EQ(HookMove(201, 103), TGPPoint(201, 98));
}

TEST_F(BaseRulerSnapping, TheInstrumentsOwnDragIsNeverSnappedButAReleaseStillDisengages) {
    HookDown(150, 95);
    ASSERT_TRUE(Box.GetSnapEngaged());
    Box.MouseDown(nullptr, TMouseButton::mbLeft, 0, 150, 95);
    EXPECT_EQ(HookMove(150, 400), TGPPoint(150, 400));
    HookUp(150, 400);
    EXPECT_FALSE(Box.GetSnapEngaged());
    HookDown(150, 95);
    EXPECT_FALSE(Box.GetSnapEngaged()) << "a press during a drag does not engage";
    Box.MouseUp(nullptr, TMouseButton::mbLeft, 0, 150, 95);
    EXPECT_EQ(HookMove(150, 103), TGPPoint(150, 98));
}

TEST_F(BaseRulerSnapping, SnappedPointsRoundHalvesToTheEvenPixel) {
    Place(Box, 100.5f, 100.5f); // the snap line lies at window y = 98.5
    EXPECT_EQ(HookMove(150, 104), TGPPoint(150, 98));
    Place(Box, 100.5f, 101.5f); // now at 99.5
    HookDown(150, 104);
    EXPECT_EQ(HookMove(150, 104), TGPPoint(150, 100));
}

TEST(BaseRulerSnappingDefault, AnInstrumentWithoutASnapRuleNeverMovesTheCursor) {
    TPlainRuler plain;
    Place(plain, 333.25f, -20.75f, 33.3f);
    for (int x = 300; x < 900; x += 7)
        for (int y = -100; y < 600; y += 11) {
            int hx = x;
            int hy = y;
            plain.HookLButtonDown(TMouseButton::mbLeft, 0, hx, hy);
            plain.HookMouseMove(0, hx, hy);
            plain.HookLButtonUp(TMouseButton::mbLeft, 0, hx, hy);
            ASSERT_EQ(TGPPoint(hx, hy), TGPPoint(x, y));
        }
}

// A snap rule that throws must not leave the hook's point half converted.
class TFailingSnapRuler : public TTestBoxRuler {
public:
    TGPPointF SnapPoint(const TGPPointF&) const override { throw EInvalidOperation("snap failed"); }
};

TEST(BaseRulerSnappingFailure, ThePointIsWrittenBackAndTheErrorTravelsOn) {
    TFailingSnapRuler ruler;
    Place(ruler, 100, 100);
    int x = 150;
    int y = 103;
    const TGPPointF local = ToLocal(ruler, TGPPointF(x, y));
    ASSERT_TRUE(ruler.IsNearEdge(local));
    EXPECT_THROW(ruler.HookMouseMove(0, x, y), EInvalidOperation);
    EXPECT_EQ(TGPPoint(x, y), TGPPoint(150, 103));
}

// ---------------------------------------------------------------------------------------------
// Registry

TEST(RulerClassListRegistry, KeepsOrderRefusesDuplicatesAndFindsNamesIgnoringCase) {
    TRulerClassList list;
    list.Register(TTestDiscRuler::StaticClassInfo());
    list.Register(TTestBoxRuler::StaticClassInfo());
    list.Register(TTestDiscRuler::StaticClassInfo());
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(&list.GetItem(0), &TTestDiscRuler::StaticClassInfo());
    EXPECT_EQ(list.IndexOfName("ttestboxruler"), 1);
    EXPECT_EQ(list.IndexOfName("TTestBoxRulerX"), -1);
    EXPECT_EQ(list.IndexOfName(""), -1);
    try {
        list.GetItem(2);
        FAIL() << "no error for a bad index";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (2)");
    }
}

TEST(RulerClassListRegistry, TheGlobalRegistryLivesUntilItIsFinalized) {
    RulerClassList().Register(TTestBoxRuler::StaticClassInfo());
    EXPECT_EQ(&RulerClassList(), &RulerClassList());
    EXPECT_EQ(RulerClassList().GetCount(), 1);
    FinalizeBaseRuler();
    EXPECT_EQ(RulerClassList().GetCount(), 0);
    FinalizeBaseRuler();
}
