#include "QuorvelPlatform/windows/focused_window_frame.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "QuorvelPlatform/windows/x11_window_info.hpp"

namespace quorvel::windows {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct CutCase {
    const char* name;
    ScreenRect window;
    std::vector<ScreenRect> controls;
    ScreenRect expected;
};

TEST(FocusedWindowFrameTest, TitleBarCutTable) {
    const ScreenRect window{100, 50, 800, 600};
    const std::vector<CutCase> cases = {
        {"worked example: three buttons",
         window,
         {{108, 56, 14, 16}, {128, 56, 14, 16}, {148, 56, 14, 16}},
         {100, 78, 800, 572}},
        {"no controls: whole window", window, {}, window},
        {"controls outside the window", window, {{0, 0, 10, 10}}, window},
        {"empty controls", window, {{108, 56, 0, 16}, {128, 56, 14, 0}}, window},
        {"null control passed over",
         window,
         {{nan, 56, 14, 16}, {108, 56, 14, 16}},
         {100, 78, 800, 572}},
        {"lowest bottom plus gap of the first kept",
         window,
         {{108, 60, 14, 10}, {128, 56, 14, 30}},
         {100, 96, 800, 554}},
        {"deeper than 96", window, {{108, 56, 14, 90}}, window},
        {"deeper than a third", {0, 0, 400, 60}, {{5, 5, 10, 20}}, {0, 0, 400, 60}},
        {"exactly 96 deep is cut", window, {{108, 50, 14, 96}}, {100, 146, 800, 504}},
        {"control above the top edge: gap 0", window, {{108, 40, 14, 30}}, {100, 70, 800, 580}},
        {"cut within one unit of the bottom",
         {0, 0, 400, 1.5},
         {{0, 0, 10, 0.5}},
         {0, 0, 400, 1.5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FocusedWindowFrameResolver::blockingAccessibilityFrame(c.window, c.controls),
                  c.expected)
            << c.name;
    }
}

TEST(FocusedWindowFrameTest, CoverableSizesMustExceedOne) {
    EXPECT_TRUE(FocusedWindowFrameResolver::isCoverableSize(2, 2));
    EXPECT_FALSE(FocusedWindowFrameResolver::isCoverableSize(1, 500));
    EXPECT_FALSE(FocusedWindowFrameResolver::isCoverableSize(500, 1));
    EXPECT_FALSE(FocusedWindowFrameResolver::isCoverableSize(nan, 500));
}

X11WindowInfo mappedWindow(ScreenRect outer, FrameExtents extents) {
    X11WindowInfo info;
    info.viewable = true;
    info.outerRect = outer;
    info.extents = extents;
    return info;
}

TEST(FocusedWindowFrameTest, PanelCoversTheFrameBelowItsTitleBar) {
    // openbox's extents: 1 left and right, 20 title bar, 5 bottom handle.
    const auto info = mappedWindow({101, 120, 640, 480}, {1, 1, 20, 5});
    EXPECT_EQ(frameRect(info), (ScreenRect{100, 100, 642, 505}));
    EXPECT_EQ(panelRect(info), (ScreenRect{100, 120, 642, 485}));
}

TEST(FocusedWindowFrameTest, PanelRectCases) {
    auto withoutFrame = mappedWindow({10, 20, 300, 200}, {});
    EXPECT_EQ(panelRect(withoutFrame), (ScreenRect{10, 20, 300, 200})) << "no title bar: all of it";

    auto hidden = withoutFrame;
    hidden.hidden = true;
    EXPECT_EQ(panelRect(hidden), std::nullopt);

    auto unmapped = withoutFrame;
    unmapped.viewable = false;
    EXPECT_EQ(panelRect(unmapped), std::nullopt);

    EXPECT_EQ(panelRect(mappedWindow({0, 0, 1, 200}, {})), std::nullopt);

    // A title bar deeper than a third of a short window is implausible: all of it is covered.
    EXPECT_EQ(panelRect(mappedWindow({0, 40, 300, 30}, {0, 0, 40, 0})),
              (ScreenRect{0, 0, 300, 70}));
}

}  // namespace
}  // namespace quorvel::windows
