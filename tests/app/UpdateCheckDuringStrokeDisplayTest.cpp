// The automatic update check blocks the thread that reads a held stroke's mouse: when it
// falls due during one, it waits for the release. The main window runs in this process
// on the X display, with snapping on; the mouse is Xvfb's own device, whose stroke on the
// straight ruler's snap line the program holds.

#include "app/MainFrm.h"
#include "foundation/MouseHook.h"
#include "foundation/SLVclUtils.h"
#include "platform/widgets/VclTimer.h"
#include "rulers/RulerConsts.h"
#include "rulers/RulerInfos.h"
#include "support/DeviceInput.h"
#include "support/FakeInput.h"
#include "support/LocalHttpServer.h"
#include "support/ProgramCopy.h"
#include "support/Waiting.h"

#include <QWindow>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace {

using namespace std::chrono_literals;

constexpr int kSnapGap = 2; // px: snapped points lie this far above the ruler's top edge

TEST(UpdateCheckDuringStroke, WaitsForTheReleaseAndThenRunsOnce) {
    TDeviceInput device;
    if (!device.Available())
        GTEST_SKIP() << "this display has no Xvfb mouse to send device input through";
    TTempFolder folder;
    if (!RunsInCopyOfTestProgram(folder))
        return;
    RegisterRulerClasses();
    TLocalHttpServer server;
    server.Reply(200, "OK", "0"); // this version is the newest: a silent check says nothing
    AppStr().UpdateUrl = server.BaseUrl() + "/check.asp";
    AppInfo().MouseSnap = true;
    TComponentPtr<TMainForm> form = NewComponent<TMainForm>(nullptr);
    form->Show();
    TFakeInput input;
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return form->Widget()->windowHandle() && form->Widget()->windowHandle()->isExposed();
    }));

    // Onto the straight ruler's snap line, a third of the way along, and press.
    const TBaseRuler& ruler = *AppInfo().GetCurrentRuler();
    ASSERT_EQ(std::lround(ruler.Angle), 0);
    const QPoint start(std::lround(ruler.OffsetX + ruler.Width / 3),
                       std::lround(ruler.OffsetY) - kSnapGap);
    // The hook reads the move before the press, in the order the server sends them.
    input.MoveTo(start);
    device.Press(1);
    device.Sync();
    ASSERT_TRUE(ProcessEventsUntil([&] { return device.Attachment() == 0; }))
        << "the program held the stroke";

    form->tmrCheckUpdate->OnTimer(form->tmrCheckUpdate);
    EXPECT_TRUE(form->UpdateCheckWaitsForStroke());
    // The held mouse is still read: the pointer follows it along the line.
    device.MoveBy(30, 0);
    device.Sync();
    EXPECT_TRUE(ProcessEventsUntil([&] {
        return input.PointerPosition() == start + QPoint(30, 0);
    })) << "the pointer stands at ("
        << input.PointerPosition().x() << ", " << input.PointerPosition().y() << ")";
    EXPECT_TRUE(server.Requests().empty()) << "no request while the stroke is held";

    device.Release(1);
    device.Sync();
    EXPECT_TRUE(ProcessEventsUntil([&] { return server.Requests().size() == 1; }, 20s))
        << "the check ran after the release";
    EXPECT_FALSE(form->UpdateCheckWaitsForStroke());
    EXPECT_FALSE(form->tmrCheckUpdate->Enabled()) << "and is not armed again";
    EXPECT_NE(device.Attachment(), 0) << "the mouse went back";
    form.reset();
    FinalizeMouseHook();
    FinalizeRulerInfos();
}

} // namespace
