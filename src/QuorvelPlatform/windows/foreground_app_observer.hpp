#pragma once

// Tells which application has come to the front, once per change of application (moving between
// two windows of one application is no change), and answers which one is in front now and what
// part of its focused window the lock panel covers.
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"
#include "QuorvelPlatform/windows/active_window_watcher.hpp"
#include "QuorvelPlatform/windows/running_application_snapshot.hpp"

namespace quorvel::windows {

class ForegroundAppObserver : public QObject {
    Q_OBJECT
public:
    // No watcher (no X server): nothing is ever in front and nothing is reported.
    ForegroundAppObserver(std::unique_ptr<ActiveWindowWatcher> watcher,
                          std::shared_ptr<desktop::DesktopEntryIndex> index,
                          QObject* parent = nullptr);
    ~ForegroundAppObserver() override;

    // Reports each change of the frontmost application; no value: no application is in front.
    // A second call replaces the callback (observation itself is started only once).
    void start(std::function<void(const std::optional<RunningApplicationSnapshot>&)> onChange);
    bool isStarted() const { return static_cast<bool>(onChange_); }

    std::optional<RunningApplicationSnapshot> currentSnapshot();

    // The rectangle (root pixels) the lock panel covers over the focused window of the process,
    // or no value when that process is not in front or its window is minimised or unmapped.
    std::optional<ScreenRect> frame(pid_t processIdentifier);

    // True when a window manager that reports the active window runs on the display.
    bool canObserveWindows();

    ActiveWindowWatcher* watcher() const { return watcher_.get(); }

    RunningApplicationSnapshot snapshotOf(const X11WindowInfo& window);

private:
    void onActiveWindowChanged(const std::optional<X11WindowInfo>& window);

    std::unique_ptr<ActiveWindowWatcher> watcher_;
    std::shared_ptr<desktop::DesktopEntryIndex> index_;
    std::function<void(const std::optional<RunningApplicationSnapshot>&)> onChange_;
    std::optional<std::optional<RunningApplicationSnapshot>> lastReported_;
};

}  // namespace quorvel::windows
