#include "QuorvelMac/ui/menu/tray_menu.hpp"

#include <algorithm>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/ui/format/target_status.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/overview/overview_dashboard.hpp"

namespace quorvel::ui {

TrayMenu::TrayMenu(MacAppModel& model, const ViewServices& services,
                   std::function<void()> openMainWindow, std::function<void()> openSettings,
                   QWidget* parent)
    : QMenu(parent),
      model_(model),
      services_(services),
      openMainWindow_(std::move(openMainWindow)),
      openSettings_(std::move(openSettings)) {
    // The status lines are disabled items that only inform: they are drawn in the secondary
    // text colour, readable, while the disabled items of the request submenu (a window of its
    // own, which this palette does not reach) keep the desktop's dimmed look.
    theme::setInks(this, {{QPalette::Disabled, QPalette::Text, theme::Ink::secondary},
                          {QPalette::Disabled, QPalette::WindowText, theme::Ink::secondary}});
    const auto now = [this] { redraw(services_.clock->now()); };
    for (auto signal : {&MacAppModel::targetsChanged, &MacAppModel::allowWindowsChanged,
                        &MacAppModel::setupStatusChanged}) {
        connect(&model_, signal, this, now);
    }
    // The remaining times move on while nothing in the model changes: a menu opened minutes
    // after its last drawing would show them as they were then.
    connect(this, &QMenu::aboutToShow, this, now);
    now();
}

void TrayMenu::redraw(Date at) {
    // The item whose handler runs now may be what changed the model: the old items leave the
    // menu at once but are deleted on a later turn, and the old request submenu with them.
    for (QAction* action : actions()) {
        removeAction(action);
        if (action->parent() == this) {
            action->deleteLater();
        }
    }
    if (requests_) {
        requests_->deleteLater();
    }
    requests_ = nullptr;
    addStatusSection(at);
    addSeparator();
    addRequestSection(at);
    addSeparator();
    connect(addAction(theme::symbol("macwindow"), "Pellorimを開く"), &QAction::triggered, this,
            [this] { openMainWindow_(); });
    connect(addAction(theme::symbol("gearshape"), "設定…"), &QAction::triggered, this,
            [this] { openSettings_(); });
    addSeparator();
    connect(addAction("終了"), &QAction::triggered, this, [this] {
        if (services_.quit) {
            services_.quit();
        }
    });
}

void TrayMenu::addStatusSection(Date at) {
    const MacSetupStatus status = model_.setupStatus();
    // The browser step plays no part in "complete".
    if (!(status.accessibilityPermissionGranted && status.iPhonePaired &&
          status.appSelectionStepFinished)) {
        connect(
            addAction(theme::symbol("exclamationmark.circle"), "セットアップが完了していません"),
            &QAction::triggered, this, [this] { openMainWindow_(); });
        return;
    }
    const auto enabled = enabledApplicationTargets(model_.targets());
    const auto unlocked = unlockedTargets(
        enabled, [this](const MacLockTarget& target) { return model_.allowUntil(target.id); }, at);
    addAction(actionText(lockSummary(enabled.size(), unlocked.size())))->setEnabled(false);
    for (const auto& [target, end] : unlocked) {
        addAction(actionText(menuUnlockedLine(target.displayName, end, at)))->setEnabled(false);
    }
}

void TrayMenu::addRequestSection(Date at) {
    const auto enabled = enabledApplicationTargets(model_.targets());
    if (enabled.empty()) {
        return;
    }
    requests_ = addMenu("解除を申請");
    const std::size_t shown = std::min(enabled.size(), menuUnlockItemLimit);
    for (std::size_t i = 0; i < shown; ++i) {
        const MacLockTarget& target = enabled[i];
        const auto end = model_.allowUntil(target.id);
        const bool unlocked = end && *end > at;
        QAction* item =
            requests_->addAction(actionText(menuRequestItemTitle(target.displayName, unlocked)));
        if (unlocked) {
            item->setEnabled(false);
            continue;
        }
        connect(item, &QAction::triggered, this, [this, target] { model_.requestUnlock(target); });
    }
}

}  // namespace quorvel::ui
