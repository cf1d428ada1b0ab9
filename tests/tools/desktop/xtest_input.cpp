#include "desktop/xtest_input.hpp"

#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace quorvel::testing {

XTestInput::XTestInput() : c_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(c_)) {
        xcb_disconnect(c_);
        throw std::runtime_error("no X display");
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    auto* version = xcb_test_get_version_reply(c_, xcb_test_get_version(c_, 2, 2), nullptr);
    const bool present = version != nullptr;
    std::free(version);
    if (!present) {
        xcb_disconnect(c_);
        throw std::runtime_error("the X server has no XTest extension");
    }
}

XTestInput::~XTestInput() {
    xcb_disconnect(c_);
}

void XTestInput::fake(std::uint8_t type, std::uint8_t detail, int x, int y) {
    xcb_test_fake_input(c_, type, detail, XCB_CURRENT_TIME, root_, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
}

// A round trip: every request sent before it has been carried out when it returns.
void XTestInput::sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

void XTestInput::moveTo(int x, int y) {
    fake(XCB_MOTION_NOTIFY, 0, x, y);
    sync();
}

void XTestInput::click(int x, int y) {
    fake(XCB_MOTION_NOTIFY, 0, x, y);
    fake(XCB_BUTTON_PRESS, 1);
    fake(XCB_BUTTON_RELEASE, 1);
    sync();
}

void XTestInput::key(xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> mapping(
        xcb_get_keyboard_mapping_reply(
            c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<std::uint8_t>(count)),
            nullptr),
        &std::free);
    if (!mapping)
        throw std::runtime_error("no keyboard mapping");
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKeycode = mapping->keysyms_per_keycode;
    for (int i = 0; i < count; ++i) {
        if (keysyms[i * perKeycode] != keysym)
            continue;
        const auto keycode = static_cast<std::uint8_t>(setup->min_keycode + i);
        fake(XCB_KEY_PRESS, keycode);
        fake(XCB_KEY_RELEASE, keycode);
        sync();
        return;
    }
    throw std::runtime_error("no key types the keysym");
}

}  // namespace quorvel::testing
