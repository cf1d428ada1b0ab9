#pragma once

// An X connection of our own whose events reach a handler on the Qt thread. The Qt platform's
// connection is not used: event masks are per connection, and selecting ours on windows that Qt
// also watches would replace Qt's.
#include <xcb/xcb.h>

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace quorvel::windows {

class X11EventConnection : public QObject {
public:
    using Handler = std::function<void(const xcb_generic_event_t*)>;

    // Connects to the display (nullptr: $DISPLAY). No value when no X server answers. Nothing
    // is delivered until `start`.
    static std::unique_ptr<X11EventConnection> open(const char* display = nullptr);
    ~X11EventConnection() override;

    xcb_connection_t* connection() const { return connection_; }
    // The root window of the display's default screen, and that screen's number.
    xcb_window_t root() const { return root_; }
    int screenNumber() const { return screenNumber_; }
    bool isConnected() const;

    // From now on every event goes to `handle`. When the connection breaks, `brokenWarning` is
    // logged once and nothing more is delivered.
    void start(Handler handle, const char* brokenWarning);

    // Waiting for a reply may have moved events into xcb's own queue, where the socket no longer
    // signals them: whoever waited calls this, and the loop takes them on its next turn.
    void drainQueuedLater();

private:
    X11EventConnection(xcb_connection_t* connection, xcb_window_t root, int screenNumber);
    void drain(bool readSocket);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    int screenNumber_;
    Handler handle_;
    const char* brokenWarning_ = "";
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quorvel::windows
