// The mouse hook where the desktop cannot be watched (the tests' offscreen platform
// stands for Wayland without XWayland): it stays off, says why once, and nothing breaks.
#include <gtest/gtest.h>

#include "foundation/MouseHook.h"

namespace {

TEST(MouseHookTest, WithoutAnX11DisplayTheHookStaysOffAndSaysSoOnce) {
    testing::internal::CaptureStderr();
    MouseHook().OnMouseMove = [](TMouseHook*, TShiftState, int& X, int&) { X = 0; };
    MouseHook().SetActive(true);
    EXPECT_EQ(MouseHook().HookHandle(), nullptr);
    MouseHook().SetActive(true); // tries again, quietly
    EXPECT_EQ(MouseHook().HookHandle(), nullptr);
    MouseHook().SetActive(false);
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_NE(said.find("Cursor snapping is not available"), std::string::npos) << said;
    EXPECT_EQ(said.find("Cursor snapping", 1), std::string::npos) << "said more than once:\n"
                                                                  << said;
    FinalizeMouseHook();
}

TEST(MouseHookTest, GlobalHookLivesFromFirstUseToFinalization) {
    TMouseHook& first = MouseHook();
    EXPECT_EQ(&MouseHook(), &first);
    EXPECT_FALSE(first.OnLButtonDown);
    FinalizeMouseHook();
    FinalizeMouseHook(); // a second shut-down finds nothing to free
    MouseHook().SetActive(false);
    FinalizeMouseHook();
}

} // namespace
