#include "testkit/x11/tray_manager.hpp"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "QuorvelPlatform/windows/x11_atom.hpp"

namespace quorvel::testkit {

TrayManagerStandIn::TrayManagerStandIn(const std::vector<std::uint32_t>& colours) {
    int screenNumber = 0;
    c_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c_)) {
        xcb_disconnect(c_);
        throw std::runtime_error("no X display for the tray manager");
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    root_ = screens.data->root;
    window_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, root_, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    colours_ = windows::internAtom(c_, "_NET_SYSTEM_TRAY_COLORS");
    if (!colours.empty())
        setColours(colours);
    const xcb_atom_t selection =
        windows::internAtom(c_, "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    xcb_set_selection_owner(c_, window_, selection, XCB_CURRENT_TIME);

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = root_;
    message.type = windows::internAtom(c_, "MANAGER");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = selection;
    message.data.data32[2] = window_;
    xcb_send_event(c_, 0, root_, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    sync();
}

TrayManagerStandIn::~TrayManagerStandIn() {
    xcb_destroy_window(c_, window_);
    sync();
    xcb_disconnect(c_);
}

void TrayManagerStandIn::setColours(const std::vector<std::uint32_t>& values) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, colours_, XCB_ATOM_CARDINAL, 32,
                        values.size(), values.data());
    sync();
}

void TrayManagerStandIn::removeColours() {
    xcb_delete_property(c_, window_, colours_);
    sync();
}

std::vector<std::uint32_t> TrayManagerStandIn::colours(int red, int green, int blue) {
    std::vector<std::uint32_t> values;
    for (int i = 0; i < 4; ++i) {
        for (int channel : {red, green, blue})
            values.push_back(static_cast<std::uint32_t>(channel) * 257);
    }
    return values;
}

// A round trip: everything sent before it has been carried out when it returns.
void TrayManagerStandIn::sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

}  // namespace quorvel::testkit
