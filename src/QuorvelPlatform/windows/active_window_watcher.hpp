#pragma once

// Watches which window is active, on an X connection of its own: the root's _NET_ACTIVE_WINDOW
// is read on every PropertyNotify of it, never polled. While a window is active the watcher also
// follows it and its window-manager frame, so that a move, a resize, a minimise or a restack
// reaches the lock panel at once instead of at its next tick.
#include <xcb/xcb.h>

#include <QObject>
#include <memory>
#include <optional>

#include "QuorvelPlatform/windows/x11_event_connection.hpp"
#include "QuorvelPlatform/windows/x11_window_info.hpp"

namespace quorvel::windows {

class ActiveWindowWatcher : public QObject {
    Q_OBJECT
public:
    // Connects to the display (nullptr: $DISPLAY). No value when no X server answers.
    static std::unique_ptr<ActiveWindowWatcher> connect(const char* display = nullptr);
    ~ActiveWindowWatcher() override;

    // Reads the active window now and follows its moves from then on. No value when none is
    // active or it no longer exists.
    std::optional<X11WindowInfo> currentActiveWindow();
    bool windowManagerReportsActiveWindow();
    bool isConnected() const;

Q_SIGNALS:
    // A different window became active (no value: none is). Windows that are gone or that no
    // window manager would activate (override-redirect ones) are passed over.
    void activeWindowChanged(const std::optional<quorvel::windows::X11WindowInfo>& window);
    // The active window or its frame was moved, resized, restacked, mapped, unmapped or changed
    // its state.
    void activeWindowGeometryChanged();

private:
    explicit ActiveWindowWatcher(std::unique_ptr<X11EventConnection> x);
    void handle(const xcb_generic_event_t* event);
    void readActiveWindow();
    void track(const std::optional<X11WindowInfo>& window);
    bool isTracked(xcb_window_t window) const;

    std::unique_ptr<X11EventConnection> x_;
    xcb_connection_t* connection_;
    xcb_window_t root_;
    X11Atoms atoms_;
    xcb_window_t lastActive_ = XCB_WINDOW_NONE;
    bool reportedOnce_ = false;
    xcb_window_t trackedClient_ = XCB_WINDOW_NONE;
    xcb_window_t trackedFrame_ = XCB_WINDOW_NONE;
};

}  // namespace quorvel::windows
