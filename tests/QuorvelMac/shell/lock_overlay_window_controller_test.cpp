#include "QuorvelMac/shell/lock_overlay_window_controller.hpp"

#include <QGuiApplication>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QWindow>

#include "shell_x11_fixture.hpp"

namespace quorvel {
namespace {

using namespace shelltest;
using Status = LockOverlayState::Status;

class LockOverlayWindowControllerTest : public ShellX11Test {
protected:
    void SetUp() override {
        observer = makeObserver();
        controller = std::make_unique<LockOverlayWindowController>(observer.get(), nullptr);
        controller->prepare();
        editor = std::make_unique<testkit::TestWindow>("editor", "Editor",
                                                       PixelRect{100, 100, 400, 300});
        viewer = std::make_unique<testkit::TestWindow>("viewer", "Viewer",
                                                       PixelRect{600, 100, 300, 300});
        x11.setFrameExtents(editor->id(), 1, 1, 20, 5);
        x11.setActive(editor->id());
        ASSERT_TRUE(runLoopUntil([&] {
            const auto current = observer->watcher()->currentActiveWindow();
            return current && current->window == editor->id();
        }));
    }

    void showLocked(Status status = Status::locked()) {
        controller->show(LockOverlayState{editorTarget(), status}, editor->pid(),
                         [this] { ++unlocks; });
    }

    // The frame (grown by 1, 1, 20, 5) less its 20-pixel title bar.
    static PixelRect coverOf(PixelRect client) {
        return {client.x - 1, client.y, client.width + 2, client.height + 5};
    }

    std::unique_ptr<windows::ForegroundAppObserver> observer;
    std::unique_ptr<LockOverlayWindowController> controller;
    std::unique_ptr<testkit::TestWindow> editor;
    std::unique_ptr<testkit::TestWindow> viewer;
    int unlocks = 0;
};

TEST_F(LockOverlayWindowControllerTest, CoversTheLockedWindowBelowItsTitleBarWithoutTakingFocus) {
    qtRoundTrip();
    EXPECT_TRUE(noPanel()) << "the warm-up show leaves nothing mapped";
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    // The panel never becomes the active or the focused window. Qt would take the focus for it
    // when it handles the panel's mapping, which comes before its exposure; the round trip then
    // makes sure the server has carried out whatever Qt asked.
    ASSERT_TRUE(runLoopUntil([&] { return controller->panel()->windowHandle()->isExposed(); }));
    qtRoundTrip();
    EXPECT_EQ(x11.active(), editor->id());
    auto* focus =
        xcb_get_input_focus_reply(x11.connection(), xcb_get_input_focus(x11.connection()), nullptr);
    ASSERT_TRUE(focus);
    EXPECT_NE(focus->focus, static_cast<xcb_window_t>(controller->panel()->winId()));
    std::free(focus);
    EXPECT_TRUE(controller->isTracking());
}

TEST_F(LockOverlayWindowControllerTest, FollowsAMovedOrResizedWindow) {
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    x11.moveResize(editor->id(), {300, 200, 250, 180});
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({300, 200, 250, 180})); }));
    // However narrow: no layout minimum may clamp the panel.
    x11.moveResize(editor->id(), {50, 60, 90, 70});
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({50, 60, 90, 70})); }));
}

TEST_F(LockOverlayWindowControllerTest, StaysAboveAWindowRaisedOverIt) {
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    x11.raise(editor->id());
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
}

TEST_F(LockOverlayWindowControllerTest, HidesWhileAnotherApplicationIsInFrontAndComesBack) {
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    x11.setActive(viewer->id());
    EXPECT_TRUE(runLoopUntil([&] { return noPanel(); }));
    x11.setActive(editor->id());
    EXPECT_TRUE(runLoopUntil([&] {
        return panelCovers(coverOf({100, 100, 400, 300}));
    })) << "the tracking brings it back without a new decision";
}

TEST_F(LockOverlayWindowControllerTest, MinimisedWindowHidesThePanel) {
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    x11.setHidden(editor->id(), true);
    EXPECT_TRUE(runLoopUntil([&] { return noPanel(); }));
    x11.setHidden(editor->id(), false);
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
}

TEST_F(LockOverlayWindowControllerTest, RepeatedShowsKeepOnePanel) {
    showLocked();
    auto* panel = controller->panel();
    showLocked(Status::requesting());
    showLocked(Status::waitingForIPhone(Date{10}));
    EXPECT_EQ(controller->panel(), panel);
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    EXPECT_EQ(controller->panel()->view()->state()->status, Status::waitingForIPhone(Date{10}));
}

TEST_F(LockOverlayWindowControllerTest, CloseFadesOutAndStopsFollowing) {
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    controller->close();
    EXPECT_FALSE(controller->isTracking());
    EXPECT_FALSE(controller->processIdentifier());
    EXPECT_TRUE(runLoopUntil([&] { return noPanel(); }));
    EXPECT_EQ(controller->panel()->windowOpacity(), 1.0);
    // A show while fading keeps the panel. The show calls the fade-out off: once that fade is
    // gone, nothing is left that could hide the panel.
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    controller->close();
    QPointer<QPropertyAnimation> fade;
    for (auto* animation : controller->findChildren<QPropertyAnimation*>()) {
        if (animation->state() == QAbstractAnimation::Running)
            fade = animation;
    }
    ASSERT_TRUE(fade) << "no fade-out under way";
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return fade.isNull(); }));
    qtRoundTrip();
    EXPECT_TRUE(panelCovers(coverOf({100, 100, 400, 300})));
}

// All within one turn of the loop: the show calls the fade-out off, and the second close must
// not take that stopped fade (its animation goes only later) for one still under way.
TEST_F(LockOverlayWindowControllerTest, CloseShowCloseInOneTurnHidesThePanel) {
    showLocked();
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(coverOf({100, 100, 400, 300})); }));
    controller->close();
    showLocked();
    controller->close();
    EXPECT_FALSE(controller->isTracking());
    EXPECT_FALSE(controller->processIdentifier());
    EXPECT_TRUE(runLoopUntil([&] { return noPanel(); }));
    EXPECT_EQ(controller->panel()->windowOpacity(), 1.0);
}

TEST_F(LockOverlayWindowControllerTest, CloseBeforeAnyShowDoesNothing) {
    LockOverlayWindowController fresh(observer.get(), nullptr);
    fresh.close();
    EXPECT_EQ(fresh.panel(), nullptr);
}

TEST_F(LockOverlayWindowControllerTest, ButtonSendsTheRequest) {
    showLocked();
    controller->panel()->view()->unlockButton()->click();
    EXPECT_EQ(unlocks, 1);
    showLocked(Status::requesting());
    controller->panel()->view()->unlockButton()->click();
    EXPECT_EQ(unlocks, 1) << "disabled while the request is under way";
}

}  // namespace
}  // namespace quorvel
