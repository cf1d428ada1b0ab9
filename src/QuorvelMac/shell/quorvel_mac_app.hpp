#pragma once

// The application as a whole: it makes the long-lived objects in a fixed order (the relaxation
// controller, the foreground observer, the lock-panel controller, the model last), wires the
// model's state to the lock decision, the lock panel and the tray icon, and shows the main window.
//
// The lock handlers belong to the application, not to the main window's content: with the main
// window closed, a newly locked application still gets its panel and an allow window's expiry
// still re-locks. Observation starts with the application, so a start from the autostart entry
// locks as well.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"
#include "QuorvelMac/shell/lock_decision.hpp"
#include "QuorvelMac/shell/lock_overlay_window_controller.hpp"
#include "QuorvelMac/shell/pellorim_menu_bar_icon.hpp"
#include "QuorvelPlatform/windows/foreground_app_observer.hpp"
#include "QuorvelPlatform/windows/system_tray_colours.hpp"

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace quorvel {

class QuorvelMacApp final : public QObject {
    Q_OBJECT
public:
    // The windows and the tray menu, made by the views; the shell gives them the objects they show.
    struct Scenes {
        std::function<QWidget*(MacAppModel&, MacSettingsRelaxationProtectionController&)>
            mainWindow;
        // The tray icon's menu; `openMainWindow` brings the main window to the front.
        std::function<QMenu*(MacAppModel&, std::function<void()> openMainWindow)> menuBar;
    };

    struct Parts {
        std::unique_ptr<windows::ForegroundAppObserver> observer;
        LockOverlayView::IconSource icons;
        // Made last, when everything else exists, as the model's start-up may already lock.
        std::function<std::unique_ptr<MacAppModel>()> makeModel;
        Scenes scenes;
        // False in tests: no tray icon, no main window.
        bool showScenes = true;
    };

    explicit QuorvelMacApp(Parts parts, QObject* parent = nullptr);
    ~QuorvelMacApp() override;

    MacAppModel& model() { return *model_; }
    MacSettingsRelaxationProtectionController& relaxationProtection() { return relaxation_; }
    windows::ForegroundAppObserver& foregroundObserver() { return *observer_; }
    LockOverlayWindowController& overlayController() { return *overlay_; }
    std::optional<pid_t> blockedProcessIdentifier() const { return blockedProcessIdentifier_; }
    QWidget* mainWindow() const { return mainWindow_; }
    // The tray item (none in tests without scenes).
    const QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    // What the tray's glyph is drawn in: the X11 tray's normal colour where it gives one, else
    // the palette's text colour (the glyph's halo makes it read on a tray of another shade).
    QColor panelTextColour() const;

    // Brings the main window to the front (made on first use).
    void showMainWindow();

    // The lock decision for the application in front (no value: none is).
    void handleForegroundApplication(const std::optional<RunningApplicationSnapshot>& snapshot);
    void reevaluateFrontmostApplication();
    // Takes its own copy: showing the panel may run code that changes the model's overlay.
    void updateOverlayWindow(std::optional<LockOverlayState> overlay);
    void refreshSettingsRelaxationProtection();
    PellorimMenuBarIcon::State menuBarIconState() const;

private Q_SLOTS:
    void reevaluateAfterSleep(bool goingToSleep);

private:
    void startForegroundObservation();
    void connectModel();
    void installTrayIcon();
    void updateTrayIcon();
    void onMainWindowShown(bool shown);
    bool eventFilter(QObject* watched, QEvent* event) override;

    MacSettingsRelaxationProtectionController relaxation_;
    std::unique_ptr<windows::ForegroundAppObserver> observer_;
    std::unique_ptr<LockOverlayWindowController> overlay_;
    bool didStartForegroundObservation_ = false;
    std::optional<pid_t> blockedProcessIdentifier_;
    std::unique_ptr<MacAppModel> model_;
    Scenes scenes_;
    QPointer<QWidget> mainWindow_;
    std::unique_ptr<windows::SystemTrayColours> trayColours_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QMenu> trayMenu_;
    QTimer refreshLoop_;
};

}  // namespace quorvel
