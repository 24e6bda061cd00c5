// The X error trap on a real display: a trap takes the errors of the requests made on its
// own connection within its scope, nested traps each those of their own scope, and every
// other error goes on to the handler that was there before.
#include <gtest/gtest.h>
#include <vector>

#include "platform/desktop/X11ErrorTrap.h"

namespace {

// The requests whose errors reached the handler in place before the traps.
std::vector<unsigned long> PassedOn;

int RecordError(Display*, XErrorEvent* error) {
    PassedOn.push_back(error->serial);
    return 0;
}

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
    const XErrorHandler original = XSetErrorHandler(&RecordError);
    PassedOn.clear();

    // Made before any trap, read only inside one: not the trap's.
    const unsigned long early = FailingRequest(own);
    unsigned long foreign = 0;
    {
        platform::TX11ErrorTrap outer(own);
        foreign = FailingRequest(other);
        XSync(other, False);
        EXPECT_FALSE(outer.Failed()) << "another connection's error, or one from before";
        {
            platform::TX11ErrorTrap inner(own);
            FailingRequest(own);
            EXPECT_TRUE(inner.Failed());
        }
        EXPECT_FALSE(outer.Failed()) << "the inner trap's error is the inner trap's";
        FailingRequest(own);
        EXPECT_TRUE(outer.Failed());
    }
    EXPECT_EQ(XSetErrorHandler(&RecordError), &RecordError) << "the handler is put back";
    const unsigned long late = FailingRequest(own);
    XSync(own, False);
    EXPECT_EQ(PassedOn, (std::vector<unsigned long>{foreign, early, late}));

    XSetErrorHandler(original);
    XCloseDisplay(other);
    XCloseDisplay(own);
}

} // namespace
