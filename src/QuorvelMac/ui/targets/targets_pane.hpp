#pragma once

// The "ロック対象" pane: the accessibility warning, the application targets as cards with their
// removal confirmation, and the web-site targets the iPhone manages, read-only.
#include <optional>
#include <vector>

#include <QWidget>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/ui/view_services.hpp"

class QLabel;
class QMessageBox;
class QPushButton;
class QVBoxLayout;

namespace quorvel {
class MacAppModel;
class MacSettingsRelaxationProtectionController;
}  // namespace quorvel

namespace quorvel::ui {

class ApplicationTargetCard;
class TintedCard;

class TargetsPane : public QWidget {
public:
    TargetsPane(MacAppModel& model, MacSettingsRelaxationProtectionController& controller,
                const ViewServices& services, QWidget* parent = nullptr);

    void redraw();

    // The removal confirmation: asks about `target`, then `confirmRemoval` is its destructive
    // button and `cancelRemoval` its cancel button.
    void askRemoval(const MacLockTarget& target);
    void confirmRemoval();
    void cancelRemoval();
    const std::optional<MacLockTarget>& targetPendingRemoval() const { return pendingRemoval_; }
    QMessageBox* removalDialog() const { return dialog_; }

    TintedCard* accessibilityWarning() const { return warning_; }
    QPushButton* addButton() const { return add_; }
    std::vector<ApplicationTargetCard*> cards() const;
    QWidget* emptyState() const { return empty_; }
    QLabel* note() const { return note_; }
    QWidget* webSection() const { return webSection_; }
    QVBoxLayout* webRows() const { return webRows_; }
    QLabel* selectionMessage() const { return message_; }
    QLabel* storeError() const { return storeError_; }
    QLabel* syncError() const { return syncError_; }

private:
    // Takes its own copy: the pending target it may be handed is cleared first.
    void removeGated(MacLockTarget target);
    void redrawApplications();
    void redrawWeb();

    MacAppModel& model_;
    MacSettingsRelaxationProtectionController& controller_;
    const ViewServices& services_;
    std::optional<MacLockTarget> pendingRemoval_;
    QMessageBox* dialog_ = nullptr;
    TintedCard* warning_;
    QPushButton* add_;
    QLabel* message_;
    QVBoxLayout* applications_;
    QWidget* empty_ = nullptr;
    QLabel* note_ = nullptr;
    QWidget* webSection_;
    QVBoxLayout* webRows_;
    QLabel* storeError_;
    QLabel* syncError_;
};

}  // namespace quorvel::ui
