// The pointer as the whole desktop sees it, on a real X display.
#include <gtest/gtest.h>

#include "platform/desktop/Pointer.h"
#include "support/FakeInput.h"

namespace {

class PointerDisplayTest : public testing::Test {
protected:
    TFakeInput input;
};

TEST_F(PointerDisplayTest, PositionIsReadAndSetInScreenPixels) {
    input.MoveTo({123, 456});
    EXPECT_EQ(platform::CursorPos(), QPoint(123, 456));
    platform::SetCursorPos({789, 321});
    EXPECT_EQ(input.PointerPosition(), QPoint(789, 321));
    EXPECT_EQ(platform::CursorPos(), QPoint(789, 321));
}

TEST_F(PointerDisplayTest, LeftButtonStateFollowsTheUsersButtonMapping) {
    input.MoveTo({100, 100});
    EXPECT_FALSE(platform::IsLeftButtonDown());
    input.Press(TFakeInput::kLeft);
    EXPECT_TRUE(platform::IsLeftButtonDown());
    input.Release(TFakeInput::kLeft);
    EXPECT_FALSE(platform::IsLeftButtonDown());
    input.Press(TFakeInput::kRight);
    EXPECT_FALSE(platform::IsLeftButtonDown()) << "right button";
    input.Release(TFakeInput::kRight);

    // Left-handed: the physical right button is the logical left one.
    const std::vector<unsigned char> original = input.ButtonMap();
    std::vector<unsigned char> swapped = original;
    std::swap(swapped[0], swapped[2]);
    ASSERT_TRUE(input.SetButtonMap(swapped));
    input.Press(TFakeInput::kRight);
    const bool leftHeld = platform::IsLeftButtonDown();
    input.Release(TFakeInput::kRight);
    input.SetButtonMap(original);
    EXPECT_TRUE(leftHeld);
}

TEST_F(PointerDisplayTest, OnThisDesktopBothFramesAgree) {
    // Xvfb's single unscaled screen starts at the origin.
    EXPECT_EQ(platform::ScreenToDesktopWindow({640, 480}), QPoint(640, 480));
    EXPECT_EQ(platform::DesktopWindowToScreen({640, 480}), QPoint(640, 480));
}

} // namespace
