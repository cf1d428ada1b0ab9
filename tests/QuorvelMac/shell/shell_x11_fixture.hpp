#pragma once

// What the shell's X tests share: a temporary home with desktop entries for two applications,
// their windows owned by second processes, and the foreground observer over the test display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelPlatform/windows/foreground_app_observer.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel::shelltest {

using testkit::PixelRect;
using testkit::waitUntil;

inline MacLockTarget editorTarget() {
    MacLockTarget target;
    target.id = "mac-app:org.example.Editor";
    target.kind = MacLockTarget::Kind::macApp;
    target.displayName = "Editor";
    target.identifier = "org.example.Editor";
    return target;
}

class ShellX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        applications = xdg.dataHome() / "applications";
        std::filesystem::create_directories(applications);
        writeEntry("org.example.Editor", "[Desktop Entry]\nType=Application\nName=Editor\nStartupWMClass=Editor\n");
        writeEntry("org.example.Viewer", "[Desktop Entry]\nType=Application\nName=Viewer\nStartupWMClass=Viewer\n");
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

    // The override-redirect windows mapped now, topmost last.
    std::vector<testkit::X11Harness::TopLevel> panels() {
        std::vector<testkit::X11Harness::TopLevel> found;
        for (const auto& top : x11.mappedTopLevels()) {
            if (top.overrideRedirect) found.push_back(top);
        }
        return found;
    }

    // True when exactly one panel is mapped, at `rect`, above every other top-level window.
    bool panelCovers(PixelRect rect) {
        const auto tops = x11.mappedTopLevels();
        const auto shown = panels();
        return shown.size() == 1 && shown[0].rect == rect && !tops.empty() && tops.back().window == shown[0].window;
    }

    bool noPanel() { return panels().empty(); }

    testkit::TempXdgHome xdg;
    std::filesystem::path applications;
    std::shared_ptr<desktop::DesktopEntryIndex> index;
    testkit::X11Harness x11;
};

}  // namespace quorvel::shelltest
