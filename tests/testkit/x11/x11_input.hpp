#pragma once

// Pointer and keyboard input as a user gives it, through the XTEST extension on a connection of
// the test's own: the X server delivers the events as real ones, to a grab or to the focus.
#include <xcb/xcb.h>

#include <optional>
#include <string>

#include "testkit/x11/x11_harness.hpp"

namespace quorvel::testkit {

class X11Input {
public:
    // Throws when there is no display or it lacks XTEST.
    X11Input();
    ~X11Input();
    X11Input(const X11Input&) = delete;
    X11Input& operator=(const X11Input&) = delete;

    // Moves the pointer to the root position and clicks the first button there.
    void click(int x, int y);
    // Presses and releases the key that gives the keysym (XK_Up is 0xff52, XK_Return 0xff0d,
    // XK_space 0x20).
    void pressKey(xcb_keysym_t keysym);

    // The window that has the keyboard focus.
    xcb_window_t focus();

    // The mapped top-level window whose _NET_WM_NAME is `title`, with its rectangle on the root.
    std::optional<X11Harness::TopLevel> windowTitled(const std::string& title);

private:
    void sync();

    xcb_connection_t* c_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

}  // namespace quorvel::testkit
