#pragma once

// Places an override-redirect panel in exact device pixels and raises it, on the connection the
// panel was made on. Qt's own geometry is in logical pixels and can be a pixel off at fractional
// scales, and Qt flushes its connection only when it handles events: a raise from a timer would
// otherwise sit in the output buffer. So every operation here ends with a flush.
#include <xcb/xcb.h>

#include "QuorvelPlatform/windows/focused_window_frame.hpp"

namespace quorvel::windows {

struct PixelGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const PixelGeometry&, const PixelGeometry&) = default;
};

// Rounds a root rectangle to whole pixels (sizes at least 1).
PixelGeometry pixelGeometry(const ScreenRect& rect);

// Moves and sizes the window, stacks it above all its siblings and flushes.
void placeAbove(xcb_connection_t* connection, xcb_window_t window, const PixelGeometry& geometry);

// Stacks the window above all its siblings and flushes.
void raiseAbove(xcb_connection_t* connection, xcb_window_t window);

// Asks a compositing window manager never to stop compositing the window (the CARDINAL
// _NET_WM_BYPASS_COMPOSITOR = 2), and flushes. mutter draws a window that covers the whole
// screen directly, past its compositor; once the panel, after covering a fullscreen window, had
// shrunk back, mutter went on showing the covered window's content in its place while X reported
// the panel mapped and on top. A panel that is always composited is always seen.
void keepComposited(xcb_connection_t* connection, xcb_window_t window);

}  // namespace quorvel::windows
