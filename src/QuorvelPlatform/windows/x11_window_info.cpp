#include "QuorvelPlatform/windows/x11_window_info.hpp"

#include <xcb/res.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace quorvel::windows {
namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> owned(T* reply) {
    return Reply<T>(reply, &std::free);
}

xcb_atom_t internAtom(xcb_connection_t* c, xcb_intern_atom_cookie_t cookie) {
    auto reply = owned(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t atom,
                                      std::uint32_t longs) {
    return xcb_get_property(c, 0, w, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, longs);
}

std::optional<std::string> textProperty(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    auto reply = owned(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 8 || reply->value_len == 0)
        return std::nullopt;
    std::string text(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     xcb_get_property_value_length(reply.get()));
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::vector<std::uint32_t> cardinalProperty(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    auto reply = owned(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

// WM_CLASS holds two NUL-terminated texts: instance, then class.
void readWmClass(xcb_connection_t* c, xcb_get_property_cookie_t cookie,
                 desktop::WindowIdentity& id) {
    auto reply = owned(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 8)
        return;
    const std::string value(static_cast<const char*>(xcb_get_property_value(reply.get())),
                            xcb_get_property_value_length(reply.get()));
    const auto nul = value.find('\0');
    id.wmClassInstance = value.substr(0, nul);
    if (nul != std::string::npos) {
        std::string cls = value.substr(nul + 1);
        while (!cls.empty() && cls.back() == '\0')
            cls.pop_back();
        id.wmClassClass = cls;
    }
}

std::optional<pid_t> serverKnownPid(xcb_connection_t* c, xcb_res_query_client_ids_cookie_t cookie) {
    auto reply = owned(xcb_res_query_client_ids_reply(c, cookie, nullptr));
    if (!reply)
        return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        // The value's header: which client it names and what it says of it (the pid here).
        [[maybe_unused]] const auto& [client, byteLength] = *it.data;
        if ((client.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) == 1) {
            const auto pid = static_cast<pid_t>(*xcb_res_client_id_value_value(it.data));
            if (pid > 0)
                return pid;
        }
    }
    return std::nullopt;
}

// Climbs from the window to the child of the root that holds it.
xcb_window_t topLevelOf(xcb_connection_t* c, xcb_window_t root, xcb_window_t window,
                        xcb_query_tree_cookie_t firstCookie) {
    auto cookie = firstCookie;
    for (int depth = 0; depth < 16; ++depth) {
        auto tree = owned(xcb_query_tree_reply(c, cookie, nullptr));
        if (!tree)
            return window;
        if (tree->parent == root || tree->parent == XCB_WINDOW_NONE)
            return window;
        window = tree->parent;
        cookie = xcb_query_tree(c, window);
    }
    return window;
}

bool hasAtom(const std::vector<std::uint32_t>& atoms, xcb_atom_t atom) {
    return atom != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

}  // namespace

X11Atoms X11Atoms::intern(xcb_connection_t* c) {
    auto ask = [c](const char* name) { return xcb_intern_atom(c, 0, std::strlen(name), name); };
    const auto active = ask("_NET_ACTIVE_WINDOW"), supported = ask("_NET_SUPPORTED"),
               pid = ask("_NET_WM_PID"), extents = ask("_NET_FRAME_EXTENTS"),
               state = ask("_NET_WM_STATE"), hidden = ask("_NET_WM_STATE_HIDDEN"),
               name = ask("_NET_WM_NAME"), gtk = ask("_GTK_APPLICATION_ID"),
               kde = ask("_KDE_NET_WM_DESKTOP_FILE");
    X11Atoms atoms;
    atoms.netActiveWindow = internAtom(c, active);
    atoms.netSupported = internAtom(c, supported);
    atoms.netWmPid = internAtom(c, pid);
    atoms.netFrameExtents = internAtom(c, extents);
    atoms.netWmState = internAtom(c, state);
    atoms.netWmStateHidden = internAtom(c, hidden);
    atoms.netWmName = internAtom(c, name);
    atoms.gtkApplicationId = internAtom(c, gtk);
    atoms.kdeDesktopFile = internAtom(c, kde);
    return atoms;
}

std::optional<X11WindowInfo> queryWindowInfo(xcb_connection_t* c, xcb_window_t root,
                                             const X11Atoms& atoms, xcb_window_t window) {
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    // Every request goes out before the first reply is read: one round trip in all.
    const auto attributesCookie = xcb_get_window_attributes(c, window);
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto translateCookie = xcb_translate_coordinates(c, window, root, 0, 0);
    const auto classCookie = askProperty(c, window, XCB_ATOM_WM_CLASS, 256);
    const auto pidCookie = askProperty(c, window, atoms.netWmPid, 1);
    const auto extentsCookie = askProperty(c, window, atoms.netFrameExtents, 4);
    const auto stateCookie = askProperty(c, window, atoms.netWmState, 64);
    const auto nameCookie = askProperty(c, window, atoms.netWmName, 256);
    const auto gtkCookie = askProperty(c, window, atoms.gtkApplicationId, 256);
    const auto kdeCookie = askProperty(c, window, atoms.kdeDesktopFile, 256);
    const auto treeCookie = xcb_query_tree(c, window);
    const xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const auto resCookie = xcb_res_query_client_ids(c, 1, &wanted);

    auto attributes = owned(xcb_get_window_attributes_reply(c, attributesCookie, nullptr));
    auto geometry = owned(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    auto translated = owned(xcb_translate_coordinates_reply(c, translateCookie, nullptr));

    X11WindowInfo info;
    info.window = window;
    readWmClass(c, classCookie, info.identity);
    const auto netPid = cardinalProperty(c, pidCookie);
    const auto extents = cardinalProperty(c, extentsCookie);
    const auto state = cardinalProperty(c, stateCookie);
    info.title = textProperty(c, nameCookie);
    info.identity.gtkApplicationId = textProperty(c, gtkCookie);
    info.identity.kdeDesktopFile = textProperty(c, kdeCookie);
    info.pid = serverKnownPid(c, resCookie);
    info.topLevel = topLevelOf(c, root, window, treeCookie);
    if (!attributes || !geometry || !translated)
        return std::nullopt;

    if (!info.pid && !netPid.empty() && netPid[0] > 0)
        info.pid = static_cast<pid_t>(netPid[0]);
    info.identity.pid = info.pid;
    info.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    info.overrideRedirect = attributes->override_redirect != 0;
    info.hidden = hasAtom(state, atoms.netWmStateHidden);
    const double border = geometry->border_width;
    info.outerRect = ScreenRect{translated->dst_x - border, translated->dst_y - border,
                                geometry->width + 2 * border, geometry->height + 2 * border};
    if (extents.size() == 4)
        info.extents = FrameExtents{extents[0], extents[1], extents[2], extents[3]};
    return info;
}

xcb_window_t activeWindow(xcb_connection_t* c, xcb_window_t root, const X11Atoms& atoms) {
    const auto values = cardinalProperty(c, askProperty(c, root, atoms.netActiveWindow, 1));
    return values.empty() ? xcb_window_t{XCB_WINDOW_NONE} : values[0];
}

bool windowManagerReportsActiveWindow(xcb_connection_t* c, xcb_window_t root,
                                      const X11Atoms& atoms) {
    return hasAtom(cardinalProperty(c, askProperty(c, root, atoms.netSupported, 4096)),
                   atoms.netActiveWindow);
}

ScreenRect frameRect(const X11WindowInfo& info) {
    const auto& e = info.extents;
    return ScreenRect{info.outerRect.x - e.left, info.outerRect.y - e.top,
                      info.outerRect.width + e.left + e.right,
                      info.outerRect.height + e.top + e.bottom};
}

std::optional<ScreenRect> panelRect(const X11WindowInfo& info) {
    if (!info.viewable || info.hidden)
        return std::nullopt;
    if (!FocusedWindowFrameResolver::isCoverableSize(info.outerRect.width, info.outerRect.height)) {
        return std::nullopt;
    }
    const ScreenRect frame = frameRect(info);
    std::vector<ScreenRect> titleBar;
    if (info.extents.top > 0)
        titleBar.push_back(ScreenRect{frame.x, frame.y, frame.width, double(info.extents.top)});
    return FocusedWindowFrameResolver::blockingAccessibilityFrame(frame, titleBar);
}

}  // namespace quorvel::windows
