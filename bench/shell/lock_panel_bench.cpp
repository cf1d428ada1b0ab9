// bench-lock-panel: how quickly the application covers a locked application's window, and what
// it costs at rest.
//
// On an Xvfb display of its own with openbox, a second process owns the locked application's
// window and a third another application's. A measuring thread on its own X connection asks
// openbox to activate them in turn, as a task bar does, and times from the PropertyNotify of
// _NET_ACTIVE_WINDOW naming the locked window to the panel being mapped at the covered
// geometry on top of the stack (200 switches, the first show included). The same is then
// measured for a bare xcb program that maps a prepared override-redirect window on the same
// trigger. Last, the application's CPU time over 60 s with the panel shown and 60 s with it
// hidden, and its resident memory.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/native_messaging_registrar.hpp"
#include "QuorvelMac/model/platform_services.hpp"
#include "QuorvelMac/shell/quorvel_mac_app.hpp"
#include "QuorvelMac/shell/x11_accessibility_probe.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/windows/x11_atom.hpp"
#include "QuorvelShared/support/preferences.hpp"

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int switches = 200;
constexpr int lockedX = 200, lockedY = 150, lockedW = 640, lockedH = 420;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "bench-lock-panel: %s\n", why.c_str());
    std::exit(1);
}

using quorvel::windows::internAtom;

std::vector<std::uint32_t> cardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 16), nullptr);
    std::vector<std::uint32_t> values;
    if (reply && reply->format == 32) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(v, v + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

pid_t spawn(const std::vector<std::string>& arguments, int extraFd = -1) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (extraFd >= 0)
            ::dup2(extraFd, 3);
        std::vector<char*> argv;
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

std::string startXvfb() {
    int fds[2];
    if (::pipe(fds) != 0)
        fail("pipe");
    spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, fds[1]);
    ::close(fds[1]);
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    if (number.empty())
        fail("Xvfb did not start");
    return ":" + number;
}

// A child process owning one ordinary window; it ends when its parent does.
xcb_window_t startWindowProcess(const char* cls, int x, int y, int w, int h) {
    int fds[2];
    if (::pipe(fds) != 0)
        fail("pipe");
    if (::fork() == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_window_t window = xcb_generate_id(c);
        const std::uint32_t values[] = {screen->white_pixel};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, x, y, w, h, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                          values);
        const std::string wmClass = std::string(cls) + '\0' + cls + '\0';
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            wmClass.size(), wmClass.data());
        std::uint32_t hints[18] = {1 | 2 | 4 | 8};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                            XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
        xcb_map_window(c, window);
        xcb_flush(c);
        [[maybe_unused]] auto written = ::write(fds[1], &window, sizeof window);
        while (auto* event = xcb_wait_for_event(c))
            std::free(event);
        ::_exit(0);
    }
    ::close(fds[1]);
    xcb_window_t window = 0;
    if (::read(fds[0], &window, sizeof window) != sizeof window)
        fail("window process");
    ::close(fds[0]);
    return window;
}

// The bare baseline, run in a child process: a prepared override-redirect window, mapped over
// the locked window when it becomes active and unmapped otherwise. Starts on a byte from `go`
// and reports its window id on `report`.
[[noreturn]] void runBareResponder(int go, int report, const int rect[4], xcb_window_t locked) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    char byte;
    if (::read(go, &byte, 1) != 1)
        ::_exit(0);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->black_pixel, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, rect[0], rect[1], rect[2],
                      rect[3], 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t active = internAtom(c, "_NET_ACTIVE_WINDOW");
    xcb_flush(c);
    [[maybe_unused]] auto written = ::write(report, &window, sizeof window);
    while (auto* event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
            reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == active) {
            const auto now = cardinals(c, screen->root, active);
            if (!now.empty() && now[0] == locked) {
                const std::uint32_t place[] = {std::uint32_t(rect[0]), std::uint32_t(rect[1]),
                                               std::uint32_t(rect[2]), std::uint32_t(rect[3]),
                                               XCB_STACK_MODE_ABOVE};
                xcb_configure_window(c, window,
                                     XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT |
                                         XCB_CONFIG_WINDOW_STACK_MODE,
                                     place);
                xcb_map_window(c, window);
            } else {
                xcb_unmap_window(c, window);
            }
            xcb_flush(c);
        }
        std::free(event);
    }
    ::_exit(0);
}

struct Measurer {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t active = 0;
    xcb_window_t locked = 0, other = 0;
    int cover[4] = {};

    void connect() {
        c = xcb_connect(nullptr, nullptr);
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        active = internAtom(c, "_NET_ACTIVE_WINDOW");
        const std::uint32_t mask =
            XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
    }

    void activate(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = active;
        event.data.data32[0] = 2;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(c);
    }

