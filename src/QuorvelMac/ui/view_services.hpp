#pragma once

// What the views need from the application shell besides the model: the application picker,
// application icons, the clock of the once-a-second timelines, opening web pages and quitting.
// The shell fills it; tests pass their own.
#include <functional>
#include <vector>

#include <QIcon>
#include <QUrl>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/ui/kit/application_icon.hpp"
#include "QuorvelShared/support/clock.hpp"

namespace quorvel::ui {

struct ViewServices {
    // Runs the modal application picker; an empty list when cancelled.
    std::function<std::vector<MacApplicationDescriptor>()> chooseApplications;
    // The icon of a target's application; a null icon draws the "app" symbol.
    std::function<QIcon(const MacLockTarget&)> applicationIcon;
    // The wall clock of the remaining times.
    const Clock* clock = &systemClock();
    // Opens an address with the desktop's default handler.
    std::function<void(const QUrl&)> openUrl;
    // Asks the application to quit.
    std::function<void()> quit;
    // The running application's own icon (the checklist's header).
    QIcon applicationOwnIcon = ui::applicationIcon();
};

}  // namespace quorvel::ui
