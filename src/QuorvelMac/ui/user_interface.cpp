#include "QuorvelMac/ui/user_interface.hpp"

#include "QuorvelMac/ui/menu/tray_menu.hpp"
#include "QuorvelMac/ui/settings/settings_window.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"

namespace quorvel::ui {

UserInterface::UserInterface(MacAppModel& model,
                             MacSettingsRelaxationProtectionController& controller,
                             ViewServices services, QObject* parent)
    : QObject(parent), model_(model), controller_(controller),
      services_(std::make_unique<ViewServices>(std::move(services))) {}

UserInterface::~UserInterface() = default;

MainWindow& UserInterface::mainWindow() {
    if (!mainWindow_) {
        mainWindow_ = std::make_unique<MainWindow>(model_, controller_, *services_);
        mainWindow_->setActionsMenu(&trayMenu());
    }
    return *mainWindow_;
}

SettingsWindow& UserInterface::settingsWindow() {
    if (!settingsWindow_) {
        settingsWindow_ = std::make_unique<SettingsWindow>(model_, *services_);
        settingsWindow_->resize(420, 460);
    }
    return *settingsWindow_;
}

TrayMenu& UserInterface::trayMenu() {
    if (!trayMenu_) {
        trayMenu_ = std::make_unique<TrayMenu>(
            model_, *services_, [this] { showMainWindow(); }, [this] { showSettings(); });
    }
    return *trayMenu_;
}

void UserInterface::showMainWindow() {
    MainWindow& window = mainWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

void UserInterface::showSettings() {
    SettingsWindow& window = settingsWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace quorvel::ui
