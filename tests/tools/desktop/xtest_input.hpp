#pragma once

// A real pointer and keyboard: input made through the XTest extension, which the X server
// delivers exactly as it delivers a device's (grabs, focus, the window under the pointer), on a
// connection of its own to $DISPLAY.
#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdint>

namespace quorvel::testing {

class XTestInput {
public:
    // Throws std::runtime_error without a display or without the XTest extension.
    XTestInput();
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    // Moves the pointer to (x, y) of the screen and clicks the first button there. Returns once
    // the server has carried the events out.
    void click(int x, int y);
    // Moves the pointer to (x, y) of the screen.
    void moveTo(int x, int y);
    // Presses and releases the key that types `keysym` without a modifier (XK_Down is 0xff54).
    // Throws when no key of the keyboard does.
    void key(xcb_keysym_t keysym);

private:
    void fake(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0);
    void sync();

    xcb_connection_t* c_;
    xcb_window_t root_;
};

}  // namespace quorvel::testing
