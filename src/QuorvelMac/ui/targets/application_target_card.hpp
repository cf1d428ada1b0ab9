#pragma once

// One locked application in the targets pane: icon, name, live status, the unlock request
// button, the lock switch and a menu with the remove action. Everything shown is read from the
// model by the target's id; switching the lock off goes through the relaxation gate.
#include <functional>
#include <optional>
#include <string>

#include <QWidget>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/view_services.hpp"

class QCheckBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace quorvel {
class MacAppModel;
class MacSettingsRelaxationProtectionController;
}  // namespace quorvel

namespace quorvel::ui {

class StatusPill;
class VisibleTicker;

class ApplicationTargetCard : public Card {
    Q_OBJECT

public:
    ApplicationTargetCard(MacAppModel& model, MacSettingsRelaxationProtectionController& controller,
                          const ViewServices& services, std::string targetId,
                          std::function<void(const MacLockTarget&)> onRemove,
                          QWidget* parent = nullptr);

    // Re-reads the target from the model; a target that left the list leaves the card as it was.
    void render();
    void renderStatus(Date at);
    // What the switch does when turned to `enabled`.
    void switchLock(bool enabled);

    const std::string& targetId() const { return targetId_; }
    StatusPill* statusPill() const { return pill_; }
    QPushButton* unlockButton() const { return unlock_; }
    QCheckBox* lockSwitch() const { return switch_; }
    QToolButton* moreButton() const { return more_; }
    QLabel* nameLabel() const { return name_; }
    QLabel* iconLabel() const { return icon_; }
    VisibleTicker* ticker() const { return ticker_; }

private:
    std::optional<MacLockTarget> current() const;

    MacAppModel& model_;
    MacSettingsRelaxationProtectionController& controller_;
    const ViewServices& services_;
    std::string targetId_;
    std::function<void(const MacLockTarget&)> onRemove_;
    QLabel* icon_;
    QLabel* name_;
    StatusPill* pill_;
    QPushButton* unlock_;
    QCheckBox* switch_;
    QToolButton* more_;
    VisibleTicker* ticker_;
};

}  // namespace quorvel::ui
