#pragma once

// Drives an X display the way a window manager and its task bar would, from the test's own
// connection: windows of other processes, _NET_ACTIVE_WINDOW, frame extents and window states.
// Also starts a real window manager (openbox, mutter) for the tests that need one.
#include <sys/types.h>
#include <xcb/xcb.h>

#include <QProcess>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testkit/qt_wait.hpp"

namespace quorvel::testkit {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct TestWindowOptions {
    // The window names its process in _NET_WM_PID.
    bool netWmPid = true;
    // The window is filled anew all over about 60 times a second, in the redraw colours by
    // turns (tools/x11_window_colours.hpp), as a video or a game draws.
    bool redrawing = false;
};

// An ordinary window owned by a second process (tests/tools/x11_window.cpp).
class TestWindow {
public:
    TestWindow(const std::string& instance, const std::string& cls, std::vector<PixelRect> rects,
               TestWindowOptions options = {});
    TestWindow(const std::string& instance, const std::string& cls, PixelRect rect,
               TestWindowOptions options = {})
        : TestWindow(instance, cls, std::vector<PixelRect>{rect}, options) {}
    ~TestWindow();
    xcb_window_t id() const { return ids_.front(); }
    const std::vector<xcb_window_t>& ids() const { return ids_; }
    pid_t pid() const { return static_cast<pid_t>(process_.processId()); }
    // Lines the window process printed ("key" per key press).
    int keyPresses();
    // The frames a redrawing window has drawn, as last reported (every 50 frames).
    long framesDrawn();

private:
    void readReports();

    QProcess process_;
    std::vector<xcb_window_t> ids_;
    int keys_ = 0;
    long frames_ = 0;
};

class X11Harness {
public:
    X11Harness();
    ~X11Harness();
    xcb_connection_t* connection() const { return c_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const char* name);

    // As a window manager: sets the root's _NET_ACTIVE_WINDOW (XCB_WINDOW_NONE for none).
    void setActive(xcb_window_t window);
    // As a task bar: asks the window manager to activate the window.
    void requestActivation(xcb_window_t window);
    xcb_window_t active();
    void setFrameExtents(xcb_window_t window, std::uint32_t left, std::uint32_t right,
                         std::uint32_t top, std::uint32_t bottom);
    void setHidden(xcb_window_t window, bool hidden);
    void setSupportsActiveWindow();
    void moveResize(xcb_window_t window, PixelRect rect);
    void map(xcb_window_t window, bool mapped);
    void raise(xcb_window_t window);
    void destroy(xcb_window_t window);
    // The top-level windows that are mapped, bottom to top, with their root rectangles and
    // whether they are override-redirect.
    struct TopLevel {
        xcb_window_t window;
        PixelRect rect;
        bool overrideRedirect;
    };
    std::vector<TopLevel> mappedTopLevels();
    // The mapped top-level window whose _NET_WM_NAME is `title` (no window manager: the
    // program's own window).
    std::optional<TopLevel> windowTitled(const std::string& title);
    // The window's _NET_WM_NAME; empty when it has none.
    std::string title(xcb_window_t window);
    // The process that owns the window, from its _NET_WM_PID; 0 when it names none.
    pid_t processOf(xcb_window_t window);
    // As a window manager does when the user closes the window: asks its owner to close it
    // (WM_DELETE_WINDOW).
    void askToClose(xcb_window_t window);
    // The window that has the keyboard focus.
    xcb_window_t focus();
    std::optional<PixelRect> frameExtentsRect(xcb_window_t window);
    // Whether a window manager has taken the window in: given it frame extents, put it in a frame
    // of its own and shown it. Only then has its frame found the place it keeps; the extents
    // alone can come before the window manager has placed the frame.
    bool managedAndShown(xcb_window_t window);
    // As the window itself: asks the window manager to make it fullscreen or to end that.
    void requestFullscreen(xcb_window_t window, bool fullscreen);
    // The window's root rectangle (the client's own, without a frame).
    std::optional<PixelRect> rootRect(xcb_window_t window);
    // The owner of the selection (XCB_WINDOW_NONE: none), as "_NET_WM_CM_S0" names a compositor.
    xcb_window_t selectionOwner(const char* selection);
    // The pixels of `rect` in `drawable` (the root: what the screen shows), as 0xRRGGBB row by
    // row; empty when the server gives none.
    std::vector<std::uint32_t> pixels(xcb_window_t drawable, PixelRect rect);
    // Returns once the window manager has handled every event the X server sent it before the
    // call (such as the focus changes of a window that took the focus): it answers a request for
    // a window's frame extents by setting them, in turn with its other events. False when no
    // window manager answers.
    bool windowManagerRoundTrip();

private:
    void sync();

    xcb_connection_t* c_;
    xcb_window_t root_;
};

// A window manager managing the current display for the object's lifetime.
class WindowManagerSession {
public:
    // Starts `program` with `arguments`; no value when it is not installed or did not come up.
    static std::unique_ptr<WindowManagerSession> start(X11Harness& x11, const QString& program,
                                                       const QStringList& arguments);
    // openbox, the window manager the suite takes for reference.
    static std::unique_ptr<WindowManagerSession> openbox(X11Harness& x11);
    ~WindowManagerSession();

private:
    QProcess process_;
};

}  // namespace quorvel::testkit
