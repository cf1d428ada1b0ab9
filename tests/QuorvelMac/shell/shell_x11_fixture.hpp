#pragma once

// What the shell's X tests share: a temporary home with desktop entries for two applications,
// their windows owned by second processes, and the foreground observer over the test display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelPlatform/windows/foreground_app_observer.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel::shelltest {

using testkit::PixelRect;
using testkit::runLoopUntil;

// Returns once the X server has carried out every request that this process's Qt connection
// sent before the call: the lock panel is shown, hidden and given the focus (if ever) on it.
inline void qtRoundTrip() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_TRUE(x11);
    xcb_connection_t* c = x11->connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

inline MacLockTarget editorTarget() {
    MacLockTarget target;
    target.id = "mac-app:org.example.Editor";
    target.kind = MacLockTarget::Kind::macApp;
    target.displayName = "Editor";
    target.identifier = "org.example.Editor";
    return target;
}

// Desktop entries for two applications in a data home, and looks at the test display.
class X11Scene {
public:
    explicit X11Scene(const std::filesystem::path& dataHome)
        : applications(dataHome / "applications") {
        std::filesystem::create_directories(applications);
        writeEntry("org.example.Editor",
                   "[Desktop Entry]\nType=Application\nName=Editor\nStartupWMClass=Editor\n");
        writeEntry("org.example.Viewer",
                   "[Desktop Entry]\nType=Application\nName=Viewer\nStartupWMClass=Viewer\n");
        index = std::make_shared<desktop::DesktopEntryIndex>(std::vector{applications});
    }

    void writeEntry(const std::string& id, const std::string& text) {
        std::ofstream(applications / (id + ".desktop")) << text;
    }

    std::unique_ptr<windows::ForegroundAppObserver> makeObserver() {
        auto watcher = windows::ActiveWindowWatcher::connect();
        EXPECT_TRUE(watcher);
        return std::make_unique<windows::ForegroundAppObserver>(std::move(watcher), index);
    }

    // The override-redirect windows mapped on the screen now, topmost last (a window manager
    // keeps small ones of its own off-screen).
    std::vector<testkit::X11Harness::TopLevel> panels() {
        std::vector<testkit::X11Harness::TopLevel> found;
        for (const auto& top : x11.mappedTopLevels()) {
            const bool onScreen =
                top.rect.x + top.rect.width > 0 && top.rect.y + top.rect.height > 0;
            if (top.overrideRedirect && onScreen)
                found.push_back(top);
        }
        return found;
    }

    // True when exactly one panel is mapped, at `rect`, above every other top-level window.
    bool panelCovers(PixelRect rect) {
        const auto tops = x11.mappedTopLevels();
        const auto shown = panels();
        return shown.size() == 1 && shown[0].rect == rect && !tops.empty() &&
               tops.back().window == shown[0].window;
    }

    bool noPanel() { return panels().empty(); }

    // Waits until a window manager manages and shows every one of the windows. A fresh openbox can
    // take a while to manage new windows, and can miss one mapped while it starts: asking for the
    // map again is harmless.
    bool managed(const std::vector<xcb_window_t>& windows) {
        int polls = 0;
        return runLoopUntil([&] {
            const bool remap = ++polls % 50 == 0;
            bool all = true;
            for (const xcb_window_t window : windows) {
                if (remap)
                    x11.map(window, true);
                all = all && x11.managedAndShown(window);
            }
            return all;
        });
    }

    std::filesystem::path applications;
    std::shared_ptr<desktop::DesktopEntryIndex> index;
    testkit::X11Harness x11;
};

struct TemporaryHome {
    testkit::TempXdgHome xdg;
};

class ShellX11Test : public ::testing::Test, protected TemporaryHome, protected X11Scene {
protected:
    ShellX11Test() : X11Scene(xdg.dataHome()) {}
};

}  // namespace quorvel::shelltest
