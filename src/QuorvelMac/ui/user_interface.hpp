#pragma once

// Everything a person sees apart from the lock panel, built once by the application's entry:
// the main window, the tray icon's menu and the settings window. The model, the relaxation
// controller and the services outlive this object.
#include <memory>

#include <QObject>
#include <QPointer>

#include "QuorvelMac/ui/view_services.hpp"

class QMenu;

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
    UserInterface(MacAppModel& model, MacSettingsRelaxationProtectionController& controller,
                  ViewServices services, QObject* parent = nullptr);
    ~UserInterface() override;

    // Shows, raises and activates the main window (created on first use, kept when closed).
    void showMainWindow();
    void showSettings();

    MainWindow& mainWindow();
    SettingsWindow& settingsWindow();
    // The tray icon's context menu; also the menu of the window's actions where no tray shows.
    TrayMenu& trayMenu();
    const ViewServices& services() const { return *services_; }

private:
    MacAppModel& model_;
    MacSettingsRelaxationProtectionController& controller_;
    std::unique_ptr<ViewServices> services_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<SettingsWindow> settingsWindow_;
    std::unique_ptr<TrayMenu> trayMenu_;
};

}  // namespace quorvel::ui
