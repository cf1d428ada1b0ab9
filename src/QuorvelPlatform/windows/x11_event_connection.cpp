#include "QuorvelPlatform/windows/x11_event_connection.hpp"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <cstdlib>

#include "QuorvelPlatform/logging/log_categories.hpp"

namespace quorvel::windows {

std::unique_ptr<X11EventConnection> X11EventConnection::open(const char* display) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11EventConnection>(
        new X11EventConnection(connection, screens.data->root, screenNumber));
}

X11EventConnection::X11EventConnection(xcb_connection_t* connection, xcb_window_t root,
                                       int screenNumber)
    : connection_(connection), root_(root), screenNumber_(screenNumber) {}

X11EventConnection::~X11EventConnection() {
    delete notifier_;
    xcb_disconnect(connection_);
}

bool X11EventConnection::isConnected() const {
    return xcb_connection_has_error(connection_) == 0;
}

void X11EventConnection::start(Handler handle, const char* brokenWarning) {
    handle_ = std::move(handle);
    brokenWarning_ = brokenWarning;
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(true); });
    // Reading a reply can move later events into xcb's own queue, where the socket no longer
    // signals them; they are taken before the loop goes to sleep.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                         [this] { drain(false); });
    }
}

void X11EventConnection::drainQueuedLater() {
    QMetaObject::invokeMethod(
        this, [this] { drain(false); }, Qt::QueuedConnection);
}

void X11EventConnection::drain(bool readSocket) {
    if (!notifier_)
        return;
    if (!isConnected()) {
        if (notifier_->isEnabled()) {
            qCWarning(lcWindows, "%s", brokenWarning_);
            notifier_->setEnabled(false);
        }
        return;
    }
    while (auto* event = readSocket ? xcb_poll_for_event(connection_)
                                    : xcb_poll_for_queued_event(connection_)) {
        handle_(event);
        std::free(event);
    }
}

}  // namespace quorvel::windows
