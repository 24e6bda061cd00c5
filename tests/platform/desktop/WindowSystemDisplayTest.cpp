// Activation and stacking on a real X display, with and without a window manager.
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "platform/desktop/WindowSystem.h"
#include "support/FakeInput.h"
#include "support/FakeWindowManager.h"
#include "support/Waiting.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

constexpr long kSourceUserAction = 2;
constexpr long kIconicState = 3;

// Plain X windows of "another program": their own connection, nothing of Qt.
class TOtherProgram {
public:
    TOtherProgram() : FDisplay(XOpenDisplay(nullptr)) {}
    ~TOtherProgram() { XCloseDisplay(FDisplay); }

    Window Create(int x, int y, bool mapped = true) {
        const Window window =
            XCreateSimpleWindow(FDisplay, DefaultRootWindow(FDisplay), x, y, 200, 150, 0, 0, 0);
        if (mapped)
            XMapWindow(FDisplay, window);
        XSync(FDisplay, False);
        return window;
    }

    void Focus(Window window) {
        XSetInputFocus(FDisplay, window, RevertToParent, CurrentTime);
        XSync(FDisplay, False);
    }

    Window FocusedWindow() {
        Window focus = 0;
        int revertTo = 0;
        XGetInputFocus(FDisplay, &focus, &revertTo);
        return focus;
    }

    // Position among the root window's children, bottom first.
    int StackingIndex(Window window) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count);
        int index = -1;
        for (unsigned i = 0; i < count; ++i)
            if (children[i] == window)
                index = static_cast<int>(i);
        XFree(children);
        return index;
    }

    bool IsShown(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(FDisplay, window, &attributes);
        return attributes.map_state == IsViewable;
    }

    QRect Geometry(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(FDisplay, window, &attributes);
        return {attributes.x, attributes.y, attributes.width, attributes.height};
    }

    void SetIconic(Window window) {
        const Atom wmState = XInternAtom(FDisplay, "WM_STATE", False);
        const long state[] = {kIconicState, 0};
        XChangeProperty(FDisplay, window, wmState, wmState, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(state), 2);
        XSync(FDisplay, False);
    }

    bool IsAbove(Window window) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(FDisplay, window, XInternAtom(FDisplay, "_NET_WM_STATE", False), 0, 64,
                           False, XA_ATOM, &type, &format, &count, &after, &data);
        const Atom above = XInternAtom(FDisplay, "_NET_WM_STATE_ABOVE", False);
        bool found = false;
        for (unsigned long i = 0; data && i < count; ++i)
            found = found || reinterpret_cast<long*>(data)[i] == static_cast<long>(above);
        if (data)
            XFree(data);
        return found;
    }

    Atom AtomNamed(const char* name) { return XInternAtom(FDisplay, name, False); }

private:
    Display* FDisplay;
};

class WindowSystemDisplayTest : public testing::Test {
protected:
    TOtherProgram other;
};

TEST_F(WindowSystemDisplayTest, WithoutWindowManagerActivatesAndRaisesAnotherProgramsWindow) {
    const Window back = other.Create(100, 100);
    const Window front = other.Create(150, 150);
    other.Focus(front);
    ASSERT_LT(other.StackingIndex(back), other.StackingIndex(front));

    EXPECT_TRUE(platform::ForceForegroundWindow(back));
    EXPECT_EQ(other.FocusedWindow(), back);
    EXPECT_GT(other.StackingIndex(back), other.StackingIndex(front));
    // Already in front: still true.
    EXPECT_TRUE(platform::ForceForegroundWindow(back));
}

TEST_F(WindowSystemDisplayTest, WithoutWindowManagerRestoresAMinimisedWindow) {
    const Window minimised = other.Create(100, 100, false);
    other.SetIconic(minimised);
    EXPECT_TRUE(platform::ForceForegroundWindow(minimised));
    EXPECT_TRUE(other.IsShown(minimised));
    EXPECT_EQ(other.FocusedWindow(), minimised);
}

TEST_F(WindowSystemDisplayTest, ActivatesThisProgramsOwnWindow) {
    QWidget widget;
    widget.setGeometry(300, 300, 200, 100);
    widget.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return widget.isVisible(); }));
    const Window elsewhere = other.Create(0, 0);
    other.Focus(elsewhere);

    EXPECT_TRUE(platform::ForceForegroundWindow(widget.winId()));
    EXPECT_TRUE(ProcessEventsUntil([&] { return widget.isActiveWindow(); }));
}

TEST_F(WindowSystemDisplayTest, WindowsThatDoNotExistAreNeverActive) {
    EXPECT_FALSE(platform::ForceForegroundWindow(0));
    const Window alive = other.Create(0, 0);
    Window stale = 0;
    {
        // Closing a connection destroys its windows: the id goes stale.
        TOtherProgram owner;
        stale = owner.Create(10, 10);
    }
    EXPECT_FALSE(platform::ForceForegroundWindow(stale));
    platform::SetStayOnTop(stale, true);
    EXPECT_TRUE(platform::ForceForegroundWindow(alive)) << "a stale id does no lasting harm";
}

