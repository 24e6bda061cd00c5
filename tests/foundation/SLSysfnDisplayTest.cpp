// Window activation and z-order helpers on the program's own windows, on a real display.
#include <QWidget>
#include <gtest/gtest.h>

#include "foundation/SLSysUtils.h"
#include "support/FakeInput.h"
#include "support/Waiting.h"

namespace {

TEST(SLSysfnDisplayTest, ForegroundAndStayOnTopOfTheProgramsOwnWindows) {
    QWidget first;
    first.setGeometry(100, 100, 300, 200);
    QWidget second;
    second.setGeometry(200, 200, 300, 200);
    first.show();
    second.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return first.isVisible() && second.isVisible(); }));
    second.activateWindow();
    ASSERT_TRUE(ProcessEventsUntil([&] { return second.isActiveWindow(); }));

    TSLSysfn::SetStayOnTop(first.winId(), true);
    EXPECT_TRUE(ProcessEventsUntil([&] { return second.isActiveWindow(); }))
        << "staying on top does not activate";
    EXPECT_EQ(first.geometry(), QRect(100, 100, 300, 200));

    EXPECT_TRUE(TSLSysfn::ForceForegroundWindow(first.winId()));
    EXPECT_TRUE(ProcessEventsUntil([&] { return first.isActiveWindow(); }));
}

} // namespace
