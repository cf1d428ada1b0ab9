#pragma once

// What the X server tells about the override-redirect windows of the screen (lock panels,
// menus, tool tips), in the order it happened: each time one is shown, moved or resized while
// shown, or hidden, and each change of its opacity. It listens on a connection of its own
// (SubstructureNotify on the root, PropertyChange on each such window), so the record holds
// everything between two reads, however briefly it lasted, and no verdict needs a sleep: a
// check that something did not happen reads the record up to a later event.
#include <xcb/xcb.h>

#include <chrono>
#include <map>
#include <optional>
#include <vector>

namespace quorvel::testing {

struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

class OverrideRedirectWatch {
public:
    struct Event {
        enum class Kind { shown, hidden, opacityChanged };
        Kind kind;
        xcb_window_t window;
        // Where it is shown (shown), where it was (hidden, opacityChanged).
        WindowRect rect;
        std::chrono::steady_clock::time_point at;
    };

    // Throws std::runtime_error without a display.
    OverrideRedirectWatch();
    ~OverrideRedirectWatch();
    OverrideRedirectWatch(const OverrideRedirectWatch&) = delete;
    OverrideRedirectWatch& operator=(const OverrideRedirectWatch&) = delete;

    // Reads into the record what the server did up to this call; `waitMs` > 0 first waits that
    // long at most for something to arrive.
    void read(int waitMs = 0);
    const std::vector<Event>& events() const { return events_; }
    // The position in the record now, to look at what came after it.
    std::size_t mark() const { return events_.size(); }
    // True when, after `from`, a window was shown at `rect`.
    bool shownAt(const WindowRect& rect, std::size_t from = 0) const;

    // The override-redirect windows shown on the screen now (off-screen ones left out).
    std::vector<std::pair<xcb_window_t, WindowRect>> shownNow() const;

private:
    struct Tracked {
        bool mapped = false;
        WindowRect rect;
    };
    void handle(xcb_generic_event_t* event);
    void track(xcb_window_t window, bool mapped, WindowRect rect);
    void record(Event::Kind kind, xcb_window_t window);

    xcb_connection_t* c_;
    xcb_window_t root_;
    xcb_atom_t opacity_;
    std::map<xcb_window_t, Tracked> windows_;
    std::vector<Event> events_;
};

}  // namespace quorvel::testing