    // Mapped at the cover, and the topmost child of the root.
    bool covers(xcb_window_t panel) {
        auto* attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, panel), nullptr);
        auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, panel), nullptr);
        auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
        bool ok = attributes && geometry && tree &&
                  attributes->map_state == XCB_MAP_STATE_VIEWABLE && geometry->x == cover[0] &&
                  geometry->y == cover[1] && geometry->width == cover[2] &&
                  geometry->height == cover[3];
        if (ok) {
            const int n = xcb_query_tree_children_length(tree);
            ok = n > 0 && xcb_query_tree_children(tree)[n - 1] == panel;
        }
        std::free(attributes);
        std::free(geometry);
        std::free(tree);
        return ok;
    }

    bool isMapped(xcb_window_t window) {
        auto* attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return mapped;
    }

    // Waits for events until `done` holds after one, or the deadline passes.
    template <class Done>
    bool waitFor(Done done, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
        const auto deadline = Clock::now() + limit;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (auto* event = xcb_poll_for_event(c)) {
                const bool finished = done(event);
                std::free(event);
                if (finished)
                    return true;
            }
            ::poll(&fd, 1, 20);
        }
        return false;
    }

    // One switch: away to the other application, then to the locked one; milliseconds from the
    // property naming the locked window to the cover shown.
    std::optional<double> measure(xcb_window_t panel) {
        activate(other);
        if (!waitFor([&](xcb_generic_event_t*) {
                return !isMapped(panel) &&
                       cardinals(c, root, active) == std::vector<std::uint32_t>{other};
            }))
            return std::nullopt;
        std::optional<Clock::time_point> start;
        activate(locked);
        const bool shown = waitFor([&](xcb_generic_event_t* event) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && !start) {
                auto* e = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (e->atom == active)
                    start = Clock::now();
            }
            return start && covers(panel);
        });
        if (!shown || !start)
            return std::nullopt;
        return std::chrono::duration<double, std::milli>(Clock::now() - *start).count();
    }
};

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(
        std::clamp(p * (values.size() - 1) + 0.5, 0.0, double(values.size() - 1)));
    return values[index];
}

double cpuSeconds() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const auto close = text.rfind(')');
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoll(field);
        if (i == 15)
            stime = std::stoll(field);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

void runLoopFor(std::chrono::milliseconds span) {
    QEventLoop loop;
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    loop.exec();
}

void row(const std::string& measure, const std::string& figure, const std::string& goal) {
    std::printf("%s\t%s\t%s\n", measure.c_str(), figure.c_str(), goal.c_str());
}

std::string fixed(double value, int digits = 2) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

struct FakeDaemon final : BridgeDaemonLauncher {
    void start() override {}
};

}  // namespace

