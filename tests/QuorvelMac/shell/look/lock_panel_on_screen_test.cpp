// The lock panel as the screen shows it under real window managers, a compositing one among
// them: what X reports (the panel mapped over the window, on top) is not enough there, as a
// compositor draws the screen from windows of its own choosing. So the screen's own pixels where
// the panel stands are compared with the panel's, while the locked window, which draws all over
// itself all the time as a video does, goes fullscreen, comes back and moves.
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "QuorvelMac/model/model_fixture.hpp"
#include "QuorvelMac/shell/quorvel_mac_app.hpp"
#include "QuorvelMac/shell/shell_x11_fixture.hpp"
#include "tools/x11_window_colours.hpp"

namespace quorvel {
namespace {

using namespace shelltest;

struct WindowManager {
    std::string name;
    QString program;
    QStringList arguments;
    // It owns "_NET_WM_CM_S0" once it draws the screen itself.
    bool compositing = false;
};

void PrintTo(const WindowManager& manager, std::ostream* out) {
    *out << manager.name;
}

const std::vector<WindowManager> windowManagers = {
    {"openbox", "openbox", {"--sm-disable"}, false},
    // GNOME on X11, drawing in software under Xvfb.
    {"mutter", "mutter", {"--x11", "--replace", "--sm-disable"}, true},
};

class LockPanelOnScreenTest : public modeltest::ModelTest,
                              protected X11Scene,
                              public ::testing::WithParamInterface<WindowManager> {
protected:
    LockPanelOnScreenTest() : X11Scene(home.dataHome()) {}

    // Where the panel belongs over the client: its frame below the title bar.
    std::optional<PixelRect> coverOf(xcb_window_t client) {
        const auto extents = x11.frameExtentsRect(client);  // left, right, top, bottom
        const auto rect = x11.rootRect(client);
        if (!extents || !rect)
            return std::nullopt;
        return PixelRect{rect->x - extents->x, rect->y, rect->width + extents->x + extents->y,
                         rect->height + extents->height};
    }

    xcb_window_t panelWindow() const {
        return static_cast<xcb_window_t>(app->overlayController().panel()->winId());
    }

    // The panel's own pixels; empty when the server gives none.
    std::vector<std::uint32_t> panelPixels(PixelRect rect) {
        return x11.pixels(panelWindow(), {0, 0, rect.width, rect.height});
    }

    // The panel stands over the client's frame below its title bar, above every other window
    // (a window manager has windows of its own), and the screen shows the panel's own pixels
    // there, none of them the window's colours.
    bool seenOver(xcb_window_t client) {
        const auto cover = coverOf(client);
        const auto tops = x11.mappedTopLevels();
        if (!cover || tops.empty() || tops.back().window != panelWindow() ||
            tops.back().rect != *cover)
            return false;
        const auto own = panelPixels(*cover);
        const auto isWindowColour = [](std::uint32_t pixel) {
            return std::find(std::begin(testkit::redrawColours), std::end(testkit::redrawColours),
                             pixel) != std::end(testkit::redrawColours);
        };
        return !own.empty() && std::none_of(own.begin(), own.end(), isWindowColour) &&
               own == x11.pixels(x11.root(), *cover);
    }

    std::unique_ptr<QuorvelMacApp> app;
};

TEST_P(LockPanelOnScreenTest, ThePanelIsSeenOverTheLockedWindowThroughFullscreenAndAMove) {
    const WindowManager& manager = GetParam();
    auto session = testkit::WindowManagerSession::start(x11, manager.program, manager.arguments);
    if (!session)
        GTEST_SKIP() << manager.name << " is not installed";
    if (manager.compositing) {
        ASSERT_TRUE(runLoopUntil([&] {
            return x11.selectionOwner("_NET_WM_CM_S0") != XCB_WINDOW_NONE;
        })) << manager.name
            << " never drew the screen itself";
    }
    accessibility->trusted = true;
    testkit::TestWindow editor("editor", "Editor", PixelRect{100, 100, 400, 300},
                               {.redrawing = true});
    ASSERT_TRUE(managed({editor.id()}));

    QuorvelMacApp::Parts parts;
    parts.observer = makeObserver();
    parts.makeModel = [this] { return makeModel(); };
    parts.showScenes = false;
    app = std::make_unique<QuorvelMacApp>(std::move(parts));
    app->model().addMacApplicationTargets(
        {{"org.example.Editor", "Editor", (applications / "org.example.Editor.desktop").string()}});

    x11.requestActivation(editor.id());
    ASSERT_TRUE(runLoopUntil([&] { return x11.active() == editor.id(); }));
    ASSERT_TRUE(runLoopUntil([&] { return seenOver(editor.id()); })) << "first shown";
    const auto windowed = *x11.rootRect(editor.id());

    const auto screen = *x11.rootRect(x11.root());
    x11.requestFullscreen(editor.id(), true);
    EXPECT_TRUE(runLoopUntil([&] {
        return x11.rootRect(editor.id()) == screen && seenOver(editor.id());
    })) << "fullscreen";

    // mutter takes a fullscreen window that has drawn all over itself in 100 frames in a row for
    // a video or a game and stops compositing it; give it well over that before coming back.
    const long framesBefore = editor.framesDrawn();
    ASSERT_TRUE(runLoopUntil([&] { return editor.framesDrawn() >= framesBefore + 200; }));
    // The screen and the panel are read by two requests while the compositor paints: the check
    // waits for a reading of a settled screen, as every other check here does. The fault it looks
    // for does not pass: it lasts until the panel is mapped again.
    EXPECT_TRUE(runLoopUntil([&] { return seenOver(editor.id()); })) << "a while in fullscreen";

    x11.requestFullscreen(editor.id(), false);
    EXPECT_TRUE(runLoopUntil([&] {
        return x11.rootRect(editor.id()) == windowed && seenOver(editor.id());
    })) << "back from fullscreen";

    const PixelRect moved{windowed.x + 150, windowed.y + 120, windowed.width, windowed.height};
    x11.moveResize(editor.id(), moved);
    EXPECT_TRUE(runLoopUntil([&] {
        const auto now = x11.rootRect(editor.id());
        return now && now->x != windowed.x && seenOver(editor.id());
    })) << "moved";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, LockPanelOnScreenTest, ::testing::ValuesIn(windowManagers),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace quorvel
