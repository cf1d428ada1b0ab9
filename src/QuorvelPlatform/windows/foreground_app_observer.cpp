#include "QuorvelPlatform/windows/foreground_app_observer.hpp"

#include <unistd.h>

#include "QuorvelShared/support/application_identity.hpp"

namespace quorvel::windows {

ForegroundAppObserver::ForegroundAppObserver(std::unique_ptr<ActiveWindowWatcher> watcher,
                                             std::shared_ptr<desktop::DesktopEntryIndex> index,
                                             QObject* parent)
    : QObject(parent), watcher_(std::move(watcher)), index_(std::move(index)) {}

ForegroundAppObserver::~ForegroundAppObserver() = default;

void ForegroundAppObserver::start(
    std::function<void(const std::optional<RunningApplicationSnapshot>&)> onChange) {
    const bool first = !onChange_;
    onChange_ = std::move(onChange);
    if (!first || !watcher_)
        return;
    lastReported_ = currentSnapshot();
    connect(watcher_.get(), &ActiveWindowWatcher::activeWindowChanged, this,
            &ForegroundAppObserver::onActiveWindowChanged);
}

RunningApplicationSnapshot ForegroundAppObserver::snapshotOf(const X11WindowInfo& window) {
    RunningApplicationSnapshot snapshot;
    snapshot.processIdentifier = window.pid.value_or(0);
    if (window.pid && *window.pid == ::getpid()) {
        // Our own windows are reported under the application's identifier.
        snapshot.bundleIdentifier = std::string(macApplicationId);
        snapshot.localizedName = "Pellorim";
        return snapshot;
    }
    const auto process = desktop::readProcessFacts(snapshot.processIdentifier);
    if (const auto* entry = desktop::applicationOfWindow(window.identity, process, *index_)) {
        snapshot.bundleIdentifier = entry->id;
        snapshot.localizedName = entry->displayName();
    } else {
        snapshot.localizedName =
            window.identity.wmClassClass ? window.identity.wmClassClass : window.title;
    }
    return snapshot;
}

std::optional<RunningApplicationSnapshot> ForegroundAppObserver::currentSnapshot() {
    if (!watcher_)
        return std::nullopt;
    const auto window = watcher_->currentActiveWindow();
    if (!window)
        return std::nullopt;
    return snapshotOf(*window);
}

std::optional<ScreenRect> ForegroundAppObserver::frame(pid_t processIdentifier) {
    if (!watcher_)
        return std::nullopt;
    const auto window = watcher_->currentActiveWindow();
    // A window whose process is unknown (a remote client) stands under process id 0.
    if (!window || window->pid.value_or(0) != processIdentifier)
        return std::nullopt;
    return panelRect(*window);
}

bool ForegroundAppObserver::canObserveWindows() {
    return watcher_ && watcher_->isConnected() && watcher_->windowManagerReportsActiveWindow();
}

void ForegroundAppObserver::onActiveWindowChanged(const std::optional<X11WindowInfo>& window) {
    std::optional<RunningApplicationSnapshot> snapshot;
    if (window)
        snapshot = snapshotOf(*window);
    // Applications are told apart by identifier and process, not by name.
    auto key = [](const std::optional<RunningApplicationSnapshot>& s) {
        return s ? std::optional(std::pair(s->bundleIdentifier, s->processIdentifier))
                 : std::nullopt;
    };
    if (lastReported_ && key(*lastReported_) == key(snapshot))
        return;
    lastReported_ = snapshot;
    if (onChange_)
        onChange_(snapshot);
}

}  // namespace quorvel::windows

#include "moc_foreground_app_observer.cpp"
