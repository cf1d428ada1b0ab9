#pragma once

// What one X11 window tells of itself, read in a single pipelined round trip: its class and
// application hints, its owning process, where it lies on the root window, the window manager's
// frame around it and whether it is shown.
#include <sys/types.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelPlatform/desktop/window_application.hpp"
#include "QuorvelPlatform/windows/focused_window_frame.hpp"

namespace quorvel::windows {

struct X11Atoms {
    xcb_atom_t netActiveWindow = XCB_ATOM_NONE;
    xcb_atom_t netSupported = XCB_ATOM_NONE;
    xcb_atom_t netWmPid = XCB_ATOM_NONE;
    xcb_atom_t netFrameExtents = XCB_ATOM_NONE;
    xcb_atom_t netWmState = XCB_ATOM_NONE;
    xcb_atom_t netWmStateHidden = XCB_ATOM_NONE;
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t gtkApplicationId = XCB_ATOM_NONE;
    xcb_atom_t kdeDesktopFile = XCB_ATOM_NONE;

    static X11Atoms intern(xcb_connection_t* connection);
};

// Left, right, top, bottom, in the order of _NET_FRAME_EXTENTS.
struct FrameExtents {
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
    friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};

struct X11WindowInfo {
    xcb_window_t window = XCB_WINDOW_NONE;
    // The child of the root that holds the window: the window manager's frame, or the window
    // itself without a reparenting window manager.
    xcb_window_t topLevel = XCB_WINDOW_NONE;
    desktop::WindowIdentity identity;
    // The process as the X server knows it (X-Resource), else as the window says (_NET_WM_PID).
    std::optional<pid_t> pid;
    std::optional<std::string> title;
    bool viewable = false;
    bool hidden = false;  // _NET_WM_STATE_HIDDEN: minimised
    bool overrideRedirect = false;
    // The window's outer rectangle (border included) in root coordinates.
    ScreenRect outerRect;
    FrameExtents extents;

    friend bool operator==(const X11WindowInfo&, const X11WindowInfo&) = default;
};

// No value when the window no longer exists.
std::optional<X11WindowInfo> queryWindowInfo(xcb_connection_t* connection, xcb_window_t root,
                                             const X11Atoms& atoms, xcb_window_t window);

// The window named by the root's _NET_ACTIVE_WINDOW; XCB_WINDOW_NONE for none.
xcb_window_t activeWindow(xcb_connection_t* connection, xcb_window_t root, const X11Atoms& atoms);

// True when the window manager lists _NET_ACTIVE_WINDOW in _NET_SUPPORTED.
bool windowManagerReportsActiveWindow(xcb_connection_t* connection, xcb_window_t root,
                                      const X11Atoms& atoms);

// The window manager's frame: the outer rectangle grown by the frame extents.
ScreenRect frameRect(const X11WindowInfo& info);

// The rectangle the lock panel covers, in root pixels: the frame less its title bar (the top
// extent). No value for a minimised or unmapped window or one too small to cover.
std::optional<ScreenRect> panelRect(const X11WindowInfo& info);

}  // namespace quorvel::windows
