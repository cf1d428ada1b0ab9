#pragma once

// The "概要" pane: the setup checklist while a required step is open, else the dashboard.
#include <QWidget>

#include "QuorvelMac/ui/view_services.hpp"

class QStackedLayout;

namespace quorvel {
class MacAppModel;
}

namespace quorvel::ui {

class OverviewDashboard;
class SetupChecklistView;
class SidebarSelection;

class OverviewPane : public QWidget {
public:
    OverviewPane(MacAppModel& model, SidebarSelection& selection, const ViewServices& services,
                 QWidget* parent = nullptr);

    bool showsDashboard() const;
    SetupChecklistView* checklist() const { return checklist_; }
    OverviewDashboard* dashboard() const { return dashboard_; }

private:
    void chooseFace();

    MacAppModel& model_;
    QStackedLayout* faces_;
    SetupChecklistView* checklist_;
    OverviewDashboard* dashboard_;
};

}  // namespace quorvel::ui
