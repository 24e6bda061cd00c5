// The X error trap on a real display: each trap takes the errors of the requests made in its
// own scope on its own connection; every other error goes on to the handler before it.
#include <gtest/gtest.h>
#include <vector>

#include "platform/desktop/X11ErrorTrap.h"

namespace {

std::vector<unsigned long> PassedOn; // the requests whose errors reached that handler

// A request that fails (BadWindow); returns its serial.
unsigned long FailingRequest(Display* display) {
    const unsigned long serial = NextRequest(display);
    XMapWindow(display, None);
    return serial;
}

TEST(X11ErrorTrapDisplayTest, EachTrapTakesTheErrorsOfItsOwnScopeAndPassesOthersOn) {
    Display* own = XOpenDisplay(nullptr);
    Display* other = XOpenDisplay(nullptr);
    ASSERT_TRUE(own && other);
    const XErrorHandler original = XSetErrorHandler([](Display*, XErrorEvent* error) {
        PassedOn.push_back(error->serial);
        return 0;
    });
    const unsigned long early = FailingRequest(own); // before any trap, read inside one
    unsigned long foreign = 0;
    {
        platform::TX11ErrorTrap outer(own);
        foreign = FailingRequest(other);
        XSync(other, False);
        EXPECT_FALSE(outer.Failed());
        {
            platform::TX11ErrorTrap inner(own);
            FailingRequest(own);
            EXPECT_TRUE(inner.Failed());
        }
        EXPECT_FALSE(outer.Failed()) << "the inner trap's error is its own";
        FailingRequest(own);
        EXPECT_TRUE(outer.Failed());
    }
    const unsigned long late = FailingRequest(own); // the handler is back
    XSync(own, False);
    EXPECT_EQ(PassedOn, (std::vector<unsigned long>{foreign, early, late}));
    XSetErrorHandler(original);
    XCloseDisplay(other);
    XCloseDisplay(own);
}

} // namespace
