#include "testkit/x11/x11_harness.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "QuorvelPlatform/windows/x11_atom.hpp"

#ifndef QUORVEL_X11_WINDOW
#error "QUORVEL_X11_WINDOW must name the test window program"
#endif

namespace quorvel::testkit {

TestWindow::TestWindow(const std::string& instance, const std::string& cls,
                       std::vector<PixelRect> rects, TestWindowOptions options) {
    QStringList arguments;
    if (!options.netWmPid)
        arguments << "--no-net-wm-pid";
    if (options.redrawing)
        arguments << "--redraw";
    arguments << QString::fromStdString(instance) << QString::fromStdString(cls);
    for (const auto& rect : rects) {
        arguments << QString::number(rect.x) << QString::number(rect.y)
                  << QString::number(rect.width) << QString::number(rect.height);
    }
    process_.start(QUORVEL_X11_WINDOW, arguments);
    if (!process_.waitForStarted(60000) || !process_.waitForReadyRead(60000)) {
        throw std::runtime_error("the test window did not start");
    }
    for (const auto& id : QString::fromUtf8(process_.readLine().trimmed()).split(' ')) {
        ids_.push_back(static_cast<xcb_window_t>(id.toULong()));
    }
}

TestWindow::~TestWindow() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

int TestWindow::keyPresses() {
    readReports();
    return keys_;
}

long TestWindow::framesDrawn() {
    readReports();
    return frames_;
}

void TestWindow::readReports() {
    while (process_.canReadLine() || process_.waitForReadyRead(0)) {
        if (!process_.canReadLine())
            break;
        const QByteArray line = process_.readLine().trimmed();
        if (line == "key")
            ++keys_;
        else if (line.startsWith("frames "))
            frames_ = line.mid(7).toLong();
    }
}

X11Harness::X11Harness() {
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_))
        throw std::runtime_error("no X display");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

X11Harness::~X11Harness() {
    xcb_disconnect(c_);
}

// A flush only sends the requests; the server may still serve another client's query first.
// A round trip returns once everything sent before it has been carried out.
void X11Harness::sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

xcb_atom_t X11Harness::atom(const char* name) {
    return windows::internAtom(c_, name);
}

void X11Harness::setActive(xcb_window_t window) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_ACTIVE_WINDOW"),
                        XCB_ATOM_WINDOW, 32, 1, &window);
    sync();
}

void X11Harness::requestActivation(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;  // source: a pager or task bar
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    sync();
}

xcb_window_t X11Harness::active() {
    auto cookie = xcb_get_property(c_, 0, root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1);
    auto* reply = xcb_get_property_reply(c_, cookie, nullptr);
    xcb_window_t window = XCB_WINDOW_NONE;
    if (reply && xcb_get_property_value_length(reply) == 4) {
        window = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    return window;
}

void X11Harness::setFrameExtents(xcb_window_t window, std::uint32_t left, std::uint32_t right,
                                 std::uint32_t top, std::uint32_t bottom) {
    const std::uint32_t values[] = {left, right, top, bottom};
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom("_NET_FRAME_EXTENTS"),
                        XCB_ATOM_CARDINAL, 32, 4, values);
    sync();
}

void X11Harness::setHidden(xcb_window_t window, bool hidden) {
    const xcb_atom_t state = atom("_NET_WM_STATE_HIDDEN");
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        hidden ? 1 : 0, &state);
    sync();
}

void X11Harness::setSupportsActiveWindow() {
    const xcb_atom_t supported = atom("_NET_ACTIVE_WINDOW");
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 32,
                        1, &supported);
    sync();
}

void X11Harness::moveResize(xcb_window_t window, PixelRect rect) {
    const std::uint32_t values[] = {std::uint32_t(rect.x), std::uint32_t(rect.y),
                                    std::uint32_t(rect.width), std::uint32_t(rect.height)};
    xcb_configure_window(c_, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    sync();
}

void X11Harness::map(xcb_window_t window, bool mapped) {
    if (mapped)
        xcb_map_window(c_, window);
    else
        xcb_unmap_window(c_, window);
    sync();
}

void X11Harness::raise(xcb_window_t window) {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    sync();
}

void X11Harness::destroy(xcb_window_t window) {
    xcb_destroy_window(c_, window);
    sync();
}

std::vector<X11Harness::TopLevel> X11Harness::mappedTopLevels() {
    std::vector<TopLevel> result;
    auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
    if (!tree)
        return result;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        auto* attributes = xcb_get_window_attributes_reply(
            c_, xcb_get_window_attributes(c_, children[i]), nullptr);
        auto* geometry = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, children[i]), nullptr);
        if (attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
            result.push_back({children[i],
                              {geometry->x, geometry->y, geometry->width, geometry->height},
                              attributes->override_redirect != 0});
        }
        std::free(attributes);
        std::free(geometry);
    }
    std::free(tree);
    return result;
}

std::optional<X11Harness::TopLevel> X11Harness::windowTitled(const std::string& title) {
    for (const TopLevel& top : mappedTopLevels()) {
        if (this->title(top.window) == title)
            return top;
    }
    return std::nullopt;
}

