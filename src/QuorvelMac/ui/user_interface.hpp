#pragma once

// Everything a person sees apart from the lock panel, for the application's entry: the main
// window, the tray icon's menu and the settings window. The two factories fit the shell's scene
// hooks; the caller owns what they return. The settings window belongs to this object and is
// opened by the menu's "設定…". The model and the relaxation controller outlive everything here.
#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>

#include "QuorvelMac/ui/view_services.hpp"

class QMenu;
class QWidget;

namespace quorvel {
class MacAppModel;
class MacSettingsRelaxationProtectionController;
}  // namespace quorvel

namespace quorvel::ui {

class MainWindow;
class SettingsWindow;
class TrayMenu;

class UserInterface : public QObject {
public:
    explicit UserInterface(ViewServices services, QObject* parent = nullptr);
    ~UserInterface() override;

    // A new main window; the tray menu, once made, is also reachable from it (for desktops
    // that show no tray).
    QWidget* makeMainWindow(MacAppModel& model,
                            MacSettingsRelaxationProtectionController& controller);
    // The tray icon's context menu; `openMainWindow` brings the main window to the front.
    QMenu* makeTrayMenu(MacAppModel& model, std::function<void()> openMainWindow);
    // Shows, raises and activates the settings window (made on first use, kept when closed).
    void showSettings(MacAppModel& model);

    const ViewServices& services() const { return *services_; }
    SettingsWindow* settingsWindow() const { return settingsWindow_.get(); }

private:
    std::unique_ptr<ViewServices> services_;
    QPointer<MainWindow> mainWindow_;
    QPointer<TrayMenu> trayMenu_;
    std::unique_ptr<SettingsWindow> settingsWindow_;
};

}  // namespace quorvel::ui
