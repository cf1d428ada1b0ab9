// The lock under a real window manager: openbox reparents the windows into frames, publishes
// the active window and the frame extents itself, and is asked to activate a window the way a
// task bar does.
#include "QuorvelMac/shell/quorvel_mac_app.hpp"

#include <QWindow>

#include "QuorvelMac/model/model_fixture.hpp"
#include "shell_x11_fixture.hpp"

namespace quorvel {
namespace {

using namespace shelltest;

class OpenboxLockTest : public modeltest::ModelTest, protected X11Scene {
protected:
    OpenboxLockTest() : X11Scene(home.dataHome()) {}
};

TEST_F(OpenboxLockTest, ActivatingALockedWindowShowsThePanelOverItAndSwitchingAwayHidesIt) {
    auto openbox = testkit::WindowManagerSession::openbox(x11);
    if (!openbox)
        GTEST_SKIP() << "openbox is not installed";
    accessibility->trusted = true;
    testkit::TestWindow editor("editor", "Editor", PixelRect{100, 100, 400, 300});
    testkit::TestWindow viewer("viewer", "Viewer", PixelRect{600, 100, 300, 300});
    ASSERT_TRUE(managed({editor.id(), viewer.id()}));

    QuorvelMacApp::Parts parts;
    parts.observer = makeObserver();
    parts.makeModel = [this] { return makeModel(); };
    parts.showScenes = false;
    QuorvelMacApp app(std::move(parts));
    app.model().addMacApplicationTargets(
        {{"org.example.Editor", "Editor", (applications / "org.example.Editor.desktop").string()}});

    x11.requestActivation(editor.id());
    ASSERT_TRUE(runLoopUntil([&] { return x11.active() == editor.id(); }));
    const auto extents = *x11.frameExtentsRect(editor.id());  // left, right, top, bottom
    // Where openbox put the client, in root coordinates.
    auto* where = xcb_translate_coordinates_reply(
        x11.connection(),
        xcb_translate_coordinates(x11.connection(), editor.id(), x11.root(), 0, 0), nullptr);
    ASSERT_TRUE(where);
    const PixelRect cover{where->dst_x - extents.x, where->dst_y, 400 + extents.x + extents.y,
                          300 + extents.height};
    std::free(where);
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(cover); }))
        << "below the title bar, over the frame";
    // Qt would take the focus for the panel when it handles the mapping, which comes before the
    // exposure; once the server has carried that out, openbox, had it lost the window's focus,
    // has let the window go by the time it answers a round trip.
    ASSERT_TRUE(
        runLoopUntil([&] { return app.overlayController().panel()->windowHandle()->isExposed(); }));
    qtRoundTrip();
    ASSERT_TRUE(x11.windowManagerRoundTrip());
    EXPECT_EQ(x11.active(), editor.id()) << "the panel took nothing from the locked window";

    x11.requestActivation(viewer.id());
    ASSERT_TRUE(runLoopUntil([&] { return x11.active() == viewer.id(); }));
    EXPECT_TRUE(runLoopUntil([&] { return noPanel(); }));

    x11.requestActivation(editor.id());
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(cover); }));
}

}  // namespace
}  // namespace quorvel
