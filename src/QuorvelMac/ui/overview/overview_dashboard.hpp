#pragma once

// The overview once setup is done: counts, the unlocked applications with their remaining
// times, the connection card with its issues and the recent unlock requests. Redrawn on every
// model change and once a second while shown.
#include <optional>
#include <utility>
#include <vector>

#include <QWidget>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelMac/ui/format/attention.hpp"
#include "QuorvelMac/ui/view_services.hpp"

class QVBoxLayout;

namespace quorvel {
class MacAppModel;
}

namespace quorvel::ui {

class SidebarSelection;
class StatTile;
class VisibleTicker;

// The application targets that are switched on, in the model's order; web targets never count.
std::vector<MacLockTarget> enabledApplicationTargets(const std::vector<MacLockTarget>& targets);
// The facts of the connection card and the sidebar marks, read from the model.
AttentionFacts attentionFacts(const MacAppModel& model);

class OverviewDashboard : public QWidget {
public:
    OverviewDashboard(MacAppModel& model, SidebarSelection& selection, const ViewServices& services,
                      QWidget* parent = nullptr);

    // Redraws everything for the moment `at` from the model.
    void redraw(Date at);

    StatTile* tile(int index) const { return tiles_[index]; }
    QWidget* unlockedCard() const { return unlockedCard_; }
    QVBoxLayout* unlockedRows() const { return unlockedRows_; }
    QVBoxLayout* connectionRows() const { return connectionRows_; }
    QVBoxLayout* recentRows() const { return recentRows_; }
    VisibleTicker* ticker() const { return ticker_; }

    // The counts and the unlocked rows: what changes with time alone.
    void redrawTimeline(Date at);

private:
    void redrawCounts(std::size_t enabled, std::size_t unlocked);
    void redrawUnlocked(const std::vector<std::pair<MacLockTarget, Date>>& unlocked, Date at);
    void redrawConnection();
    void redrawRecent();

    MacAppModel& model_;
    SidebarSelection& selection_;
    const ViewServices& services_;
    StatTile* tiles_[3];
    QWidget* unlockedCard_;
    QVBoxLayout* unlockedRows_;
    QVBoxLayout* connectionRows_;
    QVBoxLayout* recentRows_;
    VisibleTicker* ticker_;
};

}  // namespace quorvel::ui
