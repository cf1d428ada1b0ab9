#include "QuorvelPlatform/windows/panel_placement.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "QuorvelPlatform/windows/x11_atom.hpp"

namespace quorvel::windows {

PixelGeometry pixelGeometry(const ScreenRect& rect) {
    const auto whole = [](double v) {
        return static_cast<int>(std::llround(std::clamp(v, -1e6, 1e6)));
    };
    return {whole(rect.x), whole(rect.y), std::max(1, whole(rect.width)),
            std::max(1, whole(rect.height))};
}

void placeAbove(xcb_connection_t* connection, xcb_window_t window, const PixelGeometry& g) {
    if (!connection || window == XCB_WINDOW_NONE)
        return;
    // X takes signed positions in the same 32-bit slots as the unsigned values.
    const std::uint32_t values[] = {static_cast<std::uint32_t>(g.x),
                                    static_cast<std::uint32_t>(g.y),
                                    static_cast<std::uint32_t>(g.width),
                                    static_cast<std::uint32_t>(g.height), XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                         values);
    xcb_flush(connection);
}

void raiseAbove(xcb_connection_t* connection, xcb_window_t window) {
    if (!connection || window == XCB_WINDOW_NONE)
        return;
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(connection);
}

void keepComposited(xcb_connection_t* connection, xcb_window_t window) {
    if (!connection || window == XCB_WINDOW_NONE)
        return;
    const xcb_atom_t bypass = internAtom(connection, "_NET_WM_BYPASS_COMPOSITOR");
    if (bypass == XCB_ATOM_NONE)
        return;
    const std::uint32_t never = 2;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, bypass, XCB_ATOM_CARDINAL, 32, 1,
                        &never);
    xcb_flush(connection);
}

}  // namespace quorvel::windows
