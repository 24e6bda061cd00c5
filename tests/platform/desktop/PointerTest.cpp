// Translation between the display server's screen pixels (what the mouse hook reports)
// and the client frame of the window that covers the whole virtual desktop.
#include <gtest/gtest.h>

#include "platform/desktop/Pointer.h"

namespace {

using platform::TScreenArea;

struct TTranslationRow {
    const char* name;
    std::vector<TScreenArea> screens;
    QPoint virtualTopLeft;
    QPoint screenPos;
    QPoint windowPos;
};

void PrintTo(const TTranslationRow& row, std::ostream* out) {
    *out << row.name;
}

class DesktopWindowTranslation : public testing::TestWithParam<TTranslationRow> {};

TEST_P(DesktopWindowTranslation, MapsBothWays) {
    const TTranslationRow& row = GetParam();
    EXPECT_EQ(platform::ScreenToDesktopWindow(row.screenPos, row.screens, row.virtualTopLeft),
              row.windowPos);
    EXPECT_EQ(platform::DesktopWindowToScreen(row.windowPos, row.screens, row.virtualTopLeft),
              row.screenPos);
}

const TScreenArea kPrimary{QRect(0, 0, 1920, 1080), 1.0};

INSTANTIATE_TEST_SUITE_P(
    Layouts, DesktopWindowTranslation,
    testing::Values(
        TTranslationRow{"one monitor at the origin: the frames agree",
                        {kPrimary},
                        {0, 0},
                        {700, 300},
                        {700, 300}},
        TTranslationRow{"monitor left of the primary: origin moves right",
                        {{QRect(-1280, 0, 1280, 1024), 1.0}, kPrimary},
                        {-1280, 0},
                        {0, 0},
                        {1280, 0}},
        TTranslationRow{"top-left corner of a monitor left of and above the primary",
                        {{QRect(-1280, -200, 1280, 1024), 1.0}, kPrimary},
                        {-1280, -200},
                        {-1280, -200},
                        {0, 0}},
        TTranslationRow{"monitor scaled by two",
                        {{QRect(0, 0, 960, 540), 2.0}},
                        {0, 0},
                        {1000, 500},
                        {500, 250}},
        TTranslationRow{"second monitor scaled by one and a half",
                        {kPrimary, {QRect(1920, 0, 1280, 720), 1.5}},
                        {0, 0},
                        {2220, 150},
                        {2120, 100}},
        TTranslationRow{
            "no monitor known: only the origin moves", {}, {-100, -50}, {0, 0}, {100, 50}}),
    [](const testing::TestParamInfo<TTranslationRow>& info) {
        return "Row" + std::to_string(info.index);
    });

TEST(DesktopWindowTranslationTest, PointOffEveryMonitorUsesTheNearestMonitorsScale) {
    // The right-hand monitor is 1280 x 720 screen pixels, shorter than the primary, so
    // the desktop has a dead corner below it.
    const std::vector<TScreenArea> screens{kPrimary, {QRect(1920, 0, 640, 360), 2.0}};
    EXPECT_EQ(platform::ScreenToDesktopWindow({2420, 800}, screens, {0, 0}), QPoint(2170, 400));
    EXPECT_EQ(platform::ScreenToDesktopWindow({2000, 1000}, screens, {0, 0}), QPoint(2000, 1000));
}

TEST(DesktopWindowTranslationTest, HalfPixelsRoundToTheEvenNeighbour) {
    const std::vector<TScreenArea> screens{{QRect(0, 0, 960, 540), 2.0}};
    EXPECT_EQ(platform::ScreenToDesktopWindow({101, 103}, screens, {0, 0}), QPoint(50, 52));
}

} // namespace