std::string X11Harness::title(xcb_window_t window) {
    auto* reply = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 256),
        nullptr);
    std::string text;
    if (reply)
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    xcb_get_property_value_length(reply));
    std::free(reply);
    return text;
}

pid_t X11Harness::processOf(xcb_window_t window) {
    auto* reply = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1), nullptr);
    pid_t pid = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pid = static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply)));
    std::free(reply);
    return pid;
}

void X11Harness::askToClose(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    sync();
}

xcb_window_t X11Harness::focus() {
    auto* reply = xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr);
    const xcb_window_t window = reply ? reply->focus : xcb_window_t{XCB_WINDOW_NONE};
    std::free(reply);
    return window;
}

std::optional<PixelRect> X11Harness::frameExtentsRect(xcb_window_t window) {
    auto cookie =
        xcb_get_property(c_, 0, window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4);
    auto* reply = xcb_get_property_reply(c_, cookie, nullptr);
    std::optional<PixelRect> extents;
    if (reply && xcb_get_property_value_length(reply) == 16) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        extents = PixelRect{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
    }
    std::free(reply);
    return extents;
}

bool X11Harness::managedAndShown(xcb_window_t window) {
    if (!frameExtentsRect(window))
        return false;
    auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr);
    const bool framed = tree && tree->parent != root_;
    std::free(tree);
    auto* attributes =
        xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return framed && viewable;
}

void X11Harness::requestFullscreen(xcb_window_t window, bool fullscreen) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_WM_STATE");
    event.data.data32[0] = fullscreen ? 1 : 0;  // add or remove
    event.data.data32[1] = atom("_NET_WM_STATE_FULLSCREEN");
    event.data.data32[3] = 1;  // source: an application
    xcb_send_event(c_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    sync();
}

std::optional<PixelRect> X11Harness::rootRect(xcb_window_t window) {
    auto* geometry = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr);
    auto* where = xcb_translate_coordinates_reply(
        c_, xcb_translate_coordinates(c_, window, root_, 0, 0), nullptr);
    std::optional<PixelRect> rect;
    if (geometry && where)
        rect = PixelRect{where->dst_x, where->dst_y, geometry->width, geometry->height};
    std::free(geometry);
    std::free(where);
    return rect;
}

xcb_window_t X11Harness::selectionOwner(const char* selection) {
    auto* reply =
        xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, atom(selection)), nullptr);
    const xcb_window_t owner = reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
    std::free(reply);
    return owner;
}

std::vector<std::uint32_t> X11Harness::pixels(xcb_window_t drawable, PixelRect rect) {
    auto* image = xcb_get_image_reply(
        c_,
        xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<std::int16_t>(rect.x),
                      static_cast<std::int16_t>(rect.y), static_cast<std::uint16_t>(rect.width),
                      static_cast<std::uint16_t>(rect.height), ~0U),
        nullptr);
    std::vector<std::uint32_t> result;
    // A 24-bit deep screen gives 32 bits a pixel, rows without padding beyond them.
    const auto count = static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height);
    if (image && image->depth >= 24 &&
        static_cast<std::size_t>(xcb_get_image_data_length(image)) == count * 4) {
        const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
        result.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            result.push_back(data[i] & 0xffffffU);
    }
    std::free(image);
    return result;
}

bool X11Harness::windowManagerRoundTrip() {
    // An unmapped window of the test's own asks, so that nothing on the screen changes.
    const xcb_window_t asking = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, asking, root_, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = asking;
    event.type = atom("_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(c_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    sync();
    const bool answered = runLoopUntil([&] { return frameExtentsRect(asking).has_value(); });
    destroy(asking);
    return answered;
}

std::unique_ptr<WindowManagerSession> WindowManagerSession::start(X11Harness& x11,
                                                                  const QString& program,
                                                                  const QStringList& arguments) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return nullptr;
    std::unique_ptr<WindowManagerSession> session(new WindowManagerSession);
    session->process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    session->process_.start(program, arguments);
    if (!session->process_.waitForStarted(60000))
        return nullptr;
    const xcb_atom_t check = x11.atom("_NET_SUPPORTING_WM_CHECK");
    // Ready once it redirects the root's map requests; its check window comes a moment earlier,
    // and a window mapped in between is never managed.
    const bool ready = runLoopUntil([&] {
        auto cookie =
            xcb_get_property(x11.connection(), 0, x11.root(), check, XCB_ATOM_WINDOW, 0, 1);
        auto* reply = xcb_get_property_reply(x11.connection(), cookie, nullptr);
        const bool present = reply && xcb_get_property_value_length(reply) == 4;
        std::free(reply);
        auto* root = xcb_get_window_attributes_reply(
            x11.connection(), xcb_get_window_attributes(x11.connection(), x11.root()), nullptr);
        const bool redirected =
            root && (root->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
        std::free(root);
        return present && redirected;
    });
    return ready ? std::move(session) : nullptr;
}

std::unique_ptr<WindowManagerSession> WindowManagerSession::openbox(X11Harness& x11) {
    return start(x11, "openbox", {"--sm-disable"});
}

WindowManagerSession::~WindowManagerSession() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

}  // namespace quorvel::testkit