int main(int argc, char** argv) {
    const std::string display = startXvfb();
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    const fs::path home =
        fs::temp_directory_path() / ("quorvel-bench-" + std::to_string(::getpid()));
    fs::create_directories(home / "data/applications");
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    std::ofstream(home / "data/applications/bench.Locked.desktop")
        << "[Desktop Entry]\nType=Application\nName=Locked\nStartupWMClass=BenchLocked\n";
    std::ofstream(home / "data/applications/bench.Other.desktop")
        << "[Desktop Entry]\nType=Application\nName=Other\nStartupWMClass=BenchOther\n";

    spawn({"openbox", "--sm-disable"});  // ends with the display it manages
    Measurer m;
    m.connect();
    const xcb_atom_t check = internAtom(m.c, "_NET_SUPPORTING_WM_CHECK");
    // Ready once it redirects the root's map requests (its check window comes a moment earlier).
    auto managing = [&] {
        auto* a =
            xcb_get_window_attributes_reply(m.c, xcb_get_window_attributes(m.c, m.root), nullptr);
        const bool redirected = a && (a->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
        std::free(a);
        return redirected && !cardinals(m.c, m.root, check).empty();
    };
    for (int i = 0; i < 800 && !managing(); ++i)
        ::usleep(25000);
    if (!managing())
        fail("openbox did not start (is it installed?)");

    m.locked = startWindowProcess("BenchLocked", lockedX, lockedY, lockedW, lockedH);
    m.other = startWindowProcess("BenchOther", 900, 100, 300, 300);
    const xcb_atom_t extentsAtom = internAtom(m.c, "_NET_FRAME_EXTENTS");
    // A window mapped while openbox is still starting can be missed; asking again is harmless.
    for (int i = 0; i < 400; ++i) {
        const bool managed = cardinals(m.c, m.locked, extentsAtom).size() == 4 &&
                             cardinals(m.c, m.other, extentsAtom).size() == 4;
        if (managed)
            break;
        if (i % 20 == 19) {
            xcb_map_window(m.c, m.locked);
            xcb_map_window(m.c, m.other);
            xcb_flush(m.c);
        }
        ::usleep(25000);
    }
    const auto extents = cardinals(m.c, m.locked, extentsAtom);
    if (extents.size() != 4)
        fail("openbox did not manage the windows");
    auto* where = xcb_translate_coordinates_reply(
        m.c, xcb_translate_coordinates(m.c, m.locked, m.root, 0, 0), nullptr);
    m.cover[0] = where->dst_x - int(extents[0]);
    m.cover[1] = where->dst_y;
    m.cover[2] = lockedW + int(extents[0] + extents[1]);
    m.cover[3] = lockedH + int(extents[3]);
    std::free(where);

    int go[2];
    int bareId[2];
    if (::pipe(go) != 0 || ::pipe(bareId) != 0)
        fail("pipe");
    // Forked before any thread exists; it waits for its turn.
    if (::fork() == 0)
        runBareResponder(go[0], bareId[1], m.cover, m.locked);

    QApplication app(argc, argv);
    installDBusNotificationPoster();
    auto index = std::make_shared<desktop::DesktopEntryIndex>();
    auto observer = std::make_unique<windows::ForegroundAppObserver>(
        windows::ActiveWindowWatcher::connect(), index);
    auto accessibility = std::make_shared<X11AccessibilityProbe>(observer.get());
    QuorvelMacApp::Parts parts;
    parts.observer = std::move(observer);
    parts.showScenes = false;
    parts.makeModel = [accessibility] {
        MacAppModel::Dependencies deps;
        deps.clock =
            std::shared_ptr<const quorvel::Clock>(&systemClock(), [](const quorvel::Clock*) {});
        deps.userDefaults = std::make_shared<JsonFilePreferences>("app.quorvel.mac");
        deps.bridgeDaemon = std::make_shared<FakeDaemon>();
        deps.notificationCenter = std::make_shared<DBusDistributedNotificationCenter>();
        deps.accessibility = accessibility;
        deps.loginItem = std::make_shared<XdgAutostartLoginItem>("/nonexistent/QuorvelMac");
        deps.userNotifications = std::make_shared<DesktopUserNotificationCenter>();
        deps.manifestFiles = {};
        deps.nativeHostPath = "/nonexistent/QuorvelNativeHost";
        return std::make_unique<MacAppModel>(std::move(deps));
    };
    auto shell = std::make_unique<QuorvelMacApp>(std::move(parts));
    shell->model().addMacApplicationTargets(
        {{"bench.Locked", "Locked", (home / "data/applications/bench.Locked.desktop").string()}});
    const auto panel = static_cast<xcb_window_t>(shell->overlayController().panel()->winId());

    std::vector<double> appTimes, bareTimes;
    int failures = 0;
    std::atomic<bool> done = false;
    std::thread measuring([&] {
        for (int i = 0; i < switches; ++i) {
            if (auto t = m.measure(panel))
                appTimes.push_back(*t);
            else
                ++failures;
        }
        done = true;
    });
    while (!done)
        runLoopFor(std::chrono::milliseconds(50));
    measuring.join();

    // At rest: the locked window in front with the panel shown, then another application.
    m.activate(m.locked);
    runLoopFor(std::chrono::milliseconds(1000));
    double before = cpuSeconds();
    runLoopFor(std::chrono::seconds(60));
    const double shownCpu = (cpuSeconds() - before) / 60.0 * 100.0;
    m.activate(m.other);
    runLoopFor(std::chrono::milliseconds(1000));
    before = cpuSeconds();
    runLoopFor(std::chrono::seconds(60));
    const double hiddenCpu = (cpuSeconds() - before) / 60.0 * 100.0;
    const double rss = residentMegabytes();
    shell.reset();
    runLoopFor(std::chrono::milliseconds(200));

    // The bare baseline on the same trigger.
    [[maybe_unused]] auto written = ::write(go[1], "g", 1);
    xcb_window_t bare = 0;
    if (::read(bareId[0], &bare, sizeof bare) != sizeof bare)
        fail("bare responder");
    for (int i = 0; i < switches; ++i) {
        if (auto t = m.measure(bare))
            bareTimes.push_back(*t);
        else
            ++failures;
    }

    if (appTimes.empty() || bareTimes.empty())
        fail("no switch was measured");
    const double appP95 = percentile(appTimes, 0.95), bareP95 = percentile(bareTimes, 0.95);
    row("lock panel: active window -> panel over it, p50 (ms, openbox, 200 switches)",
        fixed(percentile(appTimes, 0.5)), "-");
    row("lock panel: active window -> panel over it, p95 (ms)", fixed(appP95), "<= 10");
    row("lock panel: first show (ms)", fixed(appTimes.front()), "-");
    row("bare xcb override-redirect map, p50 (ms)", fixed(percentile(bareTimes, 0.5)), "baseline");
    row("bare xcb override-redirect map, p95 (ms)", fixed(bareP95), "baseline");
    row("lock panel p95 / bare xcb p95", fixed(appP95 / bareP95), "-");
    row("switches not measured", std::to_string(failures), "0");
    row("idle CPU, panel shown, 60 s (% of a core)", fixed(shownCpu, 3), "< 0.1");
    row("idle CPU, panel hidden, 60 s (% of a core)", fixed(hiddenCpu, 3), "< 0.1");
    row("resident memory (MB)", fixed(rss, 1), "< 60");
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return 0;
}
