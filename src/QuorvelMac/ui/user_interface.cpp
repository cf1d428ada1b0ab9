#include "QuorvelMac/ui/user_interface.hpp"

#include "QuorvelMac/ui/menu/tray_menu.hpp"
#include "QuorvelMac/ui/settings/settings_window.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"

namespace quorvel::ui {

UserInterface::UserInterface(ViewServices services, QObject* parent)
    : QObject(parent), services_(std::make_unique<ViewServices>(std::move(services))) {}

UserInterface::~UserInterface() = default;

QWidget* UserInterface::makeMainWindow(MacAppModel& model,
                                       MacSettingsRelaxationProtectionController& controller) {
    auto* window = new MainWindow(model, controller, *services_);
    window->setActionsMenu(trayMenu_);
    mainWindow_ = window;
    return window;
}

QMenu* UserInterface::makeTrayMenu(MacAppModel& model, std::function<void()> openMainWindow) {
    auto* menu = new TrayMenu(model, *services_, std::move(openMainWindow),
                              [this, &model] { showSettings(model); });
    trayMenu_ = menu;
    if (mainWindow_) {
        mainWindow_->setActionsMenu(menu);
    }
    return menu;
}

void UserInterface::showSettings(MacAppModel& model) {
    if (!settingsWindow_) {
        settingsWindow_ = std::make_unique<SettingsWindow>(model, *services_);
        // The scene's frame: 520 wide, as tall as the form.
        settingsWindow_->setFixedWidth(520);
    }
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
}

}  // namespace quorvel::ui
