// A window's title as another X client reads it: the window system gets no more of a
// caption than it accepts, while the program keeps the whole text. Waiting for a window to
// be drawn ends with the program.
#include "platform/widgets/VclForm.h"
#include "platform/widgets/WindowTitle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <optional>
#include <string>

namespace {

// The _NET_WM_NAME of a window, read on a connection of its own like any other program.
std::optional<std::string> WindowName(Window window) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return std::nullopt;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<std::string> name;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0,
                           64L * 1024 * 1024, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr)
        name = std::string(reinterpret_cast<char*>(data), count);
    if (data != nullptr)
        XFree(data);
    XCloseDisplay(display);
    return name;
}

void ProcessEventsFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

TEST(VclFormDisplay, AHugeCaptionReachesTheWindowSystemCutAndStaysWholeInTheProgram) {
    auto form = NewComponent<TForm>(nullptr);
    const std::string huge(20u << 20, 'T'); // a language file's 20 MB AppTitle
    form->SetCaption(huge);
    form->SetBounds(10, 10, 200, 100);
    form->Show();
    ProcessEventsFor(300);
    const auto window = static_cast<Window>(form->Widget()->winId());
    const std::optional<std::string> name = WindowName(window);
    ASSERT_TRUE(name.has_value()) << "the window has no title, or the display is gone";
    EXPECT_EQ(name->size(), std::size_t(platform::kMaxWindowTitleChars));
    EXPECT_TRUE(form->Caption() == huge) << "the program keeps the whole caption";

    // The connection lives on: a new caption arrives as it stands.
    form->SetCaption("标尺");
    ProcessEventsFor(100);
    EXPECT_EQ(WindowName(window), std::optional<std::string>("标尺"));
}

// A program that is ending (a termination signal ended its event loops) no longer waits
// for a window to be drawn.
TEST(VclFormDisplay, WaitingForAWindowToBeDrawnEndsWithTheProgram) {
    auto form = NewComponent<TForm>(nullptr);
    form->SetBounds(10, 10, 200, 100);
    constexpr int kBoundMs = 20000;
    std::optional<bool> drawn;
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        form->Show();
        QCoreApplication::exit(0);
        clock.start();
        drawn = form->WaitUntilDrawn(kBoundMs);
    });
    QApplication::exec();
    ASSERT_TRUE(drawn.has_value());
    EXPECT_FALSE(*drawn);
    EXPECT_LT(clock.elapsed(), kBoundMs / 2) << "it waited for its bound";
}
