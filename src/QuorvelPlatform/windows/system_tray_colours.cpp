#include "QuorvelPlatform/windows/system_tray_colours.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "QuorvelPlatform/windows/x11_atom.hpp"

namespace quorvel::windows {

namespace {

std::uint16_t channel(std::uint32_t value) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(value, 0xffff));
}

}  // namespace

std::optional<TrayColour> normalTrayColour(const std::uint32_t* values, std::size_t count) {
    if (count < 3)
        return std::nullopt;
    return TrayColour{channel(values[0]), channel(values[1]), channel(values[2])};
}

std::unique_ptr<SystemTrayColours> SystemTrayColours::connect(const char* display) {
    auto x = X11EventConnection::open(display);
    if (!x)
        return nullptr;
    return std::unique_ptr<SystemTrayColours>(new SystemTrayColours(std::move(x)));
}

SystemTrayColours::SystemTrayColours(std::unique_ptr<X11EventConnection> x) : x_(std::move(x)) {
    xcb_connection_t* c = x_->connection();
    selection_ = internAtom(c, "_NET_SYSTEM_TRAY_S" + std::to_string(x_->screenNumber()));
    colours_ = internAtom(c, "_NET_SYSTEM_TRAY_COLORS");
    manager_ = internAtom(c, "MANAGER");
    // A new tray manager announces itself to the root window's StructureNotify listeners.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, x_->root(), XCB_CW_EVENT_MASK, &mask);
    auto* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr);
    followManager(owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE});
    std::free(owner);
    x_->start([this](const xcb_generic_event_t* event) { handle(event); },
              "The X server connection of the tray colours broke; the tray's colours are no longer "
              "followed.");
}

SystemTrayColours::~SystemTrayColours() = default;

void SystemTrayColours::followManager(xcb_window_t owner) {
    xcb_connection_t* c = x_->connection();
    if (owner_ != XCB_WINDOW_NONE && owner_ != owner) {
        const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(c, owner_, XCB_CW_EVENT_MASK, &none);
    }
    owner_ = owner;
    if (owner_ != XCB_WINDOW_NONE) {
        // Watched before it is read, so that no change falls between the two.
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, owner_, XCB_CW_EVENT_MASK, &mask);
    }
    readColours();
}

void SystemTrayColours::readColours() {
    std::optional<TrayColour> colour;
    if (owner_ != XCB_WINDOW_NONE) {
        xcb_connection_t* c = x_->connection();
        // A manager that is already gone answers with an error: no colours.
        auto* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, owner_, colours_, XCB_ATOM_CARDINAL, 0, 12), nullptr);
        if (reply && reply->format == 32 && reply->type == XCB_ATOM_CARDINAL) {
            colour =
                normalTrayColour(static_cast<const std::uint32_t*>(xcb_get_property_value(reply)),
                                 xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        x_->drainQueuedLater();
    }
    if (colour == normal_)
        return;
    normal_ = colour;
    Q_EMIT normalChanged();
}

void SystemTrayColours::handle(const xcb_generic_event_t* event) {
    switch (event->response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: {
            const auto* e = reinterpret_cast<const xcb_client_message_event_t*>(event);
            // MANAGER: time, the selection, the new owner's window.
            if (e->type == manager_ && e->format == 32 && e->data.data32[1] == selection_) {
                followManager(e->data.data32[2]);
            }
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (e->window == owner_ && e->atom == colours_)
                readColours();
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            if (e->window == owner_) {
                owner_ = XCB_WINDOW_NONE;
                readColours();
            }
            break;
        }
        default:
            break;  // among others, the error of a manager that went away before it was watched
    }
}

}  // namespace quorvel::windows

#include "moc_system_tray_colours.cpp"
