// A second process that owns one ordinary X11 window, for the tests of the window watcher and
// the lock panel: the X server then names this process, not the test, as the window's owner.
//
//   quorvel-x11-window [--no-net-wm-pid] [--redraw] INSTANCE CLASS X Y WIDTH HEIGHT
//                      [X Y WIDTH HEIGHT]...
//
// Creates and maps one window per rectangle with that WM_CLASS, _NET_WM_PID (unless told not
// to) and a title, prints their ids in decimal on one line, then keeps them until end of input.
// Counts the key presses the window receives and prints "key" for each, so a test can see where
// typing goes. With --redraw, every window is filled anew, all over, about 60 times a second, in
// magenta and green by turns, as a video or a game draws (a compositing window manager treats
// such a window apart), and the count of frames drawn is printed every 50 frames.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "QuorvelPlatform/windows/x11_atom.hpp"
#include "x11_window_colours.hpp"

namespace {

using quorvel::testkit::redrawColours;
using quorvel::windows::internAtom;

}  // namespace

xcb_window_t makeWindow(xcb_connection_t* c, xcb_screen_t* screen, char** rect,
                        const std::string& wmClass, const std::string& title, bool withPid) {
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel,
                                    XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, std::atoi(rect[0]),
                      std::atoi(rect[1]), std::atoi(rect[2]), std::atoi(rect[3]), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        wmClass.size(), wmClass.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, internAtom(c, "_NET_WM_NAME"),
                        internAtom(c, "UTF8_STRING"), 8, title.size(), title.data());
    if (withPid) {
        const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, internAtom(c, "_NET_WM_PID"),
                            XCB_ATOM_CARDINAL, 32, 1, &pid);
    }
    // Keep the window where asked also under a window manager.
    std::uint32_t hints[18] = {};
    hints[0] = 1 | 2 | 4 | 8;  // user and program position and size
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    xcb_map_window(c, window);
    return window;
}

// Fills every window with the next of the two colours; every 50 frames, prints how many it has
// drawn ("frames N").
void redraw(xcb_connection_t* c, xcb_gcontext_t gc, const std::vector<xcb_window_t>& windows) {
    static long frames = 0;
    const std::uint32_t colour = redrawColours[++frames % 2];
    xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
    const xcb_rectangle_t all{0, 0, 0x7fff, 0x7fff};
    for (const xcb_window_t window : windows)
        xcb_poly_fill_rectangle(c, window, gc, 1, &all);
    xcb_flush(c);
    if (frames % 50 == 0) {
        std::printf("frames %ld\n", frames);
        std::fflush(stdout);
    }
}

int main(int argc, char** argv) {
    int first = 1;
    bool withPid = true, redrawing = false;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--no-net-wm-pid") == 0)
            withPid = false;
        else if (std::strcmp(argv[first], "--redraw") == 0)
            redrawing = true;
        else
            break;
    }
    if (argc - first < 6 || (argc - first - 2) % 4 != 0) {
        std::fprintf(stderr,
                     "usage: %s [--no-net-wm-pid] [--redraw] INSTANCE CLASS X Y WIDTH HEIGHT...\n",
                     argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X server\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const std::string wmClass = std::string(argv[first]) + '\0' + argv[first + 1] + '\0';
    const std::string title = std::string("test window ") + argv[first];
    std::string ids;
    std::vector<xcb_window_t> windows;
    for (int i = first + 2; i + 3 < argc; i += 4) {
        windows.push_back(makeWindow(c, screen, argv + i, wmClass, title, withPid));
        if (!ids.empty())
            ids += ' ';
        ids += std::to_string(windows.back());
    }
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, screen->root, 0, nullptr);
    xcb_flush(c);
    std::printf("%s\n", ids.c_str());
    std::fflush(stdout);

    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {xcb_get_file_descriptor(c), POLLIN, 0}};
    // A frame about every 16 ms while redrawing, else only on input or events.
    while (::poll(fds, 2, redrawing ? 16 : -1) >= 0) {
        if (redrawing)
            redraw(c, gc, windows);
        if (fds[0].revents) {
            char buffer[64];
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                break;
        }
        while (auto* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
                std::printf("key\n");
                std::fflush(stdout);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(c))
            break;
    }
    xcb_disconnect(c);
    return 0;
}
