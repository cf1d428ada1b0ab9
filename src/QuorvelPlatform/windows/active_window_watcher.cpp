#include "QuorvelPlatform/windows/active_window_watcher.hpp"

#include <xcb/res.h>

#include <cstdlib>

namespace quorvel::windows {

std::unique_ptr<ActiveWindowWatcher> ActiveWindowWatcher::connect(const char* display) {
    auto x = X11EventConnection::open(display);
    if (!x)
        return nullptr;
    // The X-Resource extension answers client-id queries only after the version was agreed.
    xcb_connection_t* c = x->connection();
    if (const auto* res = xcb_get_extension_data(c, &xcb_res_id); res && res->present) {
        std::free(xcb_res_query_version_reply(c, xcb_res_query_version(c, 1, 2), nullptr));
    }
    return std::unique_ptr<ActiveWindowWatcher>(new ActiveWindowWatcher(std::move(x)));
}

ActiveWindowWatcher::ActiveWindowWatcher(std::unique_ptr<X11EventConnection> x)
    : x_(std::move(x)),
      connection_(x_->connection()),
      root_(x_->root()),
      atoms_(X11Atoms::intern(connection_)) {
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    lastActive_ = activeWindow(connection_, root_, atoms_);
    x_->start([this](const xcb_generic_event_t* event) { handle(event); },
              "The X server connection of the window watcher broke; the active window is no "
              "longer followed.");
}

ActiveWindowWatcher::~ActiveWindowWatcher() = default;

bool ActiveWindowWatcher::isConnected() const {
    return x_->isConnected();
}

void ActiveWindowWatcher::handle(const xcb_generic_event_t* event) {
    switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (e->window == root_ && e->atom == atoms_.netActiveWindow) {
                readActiveWindow();
            } else if (e->window == trackedClient_ &&
                       (e->atom == atoms_.netWmState || e->atom == atoms_.netFrameExtents)) {
                Q_EMIT activeWindowGeometryChanged();
            }
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            if (isTracked(e->window))
                Q_EMIT activeWindowGeometryChanged();
            break;
        }
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_DESTROY_NOTIFY:
        case XCB_REPARENT_NOTIFY: {
            // These four share the layout of their first fields: event window, then the window.
            const auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            if (isTracked(e->window)) {
                if ((event->response_type & 0x7f) == XCB_REPARENT_NOTIFY)
                    track(currentActiveWindow());
                Q_EMIT activeWindowGeometryChanged();
            }
            break;
        }
        default:
            break;  // errors of requests about windows that went away, among others
    }
}

bool ActiveWindowWatcher::isTracked(xcb_window_t window) const {
    return window != XCB_WINDOW_NONE && (window == trackedClient_ || window == trackedFrame_);
}

std::optional<X11WindowInfo> ActiveWindowWatcher::currentActiveWindow() {
    const xcb_window_t window = activeWindow(connection_, root_, atoms_);
    auto info = queryWindowInfo(connection_, root_, atoms_, window);
    if (info && info->overrideRedirect)
        info.reset();
    // Whoever asks is about to act on this window: follow it from now on.
    if ((info ? info->window : xcb_window_t{XCB_WINDOW_NONE}) != trackedClient_)
        track(info);
    x_->drainQueuedLater();
    return info;
}

bool ActiveWindowWatcher::windowManagerReportsActiveWindow() {
    const bool reports =
        quorvel::windows::windowManagerReportsActiveWindow(connection_, root_, atoms_);
    x_->drainQueuedLater();
    return reports;
}

void ActiveWindowWatcher::readActiveWindow() {
    const xcb_window_t window = activeWindow(connection_, root_, atoms_);
    if (reportedOnce_ && window == lastActive_)
        return;
    std::optional<X11WindowInfo> info;
    if (window != XCB_WINDOW_NONE) {
        info = queryWindowInfo(connection_, root_, atoms_, window);
        // A stale name of a window that went away, or a window no window manager would make
        // active (its XID may already belong to someone's override-redirect popup): not a change.
        if (!info || info->overrideRedirect)
            return;
    }
    lastActive_ = window;
    reportedOnce_ = true;
    track(info);
    Q_EMIT activeWindowChanged(info);
}

void ActiveWindowWatcher::track(const std::optional<X11WindowInfo>& window) {
    // Event masks are per connection, so clearing ours leaves every other client's as it was.
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    for (xcb_window_t old : {trackedClient_, trackedFrame_}) {
        if (old != XCB_WINDOW_NONE && old != root_)
            xcb_change_window_attributes(connection_, old, XCB_CW_EVENT_MASK, &none);
    }
    trackedClient_ = window ? window->window : xcb_window_t{XCB_WINDOW_NONE};
    trackedFrame_ = window && window->topLevel != window->window ? window->topLevel
                                                                 : xcb_window_t{XCB_WINDOW_NONE};
    if (trackedClient_ != XCB_WINDOW_NONE) {
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, trackedClient_, XCB_CW_EVENT_MASK, &mask);
    }
    if (trackedFrame_ != XCB_WINDOW_NONE) {
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, trackedFrame_, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_flush(connection_);
}

}  // namespace quorvel::windows

#include "moc_active_window_watcher.cpp"
