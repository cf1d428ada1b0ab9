#include "QuorvelPlatform/windows/foreground_app_observer.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "testkit/temp_xdg.hpp"
#include "testkit/x11/watcher_catch_up.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel::windows {
namespace {

using testkit::PixelRect;
using testkit::runLoopUntil;
using testkit::TestWindow;
using Snapshot = std::optional<RunningApplicationSnapshot>;

class ForegroundAppObserverTest : public ::testing::Test {
protected:
    void SetUp() override {
        applications_ = xdg_.dataHome() / "applications";
        std::filesystem::create_directories(applications_);
        writeEntry("alpha",
                   "[Desktop Entry]\nType=Application\nName=Alpha\nName[ja]=アルファ\n"
                   "Exec=alpha-tool\nStartupWMClass=AlphaWin\n");
        writeEntry("org.example.Beta", "[Desktop Entry]\nType=Application\nName=Beta\nExec=beta\n");
        index_ = std::make_shared<desktop::DesktopEntryIndex>(std::vector{applications_});
        auto watcher = ActiveWindowWatcher::connect();
        ASSERT_TRUE(watcher);
        observer_ = std::make_unique<ForegroundAppObserver>(std::move(watcher), index_);
    }

    void writeEntry(const std::string& id, const std::string& text) {
        std::ofstream(applications_ / (id + ".desktop")) << text;
    }

    void startRecording() {
        observer_->start([this](const Snapshot& snapshot) { reports_.push_back(snapshot); });
    }

    // Activates the window and returns once the observer has handled the property change (and
    // made its report, when the application changed). The watcher reads the property when it
    // handles the change, so a change it had not handled before the next one would be read as
    // that next one.
    void activate(xcb_window_t window) {
        x11_.setActive(window);
        ASSERT_TRUE(testkit::catchUpWithWatcher(*observer_->watcher()));
    }

    testkit::TempXdgHome xdg_;
    std::filesystem::path applications_;
    std::shared_ptr<desktop::DesktopEntryIndex> index_;
    testkit::X11Harness x11_;
    std::unique_ptr<ForegroundAppObserver> observer_;
    std::vector<Snapshot> reports_;
};

TEST_F(ForegroundAppObserverTest, ReportsOncePerChangeOfApplication) {
    TestWindow alpha("alpha", "AlphaWin", {{10, 10, 200, 150}, {300, 10, 200, 150}});
    TestWindow beta("org.example.beta", "Beta", PixelRect{10, 300, 200, 150});
    startRecording();

    activate(alpha.ids()[0]);
    activate(alpha.ids()[1]);  // same application: no report
    activate(beta.id());
    activate(alpha.ids()[0]);
    ASSERT_TRUE(runLoopUntil([&] { return reports_.size() >= 3; }));

    ASSERT_EQ(reports_.size(), 3u);
    EXPECT_EQ(reports_[0], (RunningApplicationSnapshot{"アルファ", "alpha", alpha.pid()}));
    // No StartupWMClass: the entry whose id equals the class, ignoring case.
    EXPECT_EQ(reports_[1], (RunningApplicationSnapshot{"Beta", "org.example.Beta", beta.pid()}));
    EXPECT_EQ(reports_[2]->bundleIdentifier, "alpha");

    x11_.setActive(XCB_WINDOW_NONE);
    ASSERT_TRUE(runLoopUntil([&] { return reports_.size() == 4; }));
    EXPECT_EQ(reports_[3], std::nullopt) << "nothing in front";
    EXPECT_EQ(observer_->currentSnapshot(), std::nullopt);
}

TEST_F(ForegroundAppObserverTest, WindowOfNoEntryHasNoIdentifier) {
    TestWindow stranger("stranger", "Stranger", PixelRect{10, 10, 200, 150});
    startRecording();
    activate(stranger.id());
    ASSERT_TRUE(runLoopUntil([&] { return reports_.size() == 1; }));
    EXPECT_EQ(reports_[0]->bundleIdentifier, std::nullopt);
    EXPECT_EQ(reports_[0]->processIdentifier, stranger.pid());
    EXPECT_EQ(reports_[0]->localizedName, "Stranger");
}

TEST_F(ForegroundAppObserverTest, WindowIsMatchedByItsProgram) {
    writeEntry("tool", "[Desktop Entry]\nType=Application\nName=Tool\nExec=\"" +
                           std::string(QUORVEL_X11_WINDOW) + "\" %U\n");
    TestWindow window("unrelated", "Unrelated", PixelRect{10, 10, 200, 150});
    activate(window.id());
    const auto snapshot = observer_->currentSnapshot();
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->bundleIdentifier, "tool");
}

