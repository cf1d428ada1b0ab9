#pragma once

// Keeps the lock panel over the focused window of the locked application, below its title bar,
// while that application is in front, and out of sight otherwise. The panel is a frameless
// override-redirect window that never takes focus; it is placed in exact device pixels and
// raised again on every move of the covered window and on a 150 ms tick while it is shown (a
// window manager may stack a newly raised frame above it).
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelPlatform/windows/foreground_app_observer.hpp"
#include "QuorvelPlatform/windows/panel_placement.hpp"

class QPropertyAnimation;

namespace quorvel {

class LockOverlayPanel final : public QWidget {
    Q_OBJECT
public:
    explicit LockOverlayPanel(LockOverlayView::IconSource icons);
    LockOverlayView* view() const { return view_; }

private:
    LockOverlayView* view_;
};

class LockOverlayWindowController final : public QObject {
    Q_OBJECT
public:
    LockOverlayWindowController(windows::ForegroundAppObserver* observer,
                                LockOverlayView::IconSource icons, QObject* parent = nullptr);
    ~LockOverlayWindowController() override;

    // Makes the panel and shows it once off-screen, so that the first real show is as quick as
    // the later ones.
    void prepare();

    // Shows `state` and keeps the panel over the focused window of the process while it is in
    // front. Repeated calls swap the content; one panel, one tick.
    void show(const LockOverlayState& state, pid_t processIdentifier,
              std::function<void()> onUnlock);
    // Stops following and fades the panel out (at once when it is not visible).
    void close();

    LockOverlayPanel* panel() const { return panel_; }
    std::optional<pid_t> processIdentifier() const { return processIdentifier_; }
    bool isTracking() const { return tracking_.isActive(); }

    // Places the panel from the current state of the windows (also run by the tick).
    void refreshFrame();

private:
    void ensurePanel();
    void orderOut();
    void place(const windows::ScreenRect& nativeRect);

    QPointer<windows::ForegroundAppObserver> observer_;
    LockOverlayView::IconSource icons_;
    LockOverlayPanel* panel_ = nullptr;
    QTimer tracking_;
    QPointer<QPropertyAnimation> fade_;
    std::optional<pid_t> processIdentifier_;
    // Where the panel was last put natively, while it is shown.
    std::optional<windows::PixelGeometry> placed_;
};

}  // namespace quorvel
