#include "QuorvelPlatform/desktop/window_application.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "testkit/poll.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::desktop {
namespace {

namespace fs = std::filesystem;

class WindowApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        write("org.gnome.TextEditor", "Name=Text Editor\nExec=gnome-text-editor\n");
        write("org.kde.konsole", "Name=Konsole\nExec=/usr/bin/konsole\n");
        write(
            "firefox-esr",
            "Name=Firefox\nStartupWMClass=Firefox-esr\nExec=/usr/lib/firefox-esr/firefox-esr %u\n");
        write("Thunar", "Name=Thunar\nExec=thunar\n");
        write("sleeper", "Name=Sleeper\nExec=/bin/sleep 1000\n");
    }
    void write(const std::string& id, const std::string& keys) {
        fs::create_directories(folder);
        std::ofstream(folder / (id + ".desktop")) << "[Desktop Entry]\nType=Application\n" << keys;
    }
    std::optional<std::string> idOf(const WindowIdentity& window,
                                    const ProcessFacts& process = {}) {
        const auto* entry = applicationOfWindow(window, process, index);
        return entry ? std::optional(entry->id) : std::nullopt;
    }

    testkit::TempXdgHome xdg;
    fs::path folder = xdg.root() / "applications";
    DesktopEntryIndex index{{folder}};
};

TEST_F(WindowApplicationTest, MappingOrderTable) {
    struct Case {
        const char* name;
        WindowIdentity window;
        ProcessFacts process;
        std::optional<std::string> expected;
    };
    const std::string konsoleScope =
        "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
        "app-org.kde.konsole-2841.scope\n";
    const std::vector<Case> cases = {
        {"GTK application id",
         {"org.gnome.TextEditor", {}, "gnome-text-editor", "Gnome-text-editor", {}},
         {},
         "org.gnome.TextEditor"},
        {"KDE desktop file, with suffix",
         {{}, "org.kde.konsole.desktop", "konsole", "konsole", {}},
         {},
         "org.kde.konsole"},
        {"GTK id naming no entry falls through",
         {"org.example.Unknown", {}, "thunar", "Thunar", {}},
         {},
         "Thunar"},
        {"systemd scope", {{}, {}, "x", "y", 7}, {konsoleScope, {}}, "org.kde.konsole"},
        {"systemd scope with a launcher part",
         {{}, {}, "x", "y", 7},
         {"0::/user.slice/app-gnome-org.gnome.TextEditor-1234.scope\n", {}},
         "org.gnome.TextEditor"},
        {"systemd service",
         {{}, {}, "x", "y", 7},
         {"0::/app.slice/app-Thunar@a1b2.service\n", {}},
         "Thunar"},
        {"StartupWMClass equals the class",
         {{}, {}, "Navigator", "Firefox-esr", {}},
         {},
         "firefox-esr"},
        {"id equals the instance, ignoring case", {{}, {}, "thunar", "Whatever", {}}, {}, "Thunar"},
        {"nothing matches", {{}, {}, "xterm", "XTerm", {}}, {}, std::nullopt},
        {"program of the process",
         {{}, {}, "a", "b", 7},
         {"0::/\n", fs::canonical("/bin/sleep")},
         "sleeper"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(idOf(c.window, c.process), c.expected) << c.name;
}

TEST_F(WindowApplicationTest, RealProcessIsMatchedByItsExecutable) {
    const pid_t child = ::fork();
    if (child == 0) {
        // It must outlast the wait below however long that takes: the test ends it.
        ::execl("/bin/sleep", "sleep", "infinity", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until the child runs the program, not the fork of this test. On a loaded machine the
    // child may be slow to get there; the deadline only guards against a hang.
    ProcessFacts facts;
    testkit::pollUntil([&] {
        facts = readProcessFacts(child);
        return facts.executable && facts.executable->filename() == "sleep";
    });
    EXPECT_EQ(idOf({{}, {}, "a", "b", child}, facts), "sleeper");
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(readProcessFacts(0), ProcessFacts{});
}

}  // namespace
}  // namespace quorvel::desktop