TEST_F(WindowSystemDisplayTest, WithoutWindowManagerStayOnTopRaisesWithoutActivating) {
    const Window window = other.Create(100, 100);
    const Window focused = other.Create(150, 150);
    other.Focus(focused);
    const QRect geometry = other.Geometry(window);

    platform::SetStayOnTop(window, true);
    EXPECT_TRUE(other.IsAbove(window));
    EXPECT_GT(other.StackingIndex(window), other.StackingIndex(focused));
    EXPECT_EQ(other.FocusedWindow(), focused);
    EXPECT_EQ(other.Geometry(window), geometry);

    platform::SetStayOnTop(window, false);
    EXPECT_FALSE(other.IsAbove(window));
    EXPECT_EQ(other.FocusedWindow(), focused);
}

TEST_F(WindowSystemDisplayTest, StayOnTopOfAWindowNotYetShownIsKeptForLater) {
    const Window hidden = other.Create(100, 100, false);
    platform::SetStayOnTop(hidden, true);
    EXPECT_TRUE(other.IsAbove(hidden));
    EXPECT_FALSE(other.IsShown(hidden));
}

TEST_F(WindowSystemDisplayTest, WithWindowManagerActivationIsAskedForAsAUserAction) {
    const Window target = other.Create(100, 100);
    const Window focused = other.Create(150, 150);
    other.Focus(focused);
    TFakeWindowManager manager;

    EXPECT_TRUE(platform::ForceForegroundWindow(target));
    const auto requests = manager.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].message, "_NET_ACTIVE_WINDOW");
    EXPECT_EQ(requests[0].window, target);
    EXPECT_EQ(requests[0].data[0], kSourceUserAction);
    EXPECT_EQ(other.FocusedWindow(), target);

    // The manager already calls it active: nothing more is asked.
    EXPECT_TRUE(platform::ForceForegroundWindow(target));
    EXPECT_EQ(manager.Requests().size(), 1u);
}

TEST_F(WindowSystemDisplayTest, WithWindowManagerThatRefusesActivationTheResultIsFalse) {
    const Window target = other.Create(100, 100);
    TFakeWindowManager manager(true);
    EXPECT_FALSE(platform::ForceForegroundWindow(target));
    EXPECT_EQ(manager.Requests().size(), 1u);
}

TEST_F(WindowSystemDisplayTest, WithWindowManagerStayOnTopIsAskedOfTheManager) {
    const Window window = other.Create(100, 100);
    TFakeWindowManager manager;
    const long above = static_cast<long>(other.AtomNamed("_NET_WM_STATE_ABOVE"));

    platform::SetStayOnTop(window, true);
    ASSERT_TRUE(ProcessEventsUntil([&] { return other.IsAbove(window); }));
    platform::SetStayOnTop(window, false);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !other.IsAbove(window); }));

    auto requests = manager.Requests();
    std::erase_if(requests, [](const auto& r) { return r.message != "_NET_WM_STATE"; });
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.message, "_NET_WM_STATE");
        EXPECT_EQ(request.window, window);
        EXPECT_EQ(request.data[1], above);
        EXPECT_EQ(request.data[3], kSourceUserAction);
    }
    EXPECT_EQ(requests[0].data[0], 1) << "add";
    EXPECT_EQ(requests[1].data[0], 0) << "remove";
}

// A click on the program's window asks for the activation without waiting for the
// answer: a manager that refuses it holds nothing up, and the window still goes to the
// top when it is kept on top.
TEST_F(WindowSystemDisplayTest, WithWindowManagerThatRefusesActivationTheWindowIsStillRaised) {
    const Window target = other.Create(100, 100);
    const Window cover = other.Create(150, 150);
    other.Focus(cover);
    TFakeWindowManager manager(true);

    platform::RequestForegroundWindow(target);
    platform::SetStayOnTop(target, true);
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return other.StackingIndex(target) > other.StackingIndex(cover);
    })) << "raised above the window that covered it";
    EXPECT_EQ(other.FocusedWindow(), cover) << "the manager refused the activation";

    std::vector<std::string> messages;
    for (const auto& request : manager.Requests()) {
        messages.push_back(request.message);
        EXPECT_EQ(request.window, target);
        EXPECT_EQ(request.data[0], request.message == "_NET_WM_STATE" ? 1 : kSourceUserAction);
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"_NET_ACTIVE_WINDOW", "_NET_WM_STATE",
                                                  "_NET_RESTACK_WINDOW"}));
}

} // namespace
