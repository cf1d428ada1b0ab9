#pragma once

// A plain main window and tray menu for builds without the full views: the application can be
// opened, given applications to lock and quit.
#include <QMenu>
#include <QWidget>
#include <functional>
#include <vector>

#include "QuorvelMac/model/mac_app_model.hpp"

namespace quorvel {

QWidget* makePlaceholderMainWindow(MacAppModel& model,
                                   std::function<std::vector<MacApplicationDescriptor>()> chooseApplications);
QMenu* makePlaceholderMenu(std::function<void()> openMainWindow);

}  // namespace quorvel
