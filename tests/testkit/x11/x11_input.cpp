#include "testkit/x11/x11_input.hpp"

#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quorvel::testkit {

X11Input::X11Input() {
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_)) {
        xcb_disconnect(c_);
        throw std::runtime_error("no X display for input");
    }
    const auto* extension = xcb_get_extension_data(c_, &xcb_test_id);
    if (!extension || !extension->present) {
        xcb_disconnect(c_);
        throw std::runtime_error("the X server has no XTEST extension");
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

X11Input::~X11Input() {
    xcb_disconnect(c_);
}

void X11Input::click(int x, int y) {
    xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, x, y, 0);
    xcb_test_fake_input(c_, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    sync();
}

void X11Input::pressKey(xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* mapping = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, count), nullptr);
    if (!mapping)
        throw std::runtime_error("no keyboard mapping");
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping);
    const int perCode = mapping->keysyms_per_keycode;
    xcb_keycode_t code = 0;
    for (int i = 0; i < count && !code; ++i) {
        // The unshifted keysym of each key.
        if (keysyms[i * perCode] == keysym)
            code = static_cast<xcb_keycode_t>(setup->min_keycode + i);
    }
    std::free(mapping);
    if (!code)
        throw std::runtime_error("no key gives keysym " + std::to_string(keysym));
    xcb_test_fake_input(c_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    sync();
}

xcb_window_t X11Input::focus() {
    auto* reply = xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr);
    const xcb_window_t window = reply ? reply->focus : xcb_window_t{XCB_WINDOW_NONE};
    std::free(reply);
    return window;
}

std::optional<X11Harness::TopLevel> X11Input::windowTitled(const std::string& title) {
    const char* names[] = {"_NET_WM_NAME", "UTF8_STRING"};
    xcb_atom_t atoms[2] = {};
    for (int i = 0; i < 2; ++i) {
        auto* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, std::strlen(names[i]), names[i]), nullptr);
        atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
    }
    std::optional<X11Harness::TopLevel> found;
    auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
    if (!tree)
        return found;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        auto* name = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, children[i], atoms[0], atoms[1], 0, 256), nullptr);
        auto* attributes = xcb_get_window_attributes_reply(
            c_, xcb_get_window_attributes(c_, children[i]), nullptr);
        auto* geometry = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, children[i]), nullptr);
        if (name && attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            std::string(static_cast<const char*>(xcb_get_property_value(name)),
                        xcb_get_property_value_length(name)) == title) {
            found =
                X11Harness::TopLevel{children[i],
                                     {geometry->x, geometry->y, geometry->width, geometry->height},
                                     attributes->override_redirect != 0};
        }
        std::free(name);
        std::free(attributes);
        std::free(geometry);
    }
    std::free(tree);
    return found;
}

// A round trip: everything sent before it has been carried out when it returns.
void X11Input::sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

}  // namespace quorvel::testkit
