#pragma once

// A stand-in for a system tray manager, on an X connection of its own: it owns the selection
// "_NET_SYSTEM_TRAY_S<screen>", announces itself to the root window with the MANAGER message, and
// publishes "_NET_SYSTEM_TRAY_COLORS" on its window as a panel does. It embeds no icon.
#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace quorvel::testkit {

class TrayManagerStandIn {
public:
    // Sets its colours (none when empty), then takes the selection (from any earlier owner) and
    // announces it, as a panel starts.
    explicit TrayManagerStandIn(const std::vector<std::uint32_t>& colours = {});
    // Destroys its window, which gives the selection up.
    ~TrayManagerStandIn();
    TrayManagerStandIn(const TrayManagerStandIn&) = delete;
    TrayManagerStandIn& operator=(const TrayManagerStandIn&) = delete;

    xcb_window_t window() const { return window_; }
    // Sets _NET_SYSTEM_TRAY_COLORS to these CARDINALs (normal, error, warning, success: red,
    // green, blue each, 0 to 65535).
    void setColours(const std::vector<std::uint32_t>& values);
    void removeColours();

    // The property's value for one normal colour given in 8-bit channels; the other three
    // colours are the same.
    static std::vector<std::uint32_t> colours(int red, int green, int blue);

private:
    void sync();

    xcb_connection_t* c_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    xcb_atom_t colours_ = XCB_ATOM_NONE;
};

}  // namespace quorvel::testkit
