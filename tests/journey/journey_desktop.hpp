#pragma once

// The desktop session every journey runs in, made once per test process before anything in it
// touches a bus or the display: a session bus of its own that starts an unlocked keyring on
// demand (as a desktop's does) and, for journeys on a screen, an Xvfb display and the
// accessibility bus the session bus starts on demand. The session's runtime folder and home are
// temporary folders of its own, so the services it starts never meet those of a test running
// beside it.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "bus/keyring_service.hpp"
#include "bus/private_bus.hpp"
#include "testkit/x11/private_display.hpp"

namespace quorvel::journeytest {

class JourneyDesktop {
public:
    enum class Screen { shown, none };

    explicit JourneyDesktop(Screen screen = Screen::shown) : root_(makeRoot()) {
        std::filesystem::create_directories(root_ / "runtime");
        std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
        ::setenv("HOME", root_.c_str(), 1);
        // Only the accessibility bus and the test's keyring are started on demand: a notification
        // server started by the bus instead of the test would not be the one the test set up.
        const auto services = root_ / "services";
        std::filesystem::create_directories(services);
        if (screen == Screen::shown) {
            std::filesystem::copy_file("/usr/share/dbus-1/services/org.a11y.Bus.service",
                                       services / "org.a11y.Bus.service");
            display_ = std::make_unique<testkit::PrivateDisplay>();
        } else {
            // Nothing may lean on a display it did not ask for, such as the test runner's.
            ::unsetenv("DISPLAY");
        }
        session_ = std::make_unique<testing::PrivateBus>(
            testing::PrivateBus::Kind::session,
            testing::PrivateBus::Options{{services, keyring_.serviceFolder()}});
    }

    ~JourneyDesktop() {
        session_.reset();
        display_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    JourneyDesktop(const JourneyDesktop&) = delete;
    JourneyDesktop& operator=(const JourneyDesktop&) = delete;

private:
    static std::filesystem::path makeRoot() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-journey.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("no temporary folder");
        return pattern;
    }

    std::filesystem::path root_;
    std::unique_ptr<testkit::PrivateDisplay> display_;
    testing::KeyringService keyring_;
    std::unique_ptr<testing::PrivateBus> session_;
};

}  // namespace quorvel::journeytest
