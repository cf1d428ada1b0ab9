#pragma once

// Waiting for the active-window watcher to catch up with the X server, so that a check that
// something did not follow an X change ends at a marker instead of after a sleep. Header-only:
// the X11 test kit itself does not link the platform library.
#include <QMetaObject>
#include <QObject>

#include "QuorvelPlatform/windows/active_window_watcher.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel::testkit {

// Returns once the watcher has handled every event the X server sent it before the call, and
// what that handling queued on the loop in turn (as the application's decision about a new active
// window). A query on the watcher's connection brings the events that came before its reply
// into the watcher's queue and posts their handling; a marker posted after that posts a second
// one, which runs after whatever the handling posted.
inline bool catchUpWithWatcher(windows::ActiveWindowWatcher& watcher) {
    watcher.windowManagerReportsActiveWindow();
    QObject context;
    bool done = false;
    QMetaObject::invokeMethod(
        &context,
        [&] {
            QMetaObject::invokeMethod(
                &context, [&] { done = true; }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return runLoopUntil([&] { return done; });
}

}  // namespace quorvel::testkit