TEST_F(ForegroundAppObserverTest, StaleOrOverrideRedirectWindowsAreNoChange) {
    TestWindow alpha("alpha", "AlphaWin", PixelRect{10, 10, 200, 150});
    startRecording();
    activate(alpha.id());
    ASSERT_TRUE(runLoopUntil([&] { return reports_.size() == 1; }));

    // A window id that names no window, as the root keeps after its client exited.
    activate(0x3fffff0);
    // An override-redirect popup of another client.
    const xcb_window_t popup = xcb_generate_id(x11_.connection());
    const std::uint32_t values[] = {1};
    xcb_create_window(x11_.connection(), XCB_COPY_FROM_PARENT, popup, x11_.root(), 0, 0, 50, 50, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                      values);
    xcb_map_window(x11_.connection(), popup);
    activate(popup);
    // Back to alpha, which was never left.
    activate(alpha.id());
    EXPECT_EQ(reports_.size(), 1u);
}

TEST_F(ForegroundAppObserverTest, FrameIsTheWindowBelowItsTitleBar) {
    TestWindow alpha("alpha", "AlphaWin", PixelRect{100, 100, 400, 300});
    TestWindow beta("org.example.beta", "Beta", PixelRect{600, 100, 300, 300});
    x11_.setFrameExtents(alpha.id(), 1, 1, 20, 5);
    activate(alpha.id());

    EXPECT_EQ(observer_->frame(alpha.pid()), (ScreenRect{99, 100, 402, 305}));
    EXPECT_EQ(observer_->frame(beta.pid()), std::nullopt) << "not in front";

    x11_.setHidden(alpha.id(), true);
    EXPECT_TRUE(runLoopUntil([&] { return !observer_->frame(alpha.pid()); })) << "minimised";
    x11_.setHidden(alpha.id(), false);
    x11_.map(alpha.id(), false);
    EXPECT_TRUE(runLoopUntil([&] { return !observer_->frame(alpha.pid()); })) << "unmapped";
    x11_.map(alpha.id(), true);
    x11_.moveResize(alpha.id(), {50, 60, 200, 100});
    EXPECT_TRUE(runLoopUntil([&] {
        return observer_->frame(alpha.pid()) == ScreenRect{49, 60, 202, 105};
    }));
}

TEST_F(ForegroundAppObserverTest, MovesOfTheActiveWindowAreSignalled) {
    TestWindow alpha("alpha", "AlphaWin", PixelRect{100, 100, 400, 300});
    activate(alpha.id());
    observer_->currentSnapshot();  // the watcher follows the window it was asked about
    int moves = 0;
    QObject::connect(observer_->watcher(), &ActiveWindowWatcher::activeWindowGeometryChanged,
                     [&] { ++moves; });
    x11_.moveResize(alpha.id(), {120, 100, 400, 300});
    EXPECT_TRUE(runLoopUntil([&] { return moves > 0; }));
}

TEST_F(ForegroundAppObserverTest, WindowManagerSupportDecidesWhetherWindowsCanBeObserved) {
    EXPECT_FALSE(observer_->canObserveWindows()) << "no window manager on the display";
    x11_.setSupportsActiveWindow();
    EXPECT_TRUE(observer_->canObserveWindows());
}

}  // namespace
}  // namespace quorvel::windows
