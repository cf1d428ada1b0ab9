#include "QuorvelMac/ui/overview/overview_pane.hpp"

#include <QStackedLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/ui/overview/overview_dashboard.hpp"
#include "QuorvelMac/ui/overview/setup_checklist.hpp"

namespace quorvel::ui {

OverviewPane::OverviewPane(MacAppModel& model, SidebarSelection& selection,
                           const ViewServices& services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      faces_(new QStackedLayout(this)),
      checklist_(new SetupChecklistView(model, selection, services, this)),
      dashboard_(new OverviewDashboard(model, selection, services, this)) {
    faces_->addWidget(checklist_);
    faces_->addWidget(dashboard_);
    connect(&model_, &MacAppModel::setupStatusChanged, this, [this] { chooseFace(); });
    chooseFace();
}

bool OverviewPane::showsDashboard() const {
    return faces_->currentWidget() == dashboard_;
}

void OverviewPane::chooseFace() {
    // The browser step is optional: it never keeps the dashboard away.
    const MacSetupStatus status = model_.setupStatus();
    const bool done = status.accessibilityPermissionGranted && status.iPhonePaired &&
                      status.appSelectionStepFinished;
    faces_->setCurrentWidget(done ? static_cast<QWidget*>(dashboard_) : checklist_);
}

}  // namespace quorvel::ui
