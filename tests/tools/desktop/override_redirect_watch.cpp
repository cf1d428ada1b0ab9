#include "desktop/override_redirect_watch.hpp"

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "QuorvelPlatform/windows/x11_atom.hpp"

namespace quorvel::testing {
namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

bool onScreen(const WindowRect& rect) {
    return rect.x + rect.width > 0 && rect.y + rect.height > 0;
}

}  // namespace

OverrideRedirectWatch::OverrideRedirectWatch() : c_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(c_)) {
        xcb_disconnect(c_);
        throw std::runtime_error("no X display");
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    opacity_ = windows::internAtom(c_, "_NET_WM_WINDOW_OPACITY");
    // Listen first, then look: a window made in between is both in the tree and announced.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr),
                                       &std::free);
    if (!tree)
        return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, children[i]),
                                            nullptr),
            &std::free);
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c_, xcb_get_geometry(c_, children[i]), nullptr), &std::free);
        if (!attributes || !geometry || !attributes->override_redirect)
            continue;
        track(children[i], attributes->map_state == XCB_MAP_STATE_VIEWABLE,
              {geometry->x, geometry->y, geometry->width, geometry->height});
    }
}

OverrideRedirectWatch::~OverrideRedirectWatch() {
    xcb_disconnect(c_);
}

void OverrideRedirectWatch::track(xcb_window_t window, bool mapped, WindowRect rect) {
    windows_[window] = {mapped, rect};
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
}

void OverrideRedirectWatch::record(Event::Kind kind, xcb_window_t window) {
    const auto& tracked = windows_.at(window);
    if (!onScreen(tracked.rect))
        return;
    events_.push_back({kind, window, tracked.rect, std::chrono::steady_clock::now()});
}

void OverrideRedirectWatch::handle(xcb_generic_event_t* event) {
    switch (event->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (created->parent == root_ && created->override_redirect &&
                !windows_.count(created->window))
                track(created->window, false,
                      {created->x, created->y, created->width, created->height});
            return;
        }
        case XCB_MAP_NOTIFY: {
            auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
            auto found = windows_.find(mapped->window);
            if (found == windows_.end() || found->second.mapped)
                return;
            found->second.mapped = true;
            record(Event::Kind::shown, mapped->window);
            return;
        }
        case XCB_UNMAP_NOTIFY: {
            auto* unmapped = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
            auto found = windows_.find(unmapped->window);
            if (found == windows_.end() || !found->second.mapped)
                return;
            found->second.mapped = false;
            record(Event::Kind::hidden, unmapped->window);
            return;
        }
        case XCB_CONFIGURE_NOTIFY: {
            auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            auto found = windows_.find(configured->window);
            if (found == windows_.end())
                return;
            const WindowRect rect{configured->x, configured->y, configured->width,
                                  configured->height};
            if (found->second.rect == rect)
                return;
            if (found->second.mapped)
                record(Event::Kind::hidden, configured->window);
            found->second.rect = rect;
            if (found->second.mapped)
                record(Event::Kind::shown, configured->window);
            return;
        }
        case XCB_DESTROY_NOTIFY: {
            auto* destroyed = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
            auto found = windows_.find(destroyed->window);
            if (found == windows_.end())
                return;
            if (found->second.mapped)
                record(Event::Kind::hidden, destroyed->window);
            windows_.erase(found);
            return;
        }
        case XCB_PROPERTY_NOTIFY: {
            auto* changed = reinterpret_cast<xcb_property_notify_event_t*>(event);
            auto found = windows_.find(changed->window);
            if (changed->atom == opacity_ && found != windows_.end() && found->second.mapped)
                record(Event::Kind::opacityChanged, changed->window);
            return;
        }
        default:
            return;
    }
}

void OverrideRedirectWatch::read(int waitMs) {
    if (waitMs > 0) {
        pollfd entry{xcb_get_file_descriptor(c_), POLLIN, 0};
        ::poll(&entry, 1, waitMs);
    }
    // A round trip: the events of everything the server did before it come ahead of its reply,
    // so the record below holds all of that, not only what happened to have arrived.
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
        handle(event);
        std::free(event);
    }
}

bool OverrideRedirectWatch::shownAt(const WindowRect& rect, std::size_t from) const {
    for (std::size_t i = from; i < events_.size(); ++i) {
        if (events_[i].kind == Event::Kind::shown && events_[i].rect == rect)
            return true;
    }
    return false;
}

std::vector<std::pair<xcb_window_t, WindowRect>> OverrideRedirectWatch::shownNow() const {
    std::vector<std::pair<xcb_window_t, WindowRect>> shown;
    for (const auto& [window, tracked] : windows_) {
        if (tracked.mapped && onScreen(tracked.rect))
            shown.emplace_back(window, tracked.rect);
    }
    return shown;
}

}  // namespace quorvel::testing
